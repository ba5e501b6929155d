#pragma once
// Trawler: page text analysis behind ITrawler. Every method answers S_OK
// and reports through its out-parameters.
#include <windows.h>

#include <string>
#include <vector>

#include "contact_links.h"
#include "dispatch_win.h"
#include "kestrine_h.h"

class CTrawler : public CDispatchImpl<ITrawler, &IID_ITrawler> {
public:
    STDMETHODIMP GetInstanceCountFromFile(BSTR fileBuffer, BSTR txtSearch, LONG* count, VARIANT_BOOL* bRet) override;
    STDMETHODIMP GetInstanceCountFromURL(BSTR bstrURL, BSTR txtSearch, LONG* count, VARIANT_BOOL* bRet) override;
    STDMETHODIMP get_EmailAt(LONG lIndex, BSTR* pEmail, VARIANT_BOOL* bRet) override;
    STDMETHODIMP search_EmailAddresses(BSTR InBuf, LONG* pCount, VARIANT_BOOL* bRet) override;
    STDMETHODIMP search_Keywords(BSTR InBuf, BSTR InKeywords, VARIANT_BOOL* bRet) override;
    STDMETHODIMP get_ContactPage(BSTR buffer, BSTR szFind, BSTR szURL, BSTR* szContactPage) override;

protected:
    virtual ~CTrawler() = default;

private:
    // Every text matched by a search on this object, in order; never emptied.
    std::vector<std::string> m_matches;
    // The links of the page last given to get_ContactPage.
    std::vector<CPageLink> m_links;
};

HRESULT CreateTrawler(IUnknown* lpOuter, REFIID riid, void** ppv);
