#include <gtest/gtest.h>

#include <windows.h>
#include <direct.h>

#include <string>
#include <thread>
#include <vector>

#include "base/run_fence.h"
#include "base/run_state.h"
#include "report/mailing_list.h"
#include "support/temp_folder.h"

namespace {

std::string Lines(std::initializer_list<const char*> lines) {
    std::string file;
    for (const char* szLine : lines) file += std::string(szLine) + "\r\r\n";
    return file;
}

struct Filing {
    const char* szKey;
    const char* szList;
    bool bIsWhoIs;
};

struct AddressFileCase {
    const char* szName;
    std::vector<Filing> filings;
    std::string expected;
};

std::vector<AddressFileCase> AddressFileCases() {
    return {
        {"page headings, then WhoIs headings",
         {{"http://site.example/", "root@site.example;", true}, {"http://site.example/a", "info@site.example;", false}},
         Lines({"[http://site.example/a]", "info@site.example", "[WhoIs][http://site.example/]", "root@site.example"})},
        {"first WhoIs filing of a host wins",
         {{"http://h.example/", "first@h.example;", true}, {"http://h.example/", "second@h.example;", true}},
         Lines({"[WhoIs][http://h.example/]", "first@h.example"})},
        {"an address is written once, under the first heading in key order",
         {{"http://b.example/", "x@y.example;", false}, {"http://a.example/", "x@y.example;z@y.example;", false},
          {"http://c.example/", "x@y.example;", true}},
         Lines({"[http://a.example/]", "x@y.example", "z@y.example", "[http://b.example/]",
                "[WhoIs][http://c.example/]"})},
        {"list text without a separator is one address",
         {{"http://a.example/", "solo@a.example", false}}, Lines({"[http://a.example/]", "solo@a.example"})},
        {"text after the last separator is dropped",
         {{"http://a.example/", "one@a.example;two@a.example", false}},
         Lines({"[http://a.example/]", "one@a.example"})},
        {"capital letters sort first",
         {{"http://a.example/", "l@a.example;", false}, {"Http://z.example/", "c@z.example;", false}},
         Lines({"[Http://z.example/]", "c@z.example", "[http://a.example/]", "l@a.example"})},
        {"lines compare with case",
         {{"http://a.example/", "Me@a.example;me@a.example;Me@a.example;", false}},
         Lines({"[http://a.example/]", "Me@a.example", "me@a.example"})},
    };
}

class MailingList : public ::testing::Test {
protected:
    void SetUp() override { m_sender.SetAddressFilePath(m_path.c_str()); }
    std::string FileText() const { return ReadWholeFile(m_path); }

