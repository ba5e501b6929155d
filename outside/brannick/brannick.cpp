// Stand-in for the outside tools library: the exports the program binds by
// name, with the C calling convention.
#include <windows.h>

#include "run/link_record.h"
#include "tools_rules.h"

#ifndef PELLMARK_SEARCH_HOST
#define PELLMARK_SEARCH_HOST "127.0.0.1"
#endif

extern "C" {

// A real kernel handle, so a caller that closes it twice or passes a
// made-up value is caught by the handle table, not by luck.
__declspec(dllexport) HANDLE OpenConnection() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

__declspec(dllexport) void CloseConnection(HANDLE hConnection) {
    if (hConnection) CloseHandle(hConnection);
}

__declspec(dllexport) void CorrectURL(URLInfo* lpInfo) {
    if (lpInfo) CorrectAddress(lpInfo->Source, sizeof lpInfo->Source);
}

__declspec(dllexport) char* _tcsstrncase(const char* szText, const char* szPattern) {
    return const_cast<char*>(FindNoCase(szText, szPattern));
}

__declspec(dllexport) bool IsValidGURL(const char* szAddress) {
    return IsValidAddress(szAddress, PELLMARK_SEARCH_HOST);
}

}  // extern "C"
