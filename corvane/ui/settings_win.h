#pragma once
// The user's options in the registry (key "SOFTWARE\Pellmark", subkey
// "Options", under HKEY_LOCAL_MACHINE) and the settings object that reads
// and writes them. The program never creates the key: an installer does.
#include <windows.h>

#include <string>

#include "platform_owners_win.h"

class CRegistryKey {
public:
    explicit CRegistryKey(HKEY hRoot);

    bool OpenKey(const char* szPath);
    bool OpenSubKey(const char* szName);
    DWORD ReadDword(const char* szName);
    std::string ReadString(const char* szName);
    bool WriteDword(const char* szName, DWORD dwValue);
    bool WriteString(const char* szName, const std::string& value);
    void CloseSubKey();
    void CloseKey();
    LONG LastError() const { return m_lLastError; }

private:
    // The subkey when one is open, otherwise the key.
    HKEY Target() const;

    HKEY m_hRoot;
    CRegKey m_key;
    CRegKey m_subKey;
    LONG m_lLastError = ERROR_SUCCESS;
};

class COptions {
public:
    COptions();
    virtual ~COptions();

    bool Load();
    bool Save();

    int GetQueryDelay() const { return m_nQueryDelay; }
    void SetQueryDelay(int n) { m_nQueryDelay = n; }
    const std::string& GetKeywords() const { return m_szKeywords; }
    void SetKeywords(const std::string& s) { m_szKeywords = s; }
    int GetKeywordFlag() const { return m_bKeyword; }
    void SetKeywordFlag(int b) { m_bKeyword = b ? 1 : 0; }
    int GetContactFlag() const { return m_bContact; }
    void SetContactFlag(int b) { m_bContact = b ? 1 : 0; }
    int GetWhoIsFlag() const { return m_bWhoIs; }
    void SetWhoIsFlag(int b) { m_bWhoIs = b ? 1 : 0; }
    int GetEmailFlag() const { return m_bEmail; }
    void SetEmailFlag(int b) { m_bEmail = b ? 1 : 0; }

private:
    int m_nQueryDelay = 0;
    char m_szKeyPath[500];
    char m_szSubKey[500];
    std::string m_szKeywords;
    int m_bKeyword = 0, m_bContact = 0, m_bWhoIs = 0, m_bEmail = 0;
    CRegistryKey m_key;
};

// Copies the loaded options into g_bContact, g_bEmail, g_bKeyword, g_bWhoIs,
// g_szKeywords and g_nQueryDelay, in that order.
void ApplyOptionsToRunState(const COptions& options);

// The program's settings object.
extern COptions g_Options;

// Loads g_Options and, when the stored options could be read, copies them
// into the run state (start-up). False when the key is missing.
bool LoadStoredOptions();
// The same from a settings object of its own, leaving g_Options as it is
// (an evaluation's thread, which must not touch the dialog's object).
bool RefreshRunStateFromStore();
