#pragma once
// The class object DllGetClassObject hands out: creates objects of one
// class and raises or lowers the module's lock count on LockServer. A
// class object alone does not keep the library loaded; only LockServer does.
#include <windows.h>

#include "server_module_win.h"

class CClassFactory final : public IClassFactory {
public:
    explicit CClassFactory(const CServerClass& serverClass) : m_class(serverClass) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* lpOuter, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL bLock) override;

private:
    ~CClassFactory() = default;

    const CServerClass& m_class;
    volatile LONG m_nRefs = 0;
};

// A new class object of the class clsid, asked for riid.
HRESULT GetServerClassObject(REFCLSID clsid, REFIID riid, void** ppv);
