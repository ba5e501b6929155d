#pragma once
// The outside tools library ("brannick.dll") and the rank checksum library
// ("vossic.dll") as this program binds them: one function pointer per
// export, set by start-up. Portable: the native build points them at the
// same rules compiled into the test program.
#include "web/tools_exports.h"

constexpr std::size_t kChecksumSize = 260;

extern PFN_OpenConnection g_pfnOpenConnection;
extern PFN_CloseConnection g_pfnCloseConnection;
extern PFN_CorrectURL g_pfnCorrectURL;
extern PFN_tcsstrncase g_pfnStrStrNoCase;
extern PFN_tcsstrback g_pfnStrBack;
extern PFN_IsValidGURL g_pfnIsValidGURL;
extern PFN_GetCH g_pfnGetCH;

// Calls through the bound pointers; an unbound export behaves as "not
// found" / "not valid" so that a missing export never crashes a run.
const char* StrStrNoCase(const char* szText, const char* szPattern);
bool IsValidGURL(const char* szAddress);
void CorrectURL(URLInfo* lpInfo);
