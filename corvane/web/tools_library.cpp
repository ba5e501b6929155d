#include "web/tools_library.h"

PFN_OpenConnection g_pfnOpenConnection = nullptr;
PFN_CloseConnection g_pfnCloseConnection = nullptr;
PFN_CorrectURL g_pfnCorrectURL = nullptr;
PFN_tcsstrncase g_pfnStrStrNoCase = nullptr;
PFN_tcsstrback g_pfnStrBack = nullptr;
PFN_IsValidGURL g_pfnIsValidGURL = nullptr;
PFN_GetCH g_pfnGetCH = nullptr;

const char* StrStrNoCase(const char* szText, const char* szPattern) {
    if (!g_pfnStrStrNoCase || !szText || !szPattern) return nullptr;
    return g_pfnStrStrNoCase(szText, szPattern);
}

bool IsValidGURL(const char* szAddress) {
    return g_pfnIsValidGURL && szAddress && g_pfnIsValidGURL(szAddress);
}

void CorrectURL(URLInfo* lpInfo) {
    if (g_pfnCorrectURL && lpInfo) g_pfnCorrectURL(lpInfo);
}
