#pragma once
// An object of an in-process server that can be aggregated: the interface
// methods come from TImpl, the IUnknown of the interface delegates to the
// outer object when there is one, and a separate inner IUnknown owns the
// reference count. Each live object holds one module lock. Apartment
// threaded, so the reference count is a plain counter.
#include <windows.h>

#include <new>

#include "server_module_win.h"

// TImpl derives from its dispatch interface and provides
//   static bool Offers(REFIID riid)  for the interfaces beside IUnknown.
template <class TImpl>
class CServerObject final : public TImpl {
public:
    static HRESULT Create(IUnknown* lpOuter, REFIID riid, void** ppv) {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (lpOuter && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        auto* lpObject = new (std::nothrow) CServerObject(lpOuter);
        if (!lpObject) return E_OUTOFMEMORY;
        const HRESULT hr = lpObject->m_inner.QueryInterface(riid, ppv);
        if (FAILED(hr)) delete lpObject;
        return hr;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { return m_lpOuter->QueryInterface(riid, ppv); }
    STDMETHODIMP_(ULONG) AddRef() override { return m_lpOuter->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_lpOuter->Release(); }

private:
    class CInner final : public IUnknown {
    public:
        explicit CInner(CServerObject* lpOwner) : m_lpOwner(lpOwner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
            if (!ppv) return E_POINTER;
            if (IsEqualIID(riid, IID_IUnknown)) {
                *ppv = static_cast<IUnknown*>(this);
            } else if (TImpl::Offers(riid)) {
                *ppv = static_cast<TImpl*>(m_lpOwner);
            } else {
                *ppv = nullptr;
                return E_NOINTERFACE;
            }
            // Through the interface handed out: an aggregated part's
            // interfaces count on the outer object.
            static_cast<IUnknown*>(*ppv)->AddRef();
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }
        STDMETHODIMP_(ULONG) Release() override {
            const ULONG nRefs = --m_nRefs;
            if (nRefs == 0) delete m_lpOwner;
            return nRefs;
        }

    private:
        CServerObject* m_lpOwner;
        ULONG m_nRefs = 0;
    };

    explicit CServerObject(IUnknown* lpOuter) : m_inner(this), m_lpOuter(lpOuter ? lpOuter : &m_inner) {}
    ~CServerObject() = default;

    CModuleLock m_lock;
    CInner m_inner;
    IUnknown* m_lpOuter;
};
