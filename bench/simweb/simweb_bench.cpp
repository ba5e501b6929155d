// Speed and size of the local web: corpus start-up, peak memory, and
// single-client requests per second. Prints figure lines with every round's value.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench_figures.h"
#include "checksum.h"
#include "simweb_service_win.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kEngine[] = "127.0.29.1";
const char kSiteBase[] = "127.0.29.2";
constexpr int kRequestsPerRound = 2000;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Report(const std::string& what, const std::vector<double>& values, const char* szUnit) {
    PrintFigure("simweb: " + what, szUnit, "-", values);
}

simweb::SimWebOptions Options(int nSites, int nPages) {
    simweb::SimWebOptions options;
    options.engineHost = options.whoisHost = kEngine;
    options.siteBase = kSiteBase;
    options.generate = simweb::GenerateSpec{1, nSites, nPages};
    return options;
}

SOCKET Connect(const char* szAddress) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(80);
    inet_pton(AF_INET, szAddress, &addr.sin_addr);
    BOOL bNoDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bNoDelay), sizeof bNoDelay);
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

enum class Mode { ConnectionEach, KeptAlive, Pipelined };
constexpr int kPipelineDepth = 10;

// Reads nAnswers whole answers (by their Content-Length); false on any failure.
bool ReadAnswers(SOCKET s, int nAnswers, std::string& buffer) {
    buffer.clear();
    char chunk[65536];
    std::size_t nAt = 0;
    while (nAnswers > 0) {
        std::size_t end = buffer.find("\r\n\r\n", nAt);
        std::size_t length = end == std::string::npos ? end : buffer.find("Content-Length: ", nAt);
        if (length != std::string::npos) {
            std::size_t next = end + 4 + std::strtoul(buffer.c_str() + length + 16, nullptr, 10);
            if (buffer.size() >= next) {
                nAt = next;
                --nAnswers;
                continue;
            }
        }
        int n = recv(s, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
}

// Sends nCount requests at once and reads their answers; the count that arrived.
int Exchange(SOCKET s, const std::vector<std::string>& targets, int nFirst, int nCount, bool bClose, std::string& buffer) {
    std::string requests;
    for (int i = 0; i < nCount; ++i)
        requests += "GET " + targets[static_cast<std::size_t>(nFirst + i) % targets.size()] + " HTTP/1.1\r\nHost: x\r\n" +
                    (bClose ? "Connection: close\r\n" : "") + "\r\n";
    if (send(s, requests.data(), static_cast<int>(requests.size()), 0) != static_cast<int>(requests.size())) return 0;
    return ReadAnswers(s, nCount, buffer) ? nCount : 0;
}

// Requests per second of one round; targets are taken in turn.
double Round(const char* szAddress, const std::vector<std::string>& targets, Mode mode) {
    std::string buffer;
    SOCKET kept = mode == Mode::ConnectionEach ? INVALID_SOCKET : Connect(szAddress);
    int nStep = mode == Mode::Pipelined ? kPipelineDepth : 1;
    Clock::time_point start = Clock::now();
    int nDone = 0;
    for (int i = 0; i < kRequestsPerRound; i += nStep) {
        SOCKET s = mode == Mode::ConnectionEach ? Connect(szAddress) : kept;
        nDone += Exchange(s, targets, i, nStep, mode == Mode::ConnectionEach, buffer);
        if (mode == Mode::ConnectionEach) closesocket(s);
    }
    double dSeconds = Seconds(start);
    if (kept != INVALID_SOCKET) closesocket(kept);
    if (nDone != kRequestsPerRound) std::printf("  (%d of %d requests failed)\n", kRequestsPerRound - nDone, kRequestsPerRound);
    return nDone / dSeconds;
}

void MeasureStart(int nRounds) {
    std::vector<double> times, memory;
    for (int r = 0; r < nRounds; ++r) {
        simweb::CSimWeb simWeb;
        std::string error;
        Clock::time_point start = Clock::now();
        if (!simWeb.Start(Options(100, 100), error)) {
            std::printf("cannot start: %s\n", error.c_str());
            std::exit(1);
        }
        times.push_back(Seconds(start));
        PROCESS_MEMORY_COUNTERS counters{};
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
        memory.push_back(counters.PeakWorkingSetSize / (1024.0 * 1024.0));
    }
    Report("start of a 10,000-page corpus", times, "s");
    Report("peak working set after it", memory, "MB");
}

void MeasureRequests(int nRounds) {
    simweb::CSimWeb simWeb;
    std::string error;
    if (!simWeb.Start(Options(20, 10), error)) {
        std::printf("cannot start: %s\n", error.c_str());
        std::exit(1);
    }
    const simweb::CCorpus& corpus = simWeb.Corpus();
    std::vector<std::string> pages, ranks, results;
    for (std::size_t i = 0; i < 10; ++i) {
        const simweb::SimPage& page = corpus.Page(static_cast<int>(i));
        pages.push_back(page.path);
        ranks.push_back("/search?client=navclient-auto&ch=" + RankChecksum(page.address.c_str()) +
                        "&ie=UTF-8&oe=UTF-8&features=Rank&q=info:" + page.address);
        results.push_back("/search?q=the&num=10&hl=en&lr=&ie=UTF-8&newwindow=1&start=" + std::to_string(i * 10) +
                          "&sa=N&filter=0");
    }
    const std::string site = corpus.Page(0).address.substr(7, corpus.Page(0).address.find('/', 7) - 7);
    struct Kind {
        const char* szName;
        const std::string* address;
        const std::vector<std::string>* targets;
    };
    const std::string engine = kEngine;
    const Kind kKinds[] = {{"site page", &site, &pages}, {"rank answer", &engine, &ranks}, {"result page", &engine, &results}};
    for (const Kind& kind : kKinds) {
        const std::pair<Mode, const char*> kModes[] = {{Mode::ConnectionEach, ", connection each"},
                                                       {Mode::KeptAlive, ", kept-alive connection"},
                                                       {Mode::Pipelined, ", kept alive, 10 in flight"}};
        for (const auto& mode : kModes) {
            std::vector<double> rates;
            for (int r = 0; r < nRounds; ++r) rates.push_back(Round(kind.address->c_str(), *kind.targets, mode.first));
            Report(std::string(kind.szName) + mode.second, rates, "requests/s");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    int nRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    std::printf("simweb_bench: %d rounds, %d requests per round, single client\n", nRounds, kRequestsPerRound);
    MeasureRequests(nRounds);
    MeasureStart(std::min(nRounds, 3));
    WSACleanup();
    return 0;
}
