#include "server_module_win.h"

CServerModule g_Module;

std::wstring CServerModule::ModulePath() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD nLength = GetModuleFileNameW(m_hInstance, &path[0], static_cast<DWORD>(path.size()));
        if (nLength == 0) return std::wstring();
        if (nLength < path.size()) {
            path.resize(nLength);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
