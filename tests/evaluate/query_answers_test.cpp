// The rank service's reply and the "link:" summary line, read as numbers.
#include <gtest/gtest.h>

#include <climits>

#include "evaluate/query_answers.h"

namespace {

struct AnswerCase {
    const char* response;
    int32_t expected;
};

TEST(ParseRankAnswer, ReadsTheNumberAfterTheSecondColon) {
    const AnswerCase kCases[] = {
        {"Rank_1:1:6\n", 6},
        {"Rank_1:2:10", 10},
        {"Rank_1:1:  7 and more", 7},
        {"Rank_1:1:-3", -3},
        {"Rank_1:1:+4", 4},
        {"Rank_1:1:12", 12},  // not checked against 0..10
        {"Rank_1:1:", 0},     // empty tail
        {"Rank_1:1:x5", 0},
        {"Rank_1:6", 0},  // one colon
        {"Rank 6", 0},    // none
        {"fail", 0},
        {"", 0},
        {"a:b:c:9", 0},  // the text after the second colon is "c:9"
        {"Rank_1:1:99999999999", INT_MAX},
    };
    for (const AnswerCase& c : kCases) EXPECT_EQ(ParseRankAnswer(c.response), c.expected) << c.response;
}

TEST(ParseBackwardLinksAnswer, ReadsTheBoldTotalOfTheSummaryLine) {
    const AnswerCase kCases[] = {
        {"Results 1 - 10 of about <b>1,234</b> linking to x", 1234},
        {"Profile <b>1</b> of <b>12</b>", 1},  // the first "of" is inside "Profile"
        {"Results 1 - 10 of <b>12</b> linking", 12},
        {"of about <b>1 234 567</b>", 1234567},
        {"of about <b>12,345,678,901</b>", INT_MAX},  // more than ten digits
        {"of about <b>2147483648</b>", INT_MAX},
        {"of about <b>2147483647</b>", INT_MAX},
        {"of about <b>999999999</b>", 999999999},
        {"of about <b>12345678901234567</b>", 0},  // bold part of 20 characters
        {"of about <b>1234567890123456</b>", INT_MAX},  // 19: still read
        {"of about </b> <b>12</b>", 0},  // closing before opening
        {"of about <b>12", 0},
        {"of about 12</b>", 0},
        {"Software <b>news</b> here", 0},  // "of" inside a word, bold word
        {"Software <b>7 days</b> here", 7},
        {"of about <b>abc</b>", 0},
        {"fail", 0},
        {"", 0},
        {"nothing to see", 0},
    };
    for (const AnswerCase& c : kCases) EXPECT_EQ(ParseBackwardLinksAnswer(c.response), c.expected) << c.response;
}

TEST(LeadingInteger, ReadsLikeTheCRuntimeButSaturates) {
    const AnswerCase kCases[] = {
        {"42", 42},   {"  \t42x", 42}, {"-17", -17},        {"+5", 5},
        {"x1", 0},    {"", 0},         {"- 1", 0},          {"99999999999999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const AnswerCase& c : kCases) EXPECT_EQ(LeadingInteger(c.response), c.expected) << c.response;
    EXPECT_EQ(LeadingInteger(nullptr), 0);
}

}  // namespace
