// The address file natively, with hostile keys and list texts: headings
// stay whole and in bounds, removed entries leave the file.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "report/mailing_list.h"

namespace {

struct Filing {
    std::string key;
    std::string list;
    bool bIsWhoIs;
};

struct HostileCase {
    const char* szName;
    std::vector<Filing> filings;
    std::vector<std::string> removed;
    std::string expected;  // lines joined with "\n"; "\r\r\n" on disk
};

std::string OnDisk(const std::string& lines) {
    std::string text;
    std::size_t nStart = 0;
    for (std::size_t nEnd; (nEnd = lines.find('\n', nStart)) != std::string::npos; nStart = nEnd + 1)
        text += lines.substr(nStart, nEnd - nStart) + "\r\r\n";
    return text;
}

std::vector<HostileCase> HostileCases() {
    const std::string key(5000, 'k');
    const std::string cut = key.substr(0, kAddressHeadingSize - 10);
    return {
        {"brackets in the key", {{"a]b[", "x@y;", false}}, {}, "[a]b[]\nx@y\n"},
        {"empty key and empty addresses", {{"", ";;", true}}, {}, "[WhoIs][]\n\n"},
        {"overlong WhoIs key cut to the heading", {{key, "w@x;", true}}, {}, "[WhoIs][" + cut + "]\nw@x\n"},
        {"removed entry leaves the file", {{"a", "a@a;", false}, {"b", "b@b;", false}}, {"a"}, "[b]\nb@b\n"},
    };
}

class MailingListNative : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellmark-mail-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        m_folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string Path() const { return (m_folder / "EmailAdd.txt").string(); }
    std::string FileText() const {
        std::ifstream file(Path(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::filesystem::path m_folder;
};

TEST_F(MailingListNative, HostileEntries) {
    for (const HostileCase& test : HostileCases()) {
        SCOPED_TRACE(test.szName);
        CPostil sender;
        sender.SetAddressFilePath(Path().c_str());
        for (const Filing& filing : test.filings)
            ASSERT_TRUE(sender.AddEmails(filing.key.c_str(), filing.list.c_str(), filing.bIsWhoIs));
        for (const std::string& key : test.removed) EXPECT_TRUE(sender.RemoveEntry(key.c_str()));
        EXPECT_EQ(sender.WriteAddressFile(), EAddressFile::Written);
        EXPECT_EQ(FileText(), OnDisk(test.expected));
    }
}

TEST_F(MailingListNative, FolderThatIsMissingFailsToOpen) {
    CPostil sender;
    sender.SetAddressFilePath((m_folder / "missing" / "EmailAdd.txt").c_str());
    ASSERT_TRUE(sender.AddEmails("a", "a@a;", false));
    EXPECT_EQ(sender.WriteAddressFile(), EAddressFile::OpenFailed);
}

}  // namespace
