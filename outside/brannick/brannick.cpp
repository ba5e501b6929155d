// Stand-in for the outside tools library: the exports the program binds by
// name, with the C calling convention.
#include <windows.h>

#include <type_traits>

#include "base/link_record.h"
#include "platform_owners_win.h"
#include "tools_rules.h"
#include "web/tools_exports.h"

extern "C" {

// A real kernel handle, so a caller that closes it twice or passes a
// made-up value is caught by the handle table, not by luck.
__declspec(dllexport) HANDLE TOOLS_CALL OpenConnection() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

// The handle comes back to be given up: adopted, and closed on return.
__declspec(dllexport) void TOOLS_CALL CloseConnection(HANDLE hConnection) { CKernelHandle connection(hConnection); }

__declspec(dllexport) void TOOLS_CALL CorrectURL(URLInfo* lpInfo) {
    if (lpInfo) CorrectAddress(lpInfo->Source, sizeof lpInfo->Source);
}

__declspec(dllexport) char* TOOLS_CALL _tcsstrncase(const char* szText, const char* szPattern) {
    return const_cast<char*>(FindNoCase(szText, szPattern));
}

__declspec(dllexport) bool TOOLS_CALL IsValidGURL(const char* szAddress) {
    return IsValidAddress(szAddress, PELLMARK_SEARCH_HOST);
}

}  // extern "C"

// Each export has the type, calling convention included, that the program
// calls it through.
static_assert(std::is_same_v<decltype(&OpenConnection), PFN_OpenConnection>, "OpenConnection");
static_assert(std::is_same_v<decltype(&CloseConnection), PFN_CloseConnection>, "CloseConnection");
static_assert(std::is_same_v<decltype(&CorrectURL), PFN_CorrectURL>, "CorrectURL");
static_assert(std::is_same_v<decltype(&_tcsstrncase), PFN_tcsstrncase>, "_tcsstrncase");
static_assert(std::is_same_v<decltype(&IsValidGURL), PFN_IsValidGURL>, "IsValidGURL");
