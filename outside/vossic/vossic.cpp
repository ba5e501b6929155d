// Stand-in for the outside rank checksum library. One export, GetCH, with
// the standard Windows calling convention, exported under its plain name.
#include <cstring>

#include "checksum.h"

extern "C" __declspec(dllexport) int __stdcall GetCH(const char* szAddress, char* szChecksum) {
    if (!szChecksum) return 0;
    std::string text = RankChecksum(szAddress ? szAddress : "");
    std::memcpy(szChecksum, text.c_str(), text.size() + 1);  // 10 bytes, the caller has 260
    return 1;
}
