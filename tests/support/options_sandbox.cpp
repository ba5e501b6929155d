#include "support/options_sandbox.h"

namespace {

const char kParent[] = "SOFTWARE\\Pellmark";
const char kOptions[] = "SOFTWARE\\Pellmark\\Options";
const char kSources[] = "SOFTWARE\\Pellmark\\Sources";

struct CKey {
    HKEY h = nullptr;
    CKey(const char* szPath, REGSAM sam) { RegOpenKeyExA(HKEY_LOCAL_MACHINE, szPath, 0, sam, &h); }
    ~CKey() {
        if (h) RegCloseKey(h);
    }
};

bool KeyExists(const char* szPath) { return CKey(szPath, KEY_READ).h != nullptr; }

void CreateKey(const char* szPath) {
    HKEY h = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, szPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr) == ERROR_SUCCESS)
        RegCloseKey(h);
}

}  // namespace

COptionsSandbox::KeySnapshot COptionsSandbox::Snapshot(const char* szPath) {
    KeySnapshot snapshot;
    snapshot.bExisted = KeyExists(szPath);
    CKey key(szPath, KEY_READ);
    for (DWORD i = 0; key.h; ++i) {
        char szName[256];
        DWORD dwName = sizeof szName, dwType = 0, dwData = 0;
        if (RegEnumValueA(key.h, i, szName, &dwName, nullptr, &dwType, nullptr, &dwData) != ERROR_SUCCESS) break;
        std::string data(dwData, '\0');
        dwName = sizeof szName;
        RegEnumValueA(key.h, i, szName, &dwName, nullptr, &dwType, reinterpret_cast<BYTE*>(&data[0]), &dwData);
        snapshot.values.push_back({szName, dwType, data});
    }
    return snapshot;
}

void COptionsSandbox::Restore(const char* szPath, const KeySnapshot& snapshot) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, szPath);
    if (!snapshot.bExisted) return;
    CreateKey(szPath);
    CKey key(szPath, KEY_ALL_ACCESS);
    for (const Value& v : snapshot.values)
        RegSetValueExA(key.h, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                       static_cast<DWORD>(v.data.size()));
}

// Every test starts from the classic sources: no "Sources" key.
COptionsSandbox::COptionsSandbox()
    : m_bHadParent(KeyExists(kParent)), m_options(Snapshot(kOptions)), m_sources(Snapshot(kSources)) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSources);
}

COptionsSandbox::~COptionsSandbox() {
    Restore(kSources, m_sources);
    Restore(kOptions, m_options);
    if (m_bHadParent)
        CreateKey(kParent);
    else
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kParent);
}

void COptionsSandbox::CreateEmpty() {
    Remove();
    CreateKey(kOptions);
}

void COptionsSandbox::Remove() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOptions); }

void COptionsSandbox::RemoveParent() {
    Remove();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSources);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kParent);
}

void COptionsSandbox::SetDword(const char* szName, DWORD dwValue) {
    SetRaw(szName, REG_DWORD, std::string(reinterpret_cast<const char*>(&dwValue), sizeof dwValue));
}

void COptionsSandbox::SetRaw(const char* szName, DWORD dwType, const std::string& data) {
    CKey key(kOptions, KEY_ALL_ACCESS);
    // The system adds a terminator to a string value when a NUL follows the
    // data; a byte that is not NUL keeps the length exactly as given.
    std::string buffer = data + 'X';
    RegSetValueExA(key.h, szName, 0, dwType, reinterpret_cast<const BYTE*>(buffer.data()), static_cast<DWORD>(data.size()));
}

bool COptionsSandbox::Exists() const { return KeyExists(kOptions); }

bool COptionsSandbox::HasValue(const char* szName) const {
    DWORD dwType = 0;
    std::string data;
    return Raw(szName, dwType, data);
}

DWORD COptionsSandbox::Dword(const char* szName) const {
    DWORD dwType = 0;
    std::string data;
    DWORD dwValue = 0xFFFFFFFF;
    if (Raw(szName, dwType, data) && dwType == REG_DWORD && data.size() == sizeof dwValue)
        memcpy(&dwValue, data.data(), sizeof dwValue);
    return dwValue;
}

bool COptionsSandbox::Raw(const char* szName, DWORD& dwType, std::string& data) const {
    CKey key(kOptions, KEY_READ);
    DWORD dwSize = 0;
    if (!key.h || RegQueryValueExA(key.h, szName, nullptr, &dwType, nullptr, &dwSize) != ERROR_SUCCESS) return false;
    data.assign(dwSize, '\0');
    return RegQueryValueExA(key.h, szName, nullptr, &dwType, reinterpret_cast<BYTE*>(&data[0]), &dwSize) == ERROR_SUCCESS;
}
