// The options in the registry: the key wrapper, COptions and the start-up load.
#include <gtest/gtest.h>

#include "base/run_state.h"
#include "support/options_sandbox.h"
#include "ui/settings_win.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_sandbox.CreateEmpty();
        g_bContact = g_bEmail = g_bWhoIs = g_bKeyword = false;
        g_szKeywords.clear();
        g_nQueryDelay = 100;
    }

    static void Fill(COptions& options, int bFlags, const char* szKeywords, int nDelay) {
        options.SetContactFlag(bFlags);
        options.SetEmailFlag(bFlags);
        options.SetWhoIsFlag(bFlags);
        options.SetKeywordFlag(bFlags);
        options.SetKeywords(szKeywords);
        options.SetQueryDelay(nDelay);
    }

    COptionsSandbox m_sandbox;
};

TEST_F(SettingsStoreTest, KeyWithoutValuesStartsWithEverythingOff) {
    g_bContact = g_bEmail = g_bWhoIs = g_bKeyword = true;
    g_szKeywords = "old";
    EXPECT_TRUE(LoadStoredOptions());
    EXPECT_FALSE(g_bContact || g_bEmail || g_bWhoIs || g_bKeyword);
    EXPECT_EQ(g_szKeywords, "");
    EXPECT_EQ(g_nQueryDelay, 0);
}

TEST_F(SettingsStoreTest, MissingKeyLeavesEverythingAsItIs) {
    for (bool bParentToo : {false, true}) {
        if (bParentToo)
            m_sandbox.RemoveParent();
        else
            m_sandbox.Remove();
        COptions options;
        Fill(options, 1, "kept", 1234);
        EXPECT_FALSE(options.Load());
        EXPECT_EQ(options.GetContactFlag(), 1);
        EXPECT_EQ(options.GetKeywords(), "kept");
        EXPECT_EQ(options.GetQueryDelay(), 1234);
        EXPECT_FALSE(options.Save());
        EXPECT_FALSE(m_sandbox.Exists()) << "the program never creates the key";
        EXPECT_FALSE(LoadStoredOptions());
        EXPECT_EQ(g_nQueryDelay, 100);
    }
}

TEST_F(SettingsStoreTest, LoadReadsEveryValue) {
    struct {
        const char* name;
        DWORD value;
    } const kValues[] = {{"bContact", 1}, {"bEmail", 0}, {"bWhoIs", 1}, {"bKeyword", 1}, {"dQueryDelay", 2500}};
    for (const auto& v : kValues) m_sandbox.SetDword(v.name, v.value);
    m_sandbox.SetRaw("Keywords", REG_SZ, "seo\r\nlinks");  // stored without a terminator
    COptions options;
    ASSERT_TRUE(options.Load());
    EXPECT_EQ(options.GetContactFlag(), 1);
    EXPECT_EQ(options.GetEmailFlag(), 0);
    EXPECT_EQ(options.GetWhoIsFlag(), 1);
    EXPECT_EQ(options.GetKeywordFlag(), 1);
    EXPECT_EQ(options.GetQueryDelay(), 2500);
    EXPECT_EQ(options.GetKeywords(), "seo\r\nlinks");
    ApplyOptionsToRunState(options);
    EXPECT_TRUE(g_bContact && g_bWhoIs && g_bKeyword);
    EXPECT_FALSE(g_bEmail);
    EXPECT_EQ(g_szKeywords, "seo\r\nlinks");
    EXPECT_EQ(g_nQueryDelay, 2500);
}

TEST_F(SettingsStoreTest, ValuesOfTheWrongTypeReadAsNothing) {
    m_sandbox.SetRaw("bContact", REG_SZ, std::string("1", 2));
    m_sandbox.SetRaw("Keywords", REG_DWORD, std::string("\x01\0\0\0", 4));
    m_sandbox.SetDword("bEmail", 7);  // any non-zero number means on
    COptions options;
    Fill(options, 1, "x", 5);
    ASSERT_TRUE(options.Load());
    EXPECT_EQ(options.GetContactFlag(), 0);
    EXPECT_EQ(options.GetKeywords(), "");
    EXPECT_EQ(options.GetEmailFlag(), 1);
}

TEST_F(SettingsStoreTest, SaveWritesTypedValuesAndKeywordsWithoutTerminator) {
    COptions options;
    Fill(options, 1, "one\r\ntwo", 3000);
    ASSERT_TRUE(options.Save());
    for (const char* szName : {"bContact", "bEmail", "bWhoIs", "bKeyword"}) EXPECT_EQ(m_sandbox.Dword(szName), 1u) << szName;
    EXPECT_EQ(m_sandbox.Dword("dQueryDelay"), 3000u);
    DWORD dwType = 0;
    std::string data;
    ASSERT_TRUE(m_sandbox.Raw("Keywords", dwType, data));
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data.c_str(), std::string("one\r\ntwo"));
    COptions back;
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.GetKeywords(), "one\r\ntwo");
    EXPECT_EQ(back.GetQueryDelay(), 3000);
}

TEST_F(SettingsStoreTest, KeywordsAreWrittenOnlyWithTheOptionAndAText) {
    struct {
        int bKeyword;
        const char* keywords;
        const char* stored;
    } const kCases[] = {{0, "new", "old"}, {1, "", "old"}, {1, "new", "new"}};
    for (const auto& c : kCases) {
        m_sandbox.SetRaw("Keywords", REG_SZ, "old");
        COptions options;
        Fill(options, 0, c.keywords, 0);
        options.SetKeywordFlag(c.bKeyword);
        ASSERT_TRUE(options.Save());
        DWORD dwType = 0;
        std::string data;
        ASSERT_TRUE(m_sandbox.Raw("Keywords", dwType, data));
        EXPECT_EQ(data.c_str(), std::string(c.stored)) << c.bKeyword << " " << c.keywords;
        EXPECT_EQ(m_sandbox.Dword("bKeyword"), static_cast<DWORD>(c.bKeyword));
    }
}

TEST_F(SettingsStoreTest, KeyWrapperNeverCreatesAndRecordsTheError) {
    CRegistryKey key(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(key.OpenKey("SOFTWARE\\Pellmark\\NoSuchKey"));
    EXPECT_EQ(key.LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.OpenSubKey("Options")) << "no key is open";
    ASSERT_TRUE(key.OpenKey("SOFTWARE\\Pellmark"));
    EXPECT_FALSE(key.OpenSubKey("Missing"));
    EXPECT_NE(key.LastError(), ERROR_SUCCESS);
    ASSERT_TRUE(key.OpenSubKey("Options"));
    EXPECT_EQ(key.ReadDword("dQueryDelay"), 0u);
    EXPECT_EQ(key.LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(key.WriteDword("dQueryDelay", 42));
    EXPECT_EQ(key.ReadDword("dQueryDelay"), 42u);
    EXPECT_EQ(key.ReadString("Keywords"), "");
    key.CloseSubKey();
    key.CloseKey();
    CRegistryKey probe(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(probe.OpenKey("SOFTWARE\\Pellmark\\NoSuchKey")) << "a failed open made the key";
}

TEST_F(SettingsStoreTest, LongKeywordTextReadsBackWhole) {
    std::string keywords;
    for (int i = 0; keywords.size() < 6000; ++i) keywords += "keyword" + std::to_string(i) + "\r\n";
    m_sandbox.SetRaw("Keywords", REG_SZ, keywords);
    COptions options;
    ASSERT_TRUE(options.Load());
    EXPECT_EQ(options.GetKeywords(), keywords);
}

}  // namespace
