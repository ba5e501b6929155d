#include "web/tools_library_win.h"

#include <windows.h>

#include "web/tools_library.h"

namespace {

void ShowStartupError(const char* szText) { MessageBoxA(nullptr, szText, "Error", MB_OK | MB_ICONSTOP); }

// GetProcAddress knows no signature; the generic function pointer in
// between says the cast is on purpose. The pointer types carry each
// export's calling convention.
template <typename T>
void Bind(HMODULE hModule, const char* szName, T& pfn) {
    pfn = reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(hModule, szName)));
}

}  // namespace

bool BindOutsideLibraries() {
    HMODULE hCore = LoadLibraryA("vossic.dll");
    if (!hCore) {
        ShowStartupError("Core DLL not found");
        return false;
    }
    Bind(hCore, "GetCH", g_pfnGetCH);
    if (!g_pfnGetCH) {
        ShowStartupError("Core DLL is invalid");
        return false;
    }
    HMODULE hTools = LoadLibraryA("brannick.dll");
    if (!hTools) {
        ShowStartupError("Tools DLL not found");
        return false;
    }
    Bind(hTools, "CorrectURL", g_pfnCorrectURL);
    Bind(hTools, "_tcsstrncase", g_pfnStrStrNoCase);
    Bind(hTools, "_tcsstrback", g_pfnStrBack);
    Bind(hTools, "OpenConnection", g_pfnOpenConnection);
    Bind(hTools, "CloseConnection", g_pfnCloseConnection);
    Bind(hTools, "IsValidGURL", g_pfnIsValidGURL);
    return true;
}