    CTempFolder m_folder;
    std::string m_path = m_folder.File("EmailAdd.txt");
    CPostil m_sender;
};

TEST_F(MailingList, AddressFileByteForByte) {
    for (const AddressFileCase& test : AddressFileCases()) {
        SCOPED_TRACE(test.szName);
        CPostil sender;
        sender.SetAddressFilePath(m_path.c_str());
        for (const Filing& filing : test.filings)
            EXPECT_TRUE(sender.AddEmails(filing.szKey, filing.szList, filing.bIsWhoIs));
        EXPECT_EQ(sender.WriteAddressFile(), EAddressFile::Written);
        EXPECT_EQ(FileText(), test.expected);
    }
}

TEST_F(MailingList, NothingCollectedLeavesAnEmptyFile) {
    WriteWholeFile(m_path, "left over from the last sending\r\r\n");
    EXPECT_EQ(m_sender.WriteAddressFile(), EAddressFile::NoAddresses);
    EXPECT_EQ(GetFileAttributesA(m_path.c_str()) != INVALID_FILE_ATTRIBUTES, true);
    EXPECT_EQ(FileText(), "");
}

TEST_F(MailingList, FilingRules) {
    EXPECT_FALSE(m_sender.AddEmails(nullptr, "a@b;", false));
    EXPECT_FALSE(m_sender.AddEmails("http://a.example/", nullptr, true));
    EXPECT_FALSE(m_sender.HasEntry("http://a.example/", false));

    ASSERT_TRUE(m_sender.AddEmails("http://a.example/", "page@a.example;", false));
    ASSERT_TRUE(m_sender.AddEmails("http://a.example/", "whois@a.example;", true));
    EXPECT_TRUE(m_sender.HasEntry("http://a.example/", false));
    EXPECT_TRUE(m_sender.HasEntry("http://a.example/", true));

    // Removing a key filed in both maps takes the WhoIs entry first.
    EXPECT_TRUE(m_sender.RemoveEntry("http://a.example/"));
    EXPECT_FALSE(m_sender.HasEntry("http://a.example/", true));
    EXPECT_TRUE(m_sender.HasEntry("http://a.example/", false));
    EXPECT_TRUE(m_sender.RemoveEntry("http://a.example/"));
    EXPECT_FALSE(m_sender.HasEntry("http://a.example/", false));
    EXPECT_FALSE(m_sender.RemoveEntry("http://a.example/"));

    // An evaluation that "Force" left behind comes back after its run has
    // ended: it files nothing and removes nothing of the next run's list.
    ASSERT_TRUE(m_sender.AddEmails("http://b.example/", "b@b.example;", false));
    std::thread([&] {
        BindThreadToRun(g_nRunSerial);
        AdvanceRunSerial();
        EXPECT_FALSE(m_sender.AddEmails("http://left.example/", "left@left.example;", false));
        EXPECT_FALSE(m_sender.RemoveEntry("http://b.example/"));
    }).join();
    EXPECT_FALSE(m_sender.HasEntry("http://left.example/", false));
    EXPECT_TRUE(m_sender.HasEntry("http://b.example/", false));

    ASSERT_TRUE(m_sender.AddEmails("http://c.example/", "c@c.example;", true));
    EXPECT_TRUE(m_sender.ClearAll());
    EXPECT_FALSE(m_sender.HasEntry("http://b.example/", false));
    EXPECT_FALSE(m_sender.HasEntry("http://c.example/", true));
    EXPECT_EQ(m_sender.WriteAddressFile(), EAddressFile::NoAddresses);
}

// Filing from two evaluation threads at once (one of them left behind by
// "Force") while the list is read: every filing lands, none is lost.
TEST_F(MailingList, ConcurrentFilingKeepsEveryEntry) {
    constexpr int kPerThread = 100000;
    auto file = [&](const char* szPrefix) {
        for (int i = 0; i < kPerThread; ++i) {
            std::string key = szPrefix + std::to_string(i);
            m_sender.AddEmails(key.c_str(), "a@b.example;", false);
            m_sender.AddEmails(key.c_str(), "a@b.example;", true);
            m_sender.RemoveEntry(key.c_str());
        }
    };
    std::thread first(file, "http://first.example/");
    std::thread second(file, "http://second.example/");
    first.join();
    second.join();
    // Each key kept its page entry; its WhoIs entry went with the removal.
    for (const char* szPrefix : {"http://first.example/", "http://second.example/"}) {
        for (int i = 0; i < kPerThread; ++i) {
            std::string key = szPrefix + std::to_string(i);
            EXPECT_TRUE(m_sender.HasEntry(key.c_str(), false)) << key;
            EXPECT_FALSE(m_sender.HasEntry(key.c_str(), true)) << key;
        }
    }
}

TEST_F(MailingList, OverlongKeyKeepsItsHeadingInBounds) {
    std::string key = "http://long.example/" + std::string(3000, 'k');
    ASSERT_TRUE(m_sender.AddEmails(key.c_str(), "a@long.example;", false));
    ASSERT_TRUE(m_sender.AddEmails(key.c_str(), "w@long.example;", true));
    ASSERT_EQ(m_sender.WriteAddressFile(), EAddressFile::Written);
    std::string pageHeading = "[" + key.substr(0, kAddressHeadingSize - 3) + "]";
    std::string whoIsHeading = "[WhoIs][" + key.substr(0, kAddressHeadingSize - 10) + "]";
    EXPECT_EQ(FileText(), pageHeading + "\r\r\na@long.example\r\r\n" + whoIsHeading + "\r\r\nw@long.example\r\r\n");
}

TEST_F(MailingList, UnusablePathsFailToOpen) {
    ASSERT_TRUE(m_sender.AddEmails("http://a.example/", "a@a.example;", false));
    std::string longPath = m_folder.Path() + "\\" + std::string(kAddressFilePathSize, 'p');
    const std::string paths[] = {m_folder.File("missing\\EmailAdd.txt"), longPath};
    for (const std::string& path : paths) {
        m_sender.SetAddressFilePath(path.c_str());
        EXPECT_EQ(m_sender.WriteAddressFile(), EAddressFile::OpenFailed);
    }
    EXPECT_STREQ(m_sender.AddressFilePath(), "");
}

TEST(MailingListPath, StartUpDirectoryAndFileName) {
    char szSaved[MAX_PATH] = "";
    ASSERT_TRUE(_getcwd(szSaved, sizeof szSaved));
    CTempFolder folder;
    struct Case {
        std::string directory;
        std::string expected;
    } cases[] = {{folder.Path(), folder.Path() + "\\EmailAdd.txt"}, {"C:\\", "C:\\EmailAdd.txt"}};
    for (const Case& test : cases) {
        ASSERT_EQ(_chdir(test.directory.c_str()), 0);
        CPostil sender;
        EXPECT_STREQ(sender.AddressFilePath(), test.expected.c_str());
    }
    ASSERT_EQ(_chdir(szSaved), 0);
}

}  // namespace
