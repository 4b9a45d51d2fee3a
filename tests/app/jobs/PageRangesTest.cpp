// Page ranges: "all", lists, ascending and descending ranges, numbers outside the document, tokens
// with more than one "-" under both rules, and ranges far beyond the document.

#include <gtest/gtest.h>

#include <chrono>

#include "app/jobs/PageRanges.h"

using Pages = std::vector<std::uint64_t>;

TEST(PageIndexsForString, Table) {
    struct Case {
        std::optional<std::string> text;
        std::int64_t count;
        Pages expected;
    } cases[] = {
        {std::nullopt, 3, {1, 2, 3}},
        {"", 3, {1, 2, 3}},
        {"all", 3, {1, 2, 3}},
        {"ALL", 3, {1, 2, 3}},
        {"All", 0, {}},
        {"1-3,5", 10, {1, 2, 3, 5}},
        {"3-1", 5, {3, 2, 1}},
        {"2-2", 5, {2}},
        {"5,1,5", 5, {5, 1, 5}},
        {"0", 5, {}},
        {"7,0,-1,2", 5, {1, 2}},          // "-1" is the range 0-1
        {"-3", 5, {1, 2, 3}},             // "" and "3": the range 0-3
        {"4-", 5, {4, 3, 2, 1}},          // "4" and "": the range 4-0
        {"1-2-3", 5, {1}},                // three parts: the token's own number
        {"2a,b3, 4", 5, {2, 4}},          // leading numbers only
        {"3-9", 5, {3, 4, 5}},
        {"9-3", 5, {5, 4, 3}},
        {"1-3", -1, {}},
        {"99999999999999999999,2", 5, {2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.value_or("(none)") + " of " + std::to_string(c.count));
        EXPECT_EQ(kx::PageIndexsForString(c.text, c.count), c.expected);
    }
}

// The walk over the tokens on its own: the rule for tokens with extra "-" signs is the only
// difference between the two callers; "all" and the empty text are the callers' business.
TEST(PageNumbersInRangeText, ExtraDashRules) {
    struct Case {
        const char* text;
        kx::ExtraDashToken rule;
        Pages expected;
    } cases[] = {
        {"1-2-3,4", kx::ExtraDashToken::ItsNumber, {1, 4}},
        {"1-2-3,4", kx::ExtraDashToken::Nothing, {4}},
        {"--2", kx::ExtraDashToken::ItsNumber, {}},  // its own number is 0
        {"2--", kx::ExtraDashToken::ItsNumber, {2}},
        {"2--", kx::ExtraDashToken::Nothing, {}},
        {"3,1,3", kx::ExtraDashToken::Nothing, {3, 1, 3}},
        {"", kx::ExtraDashToken::Nothing, {}},
        {"all", kx::ExtraDashToken::ItsNumber, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(kx::pageNumbersInRangeText(c.text, 5, c.rule), c.expected);
    }
}

// A range far beyond the document is cut to the document before it is walked.
TEST(PageIndexsForString, HugeRangesDoNotHang) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(kx::PageIndexsForString("1-99999999999", 3), (Pages{1, 2, 3}));
    EXPECT_EQ(kx::PageIndexsForString("99999999999-1", 3), (Pages{3, 2, 1}));
    EXPECT_EQ(kx::PageIndexsForString("0-2147483647", 2), (Pages{1, 2}));
    EXPECT_EQ(kx::PageIndexsForString("1-2000000000", 1), (Pages{1}));
    EXPECT_EQ(kx::PageIndexsForString("2000000000-1", 1), (Pages{1}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// The window's custom range: the empty text is page 1, the shown "All Pages" text every page, a
// token with two "-" signs nothing; ranges beyond the document cost no more than the document.
TEST(PageIndexsForCustomRange, Table) {
    struct Case {
        const char* text;
        std::int64_t count;
        Pages expected;
    } cases[] = {
        {"", 10, {1}},
        {"", 0, {}},
        {"All Pages", 4, {1, 2, 3, 4}},
        {"All Pages", 0, {}},
        {"all", 4, {}},
        {"1-3,5", 10, {1, 2, 3, 5}},
        {"3-", 10, {3, 2, 1}},
        {"-3", 10, {1, 2, 3}},
        {"1-2-3,4", 10, {4}},
        {"1-99999999999", 3, {1, 2, 3}},
        {"2147483647-2", 3, {3, 2}},
        {"5-99999999999,1", 3, {1}},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " of " + std::to_string(c.count));
        EXPECT_EQ(kx::pageIndexsForCustomRange(c.text, "All Pages", c.count), c.expected);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

// Whether the window's custom range reads as it is written: every token read whole by the number
// reading, with at most one "-". The range edges the reading takes (an empty side, blanks, a "+")
// read; letters, a second "-" or anything after the digits do not.
TEST(IsCustomRangeReadable, Table) {
    struct Case {
        const char* text;
        bool readable;
    } cases[] = {
        {"", true},
        {"All Pages", true},
        {"1-3,5", true},
        {" 2 - 4 , 7 ", true},
        {"-3", true},
        {"3-", true},
        {"+2", true},
        {"0", true},
        {"1,,3,", true},
        {"99999999999", true},
        {"All Pages2-3", false},
        {"All Pages,2", false},
        {"all", false},
        {"abc", false},
        {"2a", false},
        {"1-2-3", false},
        {"1-2-3,4", false},
        {"1.5", false},
        {"1;3", false},
        {"2 3", false},
        {"--2", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(kx::isCustomRangeReadable(c.text, "All Pages"), c.readable);
    }
}
