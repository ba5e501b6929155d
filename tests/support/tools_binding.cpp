#include "support/tools_binding.h"

#include <string>

#include "web/tools_library.h"

namespace {

// The libraries live in the test program's own folder.
HMODULE LoadBeside(const char* szName) {
    char szPath[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string path(szPath, n);
    path = path.substr(0, path.find_last_of("\\/") + 1) + szName;
    return LoadLibraryA(path.c_str());
}

template <typename Pfn>
bool Bind(HMODULE hModule, const char* szExport, Pfn& pfn) {
    pfn = hModule ? reinterpret_cast<Pfn>(reinterpret_cast<void (*)()>(GetProcAddress(hModule, szExport))) : nullptr;
    return pfn != nullptr;
}

void Unbind() {
    g_pfnOpenConnection = nullptr;
    g_pfnCloseConnection = nullptr;
    g_pfnCorrectURL = nullptr;
    g_pfnStrStrNoCase = nullptr;
    g_pfnIsValidGURL = nullptr;
    g_pfnGetCH = nullptr;
}

}  // namespace

CBoundTools::CBoundTools() : m_hTools(LoadBeside("brannick.dll")), m_hChecksum(LoadBeside("vossic.dll")) {
    bool bTools = Bind(m_hTools, "OpenConnection", g_pfnOpenConnection) &
                  Bind(m_hTools, "CloseConnection", g_pfnCloseConnection) &
                  Bind(m_hTools, "CorrectURL", g_pfnCorrectURL) &
                  Bind(m_hTools, "_tcsstrncase", g_pfnStrStrNoCase) &
                  Bind(m_hTools, "IsValidGURL", g_pfnIsValidGURL);
    m_bBound = bTools && Bind(m_hChecksum, "GetCH", g_pfnGetCH);
}

CBoundTools::~CBoundTools() {
    Unbind();
    if (m_hChecksum) FreeLibrary(m_hChecksum);
    if (m_hTools) FreeLibrary(m_hTools);
}
