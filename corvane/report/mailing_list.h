#pragma once
// The process-wide mailing list: e-mail addresses found during runs,
// filed per page and per WhoIs domain, written to "EmailAdd.txt" and
// handed to the outside mail component.
#include <map>
#include <mutex>
#include <string>

constexpr std::size_t kAddressFilePathSize = 1024;
constexpr std::size_t kAddressHeadingSize = 2048;

enum class EAddressFile { Written, OpenFailed, NoAddresses };

class CPostil {
public:
    CPostil();
    virtual ~CPostil();

    bool AddEmails(const char* szKey, const char* szListText, bool bIsWhoIs);
    bool HasEntry(const char* szKey, bool bIsWhoIs) const;
    bool RemoveEntry(const char* szKey);
    bool ClearAll();
    // Writes the address file and hands it to the mail component (Windows).
    bool Send();

    // Recreates the address file: every page heading and its addresses,
    // then every WhoIs heading and its addresses, no line written twice.
    EAddressFile WriteAddressFile() const;

    const char* AddressFilePath() const { return m_szPath; }
    // A path too long for the member leaves it empty rather than cut.
    void SetAddressFilePath(const char* szPath);

private:
    char m_szPath[kAddressFilePathSize];
    // An evaluation left behind by "Force" may still file addresses while
    // the next run files its own or the main window clears the list.
    mutable std::mutex m_lock;
    std::map<std::string, std::string> m_pages;
    std::map<std::string, std::string> m_whoIs;
};

extern CPostil g_MailSender;
