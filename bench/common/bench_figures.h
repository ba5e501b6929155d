#pragma once
// How a benchmark hands its figures to the runner (tools/bench.sh): one
// line per figure, fields separated by tabs: "FIGURE", the figure's name,
// its unit, its goal ("-" when it has none), then every measured value.
// The runner takes minimum, median and maximum itself. Portable and
// header-only, so native benchmarks use it too.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

inline void PrintFigure(const std::string& name, const char* szUnit, const char* szGoal,
                        const std::vector<double>& values) {
    std::printf("FIGURE\t%s\t%s\t%s", name.c_str(), szUnit, szGoal);
    for (double value : values) std::printf("\t%.6g", value);
    std::printf("\n");
    std::fflush(stdout);
}

// A benchmark whose work went wrong measures nothing worth printing: it
// says what failed and ends with a failure status.
inline void Require(bool bHolds, const std::string& what) {
    if (bHolds) return;
    std::fprintf(stderr, "bench failed: %s\n", what.c_str());
    std::exit(1);
}

// Seconds that one call of f takes.
template <typename F>
double SecondsOf(F f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The rounds a benchmark was asked for on its command line.
inline int RoundsArgument(int argc, char** argv, int nDefault) {
    int nRounds = argc > 1 ? std::atoi(argv[1]) : nDefault;
    return nRounds > 0 ? nRounds : nDefault;
}
