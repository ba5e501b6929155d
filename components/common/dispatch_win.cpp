#include "dispatch_win.h"

#include <algorithm>
#include <cwctype>
#include <vector>

#include "platform_owners_win.h"
#include "server_module_win.h"

namespace {
// One lock for every cache of the process.
std::mutex g_typeInfoLock;

std::vector<CTypeInfoHolder*>& LoadedHolders() {
    static std::vector<CTypeInfoHolder*> holders;
    return holders;
}

std::wstring NameKey(const wchar_t* szName) {
    std::wstring key(szName);
    std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return key;
}
}  // namespace

void CTypeInfoHolder::Clear() {
    if (m_lpTypeInfo) m_lpTypeInfo->Release();
    m_lpTypeInfo = nullptr;
    m_names.clear();
}

HRESULT CTypeInfoHolder::Load(LCID lcid) {
    if (m_lpTypeInfo) return S_OK;
    CComRef<ITypeLib> typeLib;
    HRESULT hr = LoadRegTypeLib(*g_ServerDescription.lpLibId, g_ServerDescription.wMajorVersion,
                                g_ServerDescription.wMinorVersion, lcid, typeLib.Receive());
    // Not registered for this locale (or not at all): the library carries it.
    if (FAILED(hr)) hr = LoadTypeLibEx(g_Module.ModulePath().c_str(), REGKIND_NONE, typeLib.Receive());
    if (FAILED(hr)) return hr;
    hr = typeLib->GetTypeInfoOfGuid(m_iid, &m_lpTypeInfo);
    if (SUCCEEDED(hr)) LoadedHolders().push_back(this);
    return hr;
}

HRESULT CTypeInfoHolder::GetTypeInfo(LCID lcid, ITypeInfo** ppTypeInfo) {
    std::lock_guard<std::mutex> guard(g_typeInfoLock);
    const HRESULT hr = Load(lcid);
    if (FAILED(hr)) return hr;
    m_lpTypeInfo->AddRef();
    *ppTypeInfo = m_lpTypeInfo;
    return S_OK;
}

HRESULT CTypeInfoHolder::GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) {
    if (!rgszNames || !rgDispId || cNames == 0) return E_INVALIDARG;
    std::lock_guard<std::mutex> guard(g_typeInfoLock);
    const HRESULT hr = Load(lcid);
    if (FAILED(hr)) return hr;
    // Only a lone method name is cached; with parameter names the answer
    // depends on all of them.
    if (cNames != 1 || !rgszNames[0]) return m_lpTypeInfo->GetIDsOfNames(rgszNames, cNames, rgDispId);
    const std::wstring key = NameKey(rgszNames[0]);
    const auto it = m_names.find(key);
    if (it != m_names.end()) {
        rgDispId[0] = it->second;
        return S_OK;
    }
    const HRESULT hrLookup = m_lpTypeInfo->GetIDsOfNames(rgszNames, 1, rgDispId);
    if (SUCCEEDED(hrLookup)) m_names.emplace(key, rgDispId[0]);
    return hrLookup;
}

HRESULT CTypeInfoHolder::Invoke(IDispatch* lpThis, DISPID dispIdMember, LCID lcid, WORD wFlags,
                                DISPPARAMS* lpParams, VARIANT* lpResult, EXCEPINFO* lpExcepInfo, UINT* lpArgErr) {
    CComRef<ITypeInfo> typeInfo;
    const HRESULT hr = GetTypeInfo(lcid, typeInfo.Receive());
    if (FAILED(hr)) return hr;
    return typeInfo->Invoke(lpThis, dispIdMember, wFlags, lpParams, lpResult, lpExcepInfo, lpArgErr);
}

void ClearTypeInfoCaches() {
    std::lock_guard<std::mutex> guard(g_typeInfoLock);
    for (CTypeInfoHolder* lpHolder : LoadedHolders()) lpHolder->Clear();
    LoadedHolders().clear();
}
