#include "bound_tools.h"

#include <cstring>
#include <string>

#include "checksum.h"
#include "tools_rules.h"
#include "web/tools_library.h"

namespace {

// The exports' signatures around the rules, as brannick.dll and vossic.dll
// wrap them.
char* FindNoCaseExport(const char* szText, const char* szPattern) {
    return const_cast<char*>(FindNoCase(szText, szPattern));
}

bool IsValidExport(const char* szAddress) { return IsValidAddress(szAddress, PELLMARK_SEARCH_HOST); }

void CorrectExport(URLInfo* lpInfo) {
    if (lpInfo) CorrectAddress(lpInfo->Source, sizeof lpInfo->Source);
}

int ChecksumExport(const char* szAddress, char* szChecksum) {
    if (!szChecksum) return 0;
    const std::string text = RankChecksum(szAddress ? szAddress : "");
    std::memcpy(szChecksum, text.c_str(), text.size() + 1);
    return 1;
}

}  // namespace

void BindToolsRules() {
    g_pfnStrStrNoCase = &FindNoCaseExport;
    g_pfnIsValidGURL = &IsValidExport;
    g_pfnCorrectURL = &CorrectExport;
    g_pfnGetCH = &ChecksumExport;
}

void UnbindToolsRules() {
    g_pfnStrStrNoCase = nullptr;
    g_pfnIsValidGURL = nullptr;
    g_pfnCorrectURL = nullptr;
    g_pfnGetCH = nullptr;
}
