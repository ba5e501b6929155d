#include "class_factory_win.h"

#include <new>

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_nRefs)); }

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    const LONG nRefs = InterlockedDecrement(&m_nRefs);
    if (nRefs == 0) delete this;
    return static_cast<ULONG>(nRefs);
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* lpOuter, REFIID riid, void** ppv) {
    return m_class.CreateInstance(lpOuter, riid, ppv);
}

STDMETHODIMP CClassFactory::LockServer(BOOL bLock) {
    if (bLock)
        g_Module.Lock();
    else
        g_Module.Unlock();
    return S_OK;
}

HRESULT GetServerClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (std::size_t i = 0; i < g_ServerDescription.nClasses; ++i) {
        const CServerClass& serverClass = g_ServerDescription.lpClasses[i];
        if (!IsEqualCLSID(clsid, *serverClass.lpClsid)) continue;
        auto* lpFactory = new (std::nothrow) CClassFactory(serverClass);
        if (!lpFactory) return E_OUTOFMEMORY;
        lpFactory->AddRef();
        const HRESULT hr = lpFactory->QueryInterface(riid, ppv);
        lpFactory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}
