// The fast duplicate tests answer exactly as the plain rules they replace,
// on generated inputs: FindInList for the outbound scan, a case-ignoring
// substring search through every record for the crawl.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "base/run_state.h"
#include "base/substring_index.h"
#include "evaluate/address_set.h"
#include "support/tools_binding.h"
#include "web/tools_library.h"

namespace {

// Few distinct letters in both cases, separators and bytes above 127, so
// that equal, contained and case-different texts are frequent.
const char kAlphabet[] = "aAbB/.:\xc9\xe9";

class Generator {
public:
    explicit Generator(unsigned nSeed) : m_random(nSeed) {}

    std::string Text(int nMaxLength) {
        std::string text(Pick(nMaxLength + 1), ' ');
        for (char& c : text) c = kAlphabet[Pick(sizeof kAlphabet - 1)];
        return text;
    }
    // A piece of one of the texts, with some letters' case turned over.
    std::string PieceOf(const std::vector<std::string>& texts) {
        const std::string& text = texts[Pick(static_cast<int>(texts.size()))];
        std::size_t nStart = Pick(static_cast<int>(text.size()) + 1);
        std::string piece = text.substr(nStart, Pick(static_cast<int>(text.size() - nStart) + 1));
        for (char& c : piece)
            if (Pick(2) && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) c ^= 0x20;
        return piece;
    }
    int Pick(int nCount) { return std::uniform_int_distribution<int>(0, nCount - 1)(m_random); }

private:
    std::mt19937 m_random;
};

TEST(AddressSet, AnswersAsFindInList) {
    Generator gen(20240601);
    std::vector<std::string> list;
    CAddressSet set;
    int nFound = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string value = list.empty() || gen.Pick(2) ? gen.Text(4) : gen.PieceOf(list);
        bool bPlain = FindInList(&list, value.c_str());
        ASSERT_EQ(set.Contains(value), bPlain) << "value " << i << ": " << value;
        nFound += bPlain;
        if (!bPlain) {
            list.push_back(value);
            set.Insert(value);
        }
    }
    EXPECT_GT(nFound, 5000) << "the generator should make many duplicates";
}

class CrawlIndexTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_tools.IsBound()); }
    void TearDown() override { g_RunList.Clear(); }

    CBoundTools m_tools;
};

// The rule as the crawl first had it: the first record whose Source
// contains the text, through the tools library's case-ignoring search.
const URLInfo* PlainFirstContaining(const char* szText) {
    for (std::size_t i = 0; i < g_RunList.Size(); ++i)
        if (StrStrNoCase(g_RunList.At(i)->Source, szText)) return g_RunList.At(i);
    return nullptr;
}

TEST_F(CrawlIndexTest, RunListAnswersAsThePlainSearch) {
    for (unsigned nSeed : {1u, 2u, 3u}) {
        Generator gen(nSeed);
        g_RunList.Clear();
        std::vector<std::string> sources;
        int nFound = 0;
        for (int i = 0; i < 3000; ++i) {
            if (sources.empty() || gen.Pick(4) == 0) {
                sources.push_back(gen.Text(24));
                g_RunList.Append(std::make_unique<URLInfo>(MakeRecord(sources.back().c_str())));
            }
            std::string pattern = gen.Pick(3) ? gen.PieceOf(sources) : gen.Text(6);
            const URLInfo* lpPlain = PlainFirstContaining(pattern.c_str());
            ASSERT_EQ(g_RunList.FindContaining(pattern.c_str()), lpPlain)
                << "seed " << nSeed << ", question " << i << ": " << pattern;
            nFound += lpPlain != nullptr;
        }
        EXPECT_GT(nFound, 1000) << "seed " << nSeed;
    }
}

TEST(SubstringIndex, EdgeCases) {
    CSubstringIndex index;
    EXPECT_EQ(index.FindFirst(""), CSubstringIndex::npos);
    index.Add(nullptr);
    EXPECT_EQ(index.FindFirst(""), CSubstringIndex::npos) << "a missing text contains nothing";
    index.Add("");
    index.Add("http://Host.COM/Page");
    index.Add("http://host.com/");
    EXPECT_EQ(index.Count(), 4u);
    EXPECT_EQ(index.FindFirst(""), 1u);
    EXPECT_EQ(index.FindFirst("HOST.com/"), 2u);
    EXPECT_EQ(index.FindFirst("http://host.com/page"), 2u);
    EXPECT_EQ(index.FindFirst("http://host.com/pages"), CSubstringIndex::npos);
    EXPECT_EQ(index.FindFirst(nullptr), CSubstringIndex::npos);
    index.Clear();
    EXPECT_EQ(index.FindFirst("h"), CSubstringIndex::npos);
    EXPECT_EQ(index.Count(), 0u);
}

TEST_F(CrawlIndexTest, SourcesCorrectedBeforeTheFirstQuestionCount) {
    g_RunList.Append(std::make_unique<URLInfo>(MakeRecord("  Example.com/x")));
    CorrectURL(g_RunList.At(0));  // as a URL run does before its worker starts
    EXPECT_EQ(g_RunList.FindContaining("http://example.com/x"), g_RunList.At(0));
    g_RunList.Clear();
    EXPECT_EQ(g_RunList.FindContaining("example"), nullptr);
}

}  // namespace
