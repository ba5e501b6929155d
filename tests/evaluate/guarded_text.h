#pragma once
// A text placed so that its terminating NUL is the last readable byte
// before a page the program may not touch: any read past the end of the
// text faults at once instead of going unnoticed.
#include <windows.h>

#include <cstring>
#include <string>

class CGuardedText {
public:
    explicit CGuardedText(const std::string& text) {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        std::size_t nPage = si.dwPageSize;
        std::size_t nData = (text.size() + 1 + nPage - 1) / nPage * nPage;
        m_lpBase = static_cast<char*>(VirtualAlloc(nullptr, nData + nPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        VirtualProtect(m_lpBase + nData, nPage, PAGE_NOACCESS, &dwOld);
        m_szText = m_lpBase + nData - (text.size() + 1);
        std::memcpy(m_szText, text.c_str(), text.size() + 1);
    }
    ~CGuardedText() { VirtualFree(m_lpBase, 0, MEM_RELEASE); }
    CGuardedText(const CGuardedText&) = delete;
    CGuardedText& operator=(const CGuardedText&) = delete;

    const char* Text() const { return m_szText; }

private:
    char* m_lpBase = nullptr;
    char* m_szText = nullptr;
};
