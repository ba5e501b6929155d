#include "report/mailing_list.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "base/diagnostic_log.h"
#include "base/run_fence.h"

#if defined(_WIN32)
#include <direct.h>
#define getcwd _getcwd
#else
#include <unistd.h>
#endif

CPostil g_MailSender;

namespace {

const char kAddressFileName[] = "EmailAdd.txt";

struct FileCloser {
    void operator()(std::FILE* lpFile) const { std::fclose(lpFile); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The addresses of a list text: each part followed by ";"; a text without
// any ";" is one address.
std::vector<std::string> SplitAddresses(const std::string& listText) {
    if (listText.find(';') == std::string::npos) return {listText};
    std::vector<std::string> addresses;
    std::size_t nStart = 0;
    for (std::size_t nEnd; (nEnd = listText.find(';', nStart)) != std::string::npos; nStart = nEnd + 1)
        addresses.push_back(listText.substr(nStart, nEnd - nStart));
    return addresses;
}

// The address file's lines, each written once at its first place. A line
// ends with "\r\r\n" on disk: the file has always been written as "\r\n"
// through a text-mode stream, and readers of it expect exactly that.
class CAddressFileWriter {
public:
    explicit CAddressFileWriter(std::FILE* lpFile) : m_lpFile(lpFile) {}

    void WriteLine(const std::string& line) {
        if (!m_written.insert(line).second) return;
        std::fwrite(line.data(), 1, line.size(), m_lpFile);
        std::fputs("\r\r\n", m_lpFile);
    }

    void WriteMap(const std::map<std::string, std::string>& entries, const char* szHeadingPrefix) {
        for (const auto& entry : entries) {
            WriteLine(Heading(szHeadingPrefix, entry.first));
            for (const std::string& address : SplitAddresses(entry.second)) WriteLine(address);
        }
    }

private:
    // "[key]" in a bounded buffer; a key too long keeps its closing "]".
    static std::string Heading(const char* szPrefix, const std::string& key) {
        char szHeading[kAddressHeadingSize];
        int nRoom = static_cast<int>(sizeof szHeading) - static_cast<int>(std::strlen(szPrefix)) - 3;
        int nKey = key.size() < static_cast<std::size_t>(nRoom) ? static_cast<int>(key.size()) : nRoom;
        std::snprintf(szHeading, sizeof szHeading, "%s[%.*s]", szPrefix, nKey, key.c_str());
        return szHeading;
    }

    std::FILE* m_lpFile;
    std::set<std::string> m_written;
};

}  // namespace

CPostil::CPostil() {
    m_szPath[0] = '\0';
    char szDirectory[kAddressFilePathSize];
    if (!getcwd(szDirectory, sizeof szDirectory)) return;
    std::size_t nLen = std::strlen(szDirectory);
    bool bEndsInSlash = nLen > 0 && (szDirectory[nLen - 1] == '\\' || szDirectory[nLen - 1] == '/');
    std::string path = std::string(szDirectory) + (bEndsInSlash ? "" : "\\") + kAddressFileName;
    SetAddressFilePath(path.c_str());
}

CPostil::~CPostil() = default;

void CPostil::SetAddressFilePath(const char* szPath) {
    std::size_t nLen = szPath ? std::strlen(szPath) : 0;
    if (nLen >= sizeof m_szPath) nLen = 0;
    if (nLen) std::memcpy(m_szPath, szPath, nLen);
    m_szPath[nLen] = '\0';
}

// An evaluation that "Force" left behind may come back during a later
// run: what it found or rejected belongs to a run that has ended, and the
// next run's mailing must not send to it nor lose its own entry to it.
bool CPostil::AddEmails(const char* szKey, const char* szListText, bool bIsWhoIs) {
    if (!szKey || !szListText) return false;
    bool bFiled = WithinOwnRun([&] {
        std::lock_guard<std::mutex> guard(m_lock);
        (bIsWhoIs ? m_whoIs : m_pages).emplace(szKey, szListText);
    });
    if (!bFiled) g_Log.Printf("AddEmails: the run of %s has ended; not filed", szKey);
    return bFiled;
}

bool CPostil::HasEntry(const char* szKey, bool bIsWhoIs) const {
    if (!szKey) return false;
    std::lock_guard<std::mutex> guard(m_lock);
    const auto& entries = bIsWhoIs ? m_whoIs : m_pages;
    return entries.count(szKey) != 0;
}

bool CPostil::RemoveEntry(const char* szKey) {
    if (!szKey) return false;
    bool bRemoved = false;
    WithinOwnRun([&] {
        std::lock_guard<std::mutex> guard(m_lock);
        bRemoved = m_whoIs.erase(szKey) != 0 || m_pages.erase(szKey) != 0;
    });
    return bRemoved;
}

bool CPostil::ClearAll() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_pages.clear();
    m_whoIs.clear();
    return true;
}

EAddressFile CPostil::WriteAddressFile() const {
    FilePtr file(m_szPath[0] ? std::fopen(m_szPath, "w+b") : nullptr);
    if (!file) return EAddressFile::OpenFailed;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_pages.empty() && m_whoIs.empty()) return EAddressFile::NoAddresses;
    CAddressFileWriter writer(file.get());
    writer.WriteMap(m_pages, "");
    writer.WriteMap(m_whoIs, "[WhoIs]");
    return EAddressFile::Written;
}
