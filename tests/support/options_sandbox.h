#pragma once
// The options key of the test prefix ("SOFTWARE\Pellmark" subkey "Options"
// under HKEY_LOCAL_MACHINE), made as an installer would make it and put
// back as it was found when the test ends. The "Sources" subkey is taken
// away meanwhile (every source classic), and put back too. Tests that use it hold the
// CTest lock "registry_options".
#include <windows.h>

#include <string>
#include <vector>

class COptionsSandbox {
public:
    COptionsSandbox();
    ~COptionsSandbox();
    COptionsSandbox(const COptionsSandbox&) = delete;
    COptionsSandbox& operator=(const COptionsSandbox&) = delete;

    // An empty "Options" subkey (and its parent when missing).
    void CreateEmpty();
    // "Options" does not exist.
    void Remove();
    // Neither "Options" nor "SOFTWARE\Pellmark" exists (when the parent
    // holds nothing else).
    void RemoveParent();

    void SetDword(const char* szName, DWORD dwValue);
    // Raw bytes: the length decides whether a terminating NUL is stored.
    void SetRaw(const char* szName, DWORD dwType, const std::string& data);
    bool Exists() const;
    bool HasValue(const char* szName) const;
    DWORD Dword(const char* szName) const;
    // Type and stored bytes of a value.
    bool Raw(const char* szName, DWORD& dwType, std::string& data) const;

private:
    struct Value {
        std::string name;
        DWORD type;
        std::string data;
    };
    struct KeySnapshot {
        bool bExisted = false;
        std::vector<Value> values;
    };
    static KeySnapshot Snapshot(const char* szPath);
    static void Restore(const char* szPath, const KeySnapshot& snapshot);

    bool m_bHadParent = false;
    KeySnapshot m_options;
    KeySnapshot m_sources;
};
