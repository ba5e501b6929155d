#pragma once
// COstrel: the e-mail addresses that the WhoIs service shows for a domain,
// from the classic lookup page or from RDAP, as the Sources dialog chose.
// Both methods answer S_OK; a missing or empty domain gives a null BSTR
// without any request.
#include <windows.h>

#include "dispatch_win.h"
#include "ostrel_h.h"

class COstrel : public CDispatchImpl<ICOstrel, &IID_ICOstrel> {
public:
    // The first address on the service's page, or a null BSTR.
    STDMETHODIMP GetEMail(BSTR bstrDomainName, BSTR* bstrEmailId) override;
    // Every address, each followed by ","; empty when none.
    STDMETHODIMP GetEMails(BSTR bstrDomainName, BSTR* bstrEmailId) override;

protected:
    virtual ~COstrel() = default;
};

HRESULT CreateOstrel(IUnknown* lpOuter, REFIID riid, void** ppv);
