#include "support/temp_folder.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA((path + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace

CTempFolder::CTempFolder() {
    char szBase[MAX_PATH];
    GetTempPathA(sizeof szBase, szBase);
    static LONG s_nCounter = 0;
    for (;;) {
        char szName[MAX_PATH + 64];
        std::snprintf(szName, sizeof szName, "%spellmark_%lu_%ld", szBase, GetCurrentProcessId(),
                      InterlockedIncrement(&s_nCounter));
        if (CreateDirectoryA(szName, nullptr)) {
            m_path = szName;
            return;
        }
    }
}

CTempFolder::~CTempFolder() { RemoveTree(m_path); }

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}
