#include "trawler_win.h"

#include "email_search.h"
#include "expression_search.h"
#include "page_text.h"
#include "platform_owners_win.h"
#include "server_object_win.h"

namespace {

void SetBool(VARIANT_BOOL* lpResult, bool bValue) {
    if (lpResult) *lpResult = bValue ? 1 : 0;
}

std::string WithoutMailto(std::string szText) {
    static const char kMailto[] = "mailto:";
    std::string szResult;
    std::size_t nPos = 0;
    for (std::size_t nHit; (nHit = szText.find(kMailto, nPos)) != std::string::npos; nPos = nHit + sizeof kMailto - 1)
        szResult.append(szText, nPos, nHit - nPos);
    return szResult.append(szText, nPos, std::string::npos);
}

}  // namespace

// Present in the interface; they count nothing and leave their outputs alone.
STDMETHODIMP CTrawler::GetInstanceCountFromFile(BSTR, BSTR, LONG*, VARIANT_BOOL*) { return S_OK; }

STDMETHODIMP CTrawler::GetInstanceCountFromURL(BSTR, BSTR, LONG*, VARIANT_BOOL*) { return S_OK; }

STDMETHODIMP CTrawler::get_EmailAt(LONG lIndex, BSTR* pEmail, VARIANT_BOOL* bRet) {
    try {
        std::string szEmail;
        if (lIndex >= 0 && static_cast<std::size_t>(lIndex) < m_matches.size())
            szEmail = WithoutMailto(m_matches[static_cast<std::size_t>(lIndex)]);
        if (pEmail) *pEmail = AnsiToBstr(szEmail);
        SetBool(bRet, true);
    } catch (...) {
        SetBool(bRet, false);
    }
    return S_OK;
}

STDMETHODIMP CTrawler::search_EmailAddresses(BSTR InBuf, LONG* pCount, VARIANT_BOOL* bRet) {
    try {
        FindEmailAddresses(BstrToAnsi(InBuf), m_matches);
    } catch (...) {
        // Out of memory: what was found stays.
    }
    if (pCount) *pCount = static_cast<LONG>(m_matches.size());
    SetBool(bRet, true);
    return S_OK;
}

STDMETHODIMP CTrawler::search_Keywords(BSTR InBuf, BSTR InKeywords, VARIANT_BOOL* bRet) {
    try {
        const std::string szExpression = KeywordExpression(BstrToAnsi(InKeywords));
        if (!szExpression.empty()) SearchExpression(szExpression, VisibleText(BstrToAnsi(InBuf)), m_matches);
    } catch (...) {
        // Out of memory: what was found stays.
    }
    SetBool(bRet, !m_matches.empty());
    return S_OK;
}

STDMETHODIMP CTrawler::get_ContactPage(BSTR buffer, BSTR szFind, BSTR, BSTR* szContactPage) {
    std::string szTarget;
    try {
        m_links.clear();
        m_links = CollectLinks(BstrToAnsi(buffer));
        szTarget = ChooseContactLink(m_links, BstrToAnsi(szFind));
    } catch (...) {
        szTarget.clear();
    }
    if (szContactPage) *szContactPage = AnsiToBstr(szTarget);
    return S_OK;
}

HRESULT CreateTrawler(IUnknown* lpOuter, REFIID riid, void** ppv) {
    return CServerObject<CTrawler>::Create(lpOuter, riid, ppv);
}
