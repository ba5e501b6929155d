// Stand-in for the outside rank checksum library. One export, GetCH, with
// the standard Windows calling convention, exported under its plain name.
#include <cstring>
#include <type_traits>

#include "checksum.h"
#include "web/tools_exports.h"

extern "C" __declspec(dllexport) int CHECKSUM_CALL GetCH(const char* szAddress, char* szChecksum) {
    if (!szChecksum) return 0;
    std::string text = RankChecksum(szAddress ? szAddress : "");
    std::memcpy(szChecksum, text.c_str(), text.size() + 1);  // 10 bytes, the caller has 260
    return 1;
}

// The type, calling convention included, that the program calls it through.
static_assert(std::is_same_v<decltype(&GetCH), PFN_GetCH>, "GetCH");
