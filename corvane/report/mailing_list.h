#pragma once
// The process-wide mailing list: e-mail addresses found during runs,
// filed per page and per WhoIs domain, written to "EmailAdd.txt" and
// handed to the outside mail component.
#include <map>
#include <string>

constexpr std::size_t kAddressFilePathSize = 1024;

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

    const char* AddressFilePath() const { return m_szPath; }
    void SetAddressFilePath(const char* szPath);

private:
    char m_szPath[kAddressFilePathSize];
    std::map<std::string, std::string> m_pages;
    std::map<std::string, std::string> m_whoIs;
};

extern CPostil g_MailSender;
