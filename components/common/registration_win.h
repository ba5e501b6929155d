#pragma once
// Self-registration: the registry entries of every class, built as a table
// from the server's description, and the type library the library carries
// as resource TYPELIB 1, registered from the library's own path.
#include <windows.h>

#include <string>
#include <vector>

#include "server_module_win.h"

// One registry value under HKEY_CLASSES_ROOT; a null value name is the
// key's default value, a null value makes the key alone.
struct CRegistryEntry {
    std::wstring key;
    const wchar_t* szValueName;
    std::wstring value;
    bool bHasValue;
};

// The keys a class owns (removed whole) and the values written under them.
std::vector<std::wstring> OwnedKeys(const CServerClass& serverClass);
std::vector<CRegistryEntry> RegistryTable(const CServerClass& serverClass, const GUID& libId,
                                          const std::wstring& modulePath);

HRESULT RegisterServer();
HRESULT UnregisterServer();
