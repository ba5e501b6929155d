#pragma once
// IDispatch of a dual interface, served from the component's registered
// type library: the type information is loaded once per process and
// cached, and so are the names looked up through it.
#include <windows.h>
#include <oleauto.h>

#include <map>
#include <mutex>
#include <string>

class CTypeInfoHolder {
public:
    explicit CTypeInfoHolder(const IID& iid) : m_iid(iid) {}
    // The cache is dropped by ClearTypeInfoCaches when the library may be
    // unloaded, never at process exit, when OLE may be gone already.
    ~CTypeInfoHolder() = default;
    CTypeInfoHolder(const CTypeInfoHolder&) = delete;
    CTypeInfoHolder& operator=(const CTypeInfoHolder&) = delete;

    // The cached type information, with a reference for the caller.
    HRESULT GetTypeInfo(LCID lcid, ITypeInfo** ppTypeInfo);
    HRESULT GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId);
    HRESULT Invoke(IDispatch* lpThis, DISPID dispIdMember, LCID lcid, WORD wFlags, DISPPARAMS* lpParams,
                   VARIANT* lpResult, EXCEPINFO* lpExcepInfo, UINT* lpArgErr);
    // Drops the cache (the library is being unloaded).
    void Clear();

private:
    HRESULT Load(LCID lcid);

    const IID& m_iid;
    ITypeInfo* m_lpTypeInfo = nullptr;
    std::map<std::wstring, DISPID> m_names;
};

// Drops every holder's cache; called when the library may be unloaded.
void ClearTypeInfoCaches();

template <class TInterface, const IID* piid>
class CDispatchImpl : public TInterface {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* lpCount) override {
        if (!lpCount) return E_POINTER;
        *lpCount = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT nIndex, LCID lcid, ITypeInfo** ppTypeInfo) override {
        if (!ppTypeInfo) return E_POINTER;
        *ppTypeInfo = nullptr;
        if (nIndex != 0) return DISP_E_BADINDEX;
        return s_typeInfo.GetTypeInfo(lcid, ppTypeInfo);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        return s_typeInfo.GetIDsOfNames(rgszNames, cNames, lcid, rgDispId);
    }
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* lpParams,
                        VARIANT* lpResult, EXCEPINFO* lpExcepInfo, UINT* lpArgErr) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        return s_typeInfo.Invoke(static_cast<TInterface*>(this), dispIdMember, lcid, wFlags, lpParams, lpResult,
                                 lpExcepInfo, lpArgErr);
    }

    static bool Offers(REFIID riid) { return IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, *piid); }

private:
    static inline CTypeInfoHolder s_typeInfo{*piid};
};
