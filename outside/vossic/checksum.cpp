#include "checksum.h"

#include <cstdint>
#include <cstdio>

std::string RankChecksum(const char* szAddress) {
    uint32_t hash = 2166136261u;
    auto mix = [&hash](const char* text) {
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
            hash ^= *p;
            hash *= 16777619u;
        }
    };
    mix("info:");
    if (szAddress) mix(szAddress);
    char szText[kRankChecksumLength + 1];
    std::snprintf(szText, sizeof szText, "6%08x", static_cast<unsigned>(hash));
    return szText;
}
