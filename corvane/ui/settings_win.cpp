#include "ui/settings_win.h"

#include <mutex>
#include <vector>

#include "base/run_state.h"

COptions g_Options;

namespace {

const char kKeyPath[] = "SOFTWARE\\Pellmark";
const char kSubKey[] = "Options";

}  // namespace

CRegistryKey::CRegistryKey(HKEY hRoot) : m_hRoot(hRoot) {}

bool CRegistryKey::OpenKey(const char* szPath) {
    CloseSubKey();
    m_lLastError = RegOpenKeyExA(m_hRoot, szPath, 0, KEY_ALL_ACCESS, m_key.Receive());
    if (m_lLastError != ERROR_SUCCESS) m_key.Detach();
    return static_cast<bool>(m_key);
}

bool CRegistryKey::OpenSubKey(const char* szName) {
    CloseSubKey();
    if (!m_key) {
        m_lLastError = ERROR_INVALID_HANDLE;
        return false;
    }
    m_lLastError = RegOpenKeyExA(m_key.Get(), szName, 0, KEY_ALL_ACCESS, m_subKey.Receive());
    if (m_lLastError != ERROR_SUCCESS) m_subKey.Detach();
    return static_cast<bool>(m_subKey);
}

HKEY CRegistryKey::Target() const { return m_subKey ? m_subKey.Get() : m_key.Get(); }

DWORD CRegistryKey::ReadDword(const char* szName) {
    DWORD dwValue = 0, dwType = 0, dwSize = sizeof dwValue;
    m_lLastError = RegQueryValueExA(Target(), szName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &dwSize);
    if (m_lLastError != ERROR_SUCCESS || dwType != REG_DWORD || dwSize != sizeof dwValue) return 0;
    return dwValue;
}

std::string CRegistryKey::ReadString(const char* szName) {
    DWORD dwType = 0, dwSize = 0;
    m_lLastError = RegQueryValueExA(Target(), szName, nullptr, &dwType, nullptr, &dwSize);
    if (m_lLastError != ERROR_SUCCESS || dwSize == 0 || (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
        return std::string();
    // One byte more than asked for: the stored text need not end in NUL.
    std::vector<char> buffer(dwSize + 1, '\0');
    m_lLastError = RegQueryValueExA(Target(), szName, nullptr, &dwType, reinterpret_cast<BYTE*>(buffer.data()), &dwSize);
    if (m_lLastError != ERROR_SUCCESS) return std::string();
    return std::string(buffer.data());
}

bool CRegistryKey::WriteDword(const char* szName, DWORD dwValue) {
    m_lLastError = RegSetValueExA(Target(), szName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof dwValue);
    if (m_lLastError == ERROR_SUCCESS) m_lLastError = RegFlushKey(Target());
    return m_lLastError == ERROR_SUCCESS;
}

bool CRegistryKey::WriteString(const char* szName, const std::string& value) {
    m_lLastError = RegSetValueExA(Target(), szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                                  static_cast<DWORD>(value.size()));
    if (m_lLastError == ERROR_SUCCESS) m_lLastError = RegFlushKey(Target());
    return m_lLastError == ERROR_SUCCESS;
}

void CRegistryKey::CloseSubKey() { m_subKey.Reset(); }

void CRegistryKey::CloseKey() { m_key.Reset(); }

COptions::COptions() : m_key(HKEY_LOCAL_MACHINE) {
    lstrcpynA(m_szKeyPath, kKeyPath, sizeof m_szKeyPath);
    lstrcpynA(m_szSubKey, kSubKey, sizeof m_szSubKey);
}

COptions::~COptions() = default;

bool COptions::Load() {
    if (!m_key.OpenKey(m_szKeyPath)) return false;
    bool bOpened = m_key.OpenSubKey(m_szSubKey);
    if (bOpened) {
        SetContactFlag(static_cast<int>(m_key.ReadDword("bContact")));
        SetEmailFlag(static_cast<int>(m_key.ReadDword("bEmail")));
        SetWhoIsFlag(static_cast<int>(m_key.ReadDword("bWhoIs")));
        SetKeywordFlag(static_cast<int>(m_key.ReadDword("bKeyword")));
        SetQueryDelay(static_cast<int>(m_key.ReadDword("dQueryDelay")));
        SetKeywords(m_key.ReadString("Keywords"));
        m_key.CloseSubKey();
    }
    m_key.CloseKey();
    return bOpened;
}

bool COptions::Save() {
    if (!m_key.OpenKey(m_szKeyPath)) return false;
    bool bOpened = m_key.OpenSubKey(m_szSubKey);
    if (bOpened) {
        m_key.WriteDword("bContact", m_bContact ? 1 : 0);
        m_key.WriteDword("bEmail", m_bEmail ? 1 : 0);
        m_key.WriteDword("bWhoIs", m_bWhoIs ? 1 : 0);
        m_key.WriteDword("bKeyword", m_bKeyword ? 1 : 0);
        m_key.WriteDword("dQueryDelay", static_cast<DWORD>(m_nQueryDelay));
        // Without the keyword option an older keyword text stays stored.
        if (m_bKeyword && !m_szKeywords.empty()) m_key.WriteString("Keywords", m_szKeywords);
        m_key.CloseSubKey();
    }
    m_key.CloseKey();
    return bOpened;
}

void ApplyOptionsToRunState(const COptions& options) {
    std::lock_guard<CRecoverableLock> guard(OptionsLock());
    g_bContact = options.GetContactFlag() != 0;
    g_bEmail = options.GetEmailFlag() != 0;
    g_bKeyword = options.GetKeywordFlag() != 0;
    g_bWhoIs = options.GetWhoIsFlag() != 0;
    g_szKeywords = options.GetKeywords();
    g_nQueryDelay = options.GetQueryDelay();
}

namespace {

// Reading the store and applying what was read are one step: the options
// dialog's accept, which sets and saves the options under the same lock,
// cannot fall between them and be undone by older stored values.
bool LoadAndApply(COptions& options) {
    std::lock_guard<CRecoverableLock> guard(OptionsLock());
    if (!options.Load()) return false;
    ApplyOptionsToRunState(options);
    return true;
}

}  // namespace

bool LoadStoredOptions() { return LoadAndApply(g_Options); }

bool RefreshRunStateFromStore() {
    COptions stored;
    return LoadAndApply(stored);
}
