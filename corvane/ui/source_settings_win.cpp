#include "ui/source_settings_win.h"

#include <wincrypt.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "base/run_state.h"
#include "platform_owners_win.h"
#include "source_registry.h"

namespace {

CSourceSettings s_sources;  // under the options lock

// The settings are the machine's, as the options are: a key is encrypted
// for this machine, so every user of the program can use it, and it never
// lies in the registry (or an export of it) as plain text.
std::vector<BYTE> Protect(const std::string& text) {
    if (text.empty()) return {};
    DATA_BLOB in{static_cast<DWORD>(text.size()), reinterpret_cast<BYTE*>(const_cast<char*>(text.data()))};
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"Pellmark", nullptr, nullptr, nullptr,
                          CRYPTPROTECT_UI_FORBIDDEN | CRYPTPROTECT_LOCAL_MACHINE, &out))
        return {};
    std::vector<BYTE> blob(out.pbData, out.pbData + out.cbData);
    LocalFree(out.pbData);
    return blob;
}

std::string Unprotect(const std::vector<BYTE>& blob) {
    if (blob.empty()) return std::string();
    DATA_BLOB in{static_cast<DWORD>(blob.size()), const_cast<BYTE*>(blob.data())};
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
        return std::string();
    std::string text(reinterpret_cast<const char*>(out.pbData), out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return text;
}

std::vector<BYTE> ReadValue(HKEY hKey, const char* szName, DWORD dwWantedType) {
    DWORD dwType = 0, dwSize = 0;
    if (RegQueryValueExA(hKey, szName, nullptr, &dwType, nullptr, &dwSize) != ERROR_SUCCESS || dwType != dwWantedType)
        return {};
    std::vector<BYTE> data(dwSize);
    if (dwSize && RegQueryValueExA(hKey, szName, nullptr, &dwType, data.data(), &dwSize) != ERROR_SUCCESS) return {};
    data.resize(dwSize);
    return data;
}

DWORD ReadNumber(HKEY hKey, const char* szName, DWORD dwMissing) {
    std::vector<BYTE> data = ReadValue(hKey, szName, REG_DWORD);
    if (data.size() != sizeof(DWORD)) return dwMissing;
    DWORD dwValue = 0;
    std::memcpy(&dwValue, data.data(), sizeof dwValue);
    return dwValue;
}

std::string ReadText(HKEY hKey, const char* szName) {
    std::vector<BYTE> data = ReadValue(hKey, szName, REG_SZ);
    return std::string(data.begin(), data.end()).c_str();
}

void ReadEndpoint(HKEY hKey, const char* szName, std::string& endpoint) {
    std::string stored = ReadText(hKey, szName);
    if (!stored.empty()) endpoint = stored;
}

template <typename Source>
Source ReadChoice(HKEY hKey, const char* szName, Source last) {
    DWORD dwChoice = ReadNumber(hKey, szName, 0);
    return dwChoice <= static_cast<DWORD>(last) ? static_cast<Source>(dwChoice) : Source{};
}

bool WriteValue(HKEY hKey, const char* szName, DWORD dwType, const void* lpData, std::size_t nSize) {
    return RegSetValueExA(hKey, szName, 0, dwType, static_cast<const BYTE*>(lpData), static_cast<DWORD>(nSize)) ==
           ERROR_SUCCESS;
}

bool WriteNumber(HKEY hKey, const char* szName, DWORD dwValue) {
    return WriteValue(hKey, szName, REG_DWORD, &dwValue, sizeof dwValue);
}

bool WriteText(HKEY hKey, const char* szName, const std::string& text) {
    return WriteValue(hKey, szName, REG_SZ, text.c_str(), text.size() + 1);
}

bool WriteSecret(HKEY hKey, const char* szName, const std::string& secret) {
    std::vector<BYTE> blob = Protect(secret);
    if (blob.empty() != secret.empty()) return false;
    return WriteValue(hKey, szName, REG_BINARY, blob.data(), blob.size());
}

}  // namespace

bool LoadSourceSettings(CSourceSettings& settings) {
    settings = CSourceSettings();
    CRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSourcesKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        key.Detach();
        return false;
    }
    settings.bChosen = ReadNumber(key.Get(), "Chosen", 1) != 0;
    settings.results = ReadChoice(key.Get(), "Results", EResultsSource::Brave);
    settings.searxngInstance = ReadText(key.Get(), "SearXNGInstance");
    settings.braveKey = Unprotect(ReadValue(key.Get(), "BraveKey", REG_BINARY));
    settings.rank = ReadChoice(key.Get(), "Rank", ERankSource::OpenPageRank);
    settings.openPageRankKey = Unprotect(ReadValue(key.Get(), "OpenPageRankKey", REG_BINARY));
    settings.whois = ReadChoice(key.Get(), kWhoIsSourceValue, EWhoIsSource::Rdap);
    ReadEndpoint(key.Get(), "BraveEndpoint", settings.braveEndpoint);
    ReadEndpoint(key.Get(), "OpenPageRankEndpoint", settings.openPageRankEndpoint);
    return true;
}

bool SaveSourceSettings(const CSourceSettings& settings) {
    CRegKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSourcesKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.Receive(), nullptr) != ERROR_SUCCESS) {
        key.Detach();
        return false;
    }
    bool bWritten = WriteNumber(key.Get(), "Chosen", settings.bChosen ? 1 : 0) &&
                    WriteNumber(key.Get(), "Results", static_cast<DWORD>(settings.results)) &&
                    WriteText(key.Get(), "SearXNGInstance", settings.searxngInstance) &&
                    WriteSecret(key.Get(), "BraveKey", settings.braveKey) &&
                    WriteNumber(key.Get(), "Rank", static_cast<DWORD>(settings.rank)) &&
                    WriteSecret(key.Get(), "OpenPageRankKey", settings.openPageRankKey) &&
                    WriteNumber(key.Get(), kWhoIsSourceValue, static_cast<DWORD>(settings.whois));
    return bWritten && RegFlushKey(key.Get()) == ERROR_SUCCESS;
}

CSourceSettings TakeSourceSettings() {
    std::lock_guard<CRecoverableLock> guard(OptionsLock());
    return s_sources;
}

void PutSourceSettings(const CSourceSettings& settings) {
    std::lock_guard<CRecoverableLock> guard(OptionsLock());
    s_sources = settings;
}
