#include "registration_win.h"

#include <olectl.h>

#include "platform_owners_win.h"

namespace {

std::wstring GuidText(const GUID& guid) {
    wchar_t szGuid[64] = L"";
    StringFromGUID2(guid, szGuid, static_cast<int>(sizeof szGuid / sizeof szGuid[0]));
    return szGuid;
}

bool WriteEntry(const CRegistryEntry& entry) {
    CRegKey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    if (!entry.bHasValue) return true;
    const DWORD nBytes = static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), entry.szValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(entry.value.c_str()), nBytes) == ERROR_SUCCESS;
}

// The key with everything under it; a missing key is no error.
void RemoveKey(const std::wstring& key) { RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()); }

HRESULT LoadOwnTypeLib(ITypeLib** ppTypeLib) {
    return LoadTypeLibEx(g_Module.ModulePath().c_str(), REGKIND_NONE, ppTypeLib);
}

HRESULT RegisterOwnTypeLib() {
    CComRef<ITypeLib> typeLib;
    if (FAILED(LoadOwnTypeLib(typeLib.Receive()))) return SELFREG_E_TYPELIB;
    std::wstring path = g_Module.ModulePath();
    return SUCCEEDED(RegisterTypeLib(typeLib.Get(), &path[0], nullptr)) ? S_OK : SELFREG_E_TYPELIB;
}

HRESULT UnregisterOwnTypeLib() {
    CComRef<ITypeLib> typeLib;
    if (FAILED(LoadOwnTypeLib(typeLib.Receive()))) return SELFREG_E_TYPELIB;
    TLIBATTR* lpAttr = nullptr;
    if (FAILED(typeLib->GetLibAttr(&lpAttr))) return SELFREG_E_TYPELIB;
    // Unregistered with the attributes it was registered with (locale and
    // 32- or 64-bit kind).
    const HRESULT hr = UnRegisterTypeLib(lpAttr->guid, lpAttr->wMajorVerNum, lpAttr->wMinorVerNum, lpAttr->lcid,
                                         lpAttr->syskind);
    typeLib->ReleaseTLibAttr(lpAttr);
    return SUCCEEDED(hr) || hr == TYPE_E_REGISTRYACCESS ? S_OK : SELFREG_E_TYPELIB;
}

}  // namespace

std::vector<std::wstring> OwnedKeys(const CServerClass& serverClass) {
    return {serverClass.szProgId, serverClass.szVersionIndependentProgId,
            L"CLSID\\" + GuidText(*serverClass.lpClsid)};
}

std::vector<CRegistryEntry> RegistryTable(const CServerClass& serverClass, const GUID& libId,
                                          const std::wstring& modulePath) {
    const std::wstring clsid = GuidText(*serverClass.lpClsid);
    const std::wstring progId = serverClass.szProgId;
    const std::wstring viProgId = serverClass.szVersionIndependentProgId;
    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring name = serverClass.szClassName;
    return {
        {progId, nullptr, name, true},
        {progId + L"\\CLSID", nullptr, clsid, true},
        {viProgId, nullptr, name, true},
        {viProgId + L"\\CLSID", nullptr, clsid, true},
        {viProgId + L"\\CurVer", nullptr, progId, true},
        {classKey, nullptr, name, true},
        {classKey + L"\\ProgID", nullptr, progId, true},
        {classKey + L"\\VersionIndependentProgID", nullptr, viProgId, true},
        {classKey + L"\\Programmable", nullptr, L"", false},
        {classKey + L"\\InprocServer32", nullptr, modulePath, true},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment", true},
        {classKey + L"\\TypeLib", nullptr, GuidText(libId), true},
    };
}

HRESULT RegisterServer() {
    const std::wstring modulePath = g_Module.ModulePath();
    if (modulePath.empty()) return SELFREG_E_CLASS;
    for (std::size_t i = 0; i < g_ServerDescription.nClasses; ++i) {
        const CServerClass& serverClass = g_ServerDescription.lpClasses[i];
        // The class's keys are replaced whole.
        for (const std::wstring& key : OwnedKeys(serverClass)) RemoveKey(key);
        for (const CRegistryEntry& entry : RegistryTable(serverClass, *g_ServerDescription.lpLibId, modulePath))
            if (!WriteEntry(entry)) return SELFREG_E_CLASS;
    }
    return RegisterOwnTypeLib();
}

HRESULT UnregisterServer() {
    for (std::size_t i = 0; i < g_ServerDescription.nClasses; ++i)
        for (const std::wstring& key : OwnedKeys(g_ServerDescription.lpClasses[i])) RemoveKey(key);
    return UnregisterOwnTypeLib();
}
