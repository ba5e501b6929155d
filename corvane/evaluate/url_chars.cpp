#include "evaluate/url_chars.h"

#include <cstddef>
#include <cstring>

#include "web/tools_library.h"

bool IsURLChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return c != '\0' && std::strchr(":/.,?&+-=", c) != nullptr;
}

namespace {

const char* const kSchemeMarks[] = {"http://", "https://"};

}  // namespace

CAbsoluteMarks::CAbsoluteMarks(const char* szText) {
    for (std::size_t i = 0; i < 2; ++i) m_lpNext[i] = StrStrNoCase(szText, kSchemeMarks[i]);
}

const char* CAbsoluteMarks::Next() {
    std::size_t nFirst = m_lpNext[0] ? 0 : 1;
    if (m_lpNext[0] && m_lpNext[1] && m_lpNext[1] < m_lpNext[0]) nFirst = 1;
    const char* lpFound = m_lpNext[nFirst];
    if (lpFound) m_lpNext[nFirst] = StrStrNoCase(lpFound + 1, kSchemeMarks[nFirst]);
    return lpFound;
}

const char* FindAbsoluteMark(const char* szText) { return CAbsoluteMarks(szText).Next(); }
