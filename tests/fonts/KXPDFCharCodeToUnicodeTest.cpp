// ToUnicode maps and the CMap tokenizer: bfchar and bfrange sections, code widths, multi-value
// mappings, comments, the space code and hostile inputs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fonts/KXPDFCMapTokenizer.h"
#include "fonts/KXPDFCharCodeToUnicode.h"

namespace {

std::vector<std::string> tokens(std::string_view text, size_t size = 256) {
    KXPDFCMapTokenizer tokenizer(text);
    std::vector<std::string> out;
    std::string token;
    while (tokenizer.getToken(token, size)) out.push_back(token);
    return out;
}

std::vector<std::uint32_t> lookup(const KXPDFCharCodeToUnicode& map, std::uint32_t code) {
    std::uint32_t u[16] = {};
    int n = map.mapToUnicode(code, u, 16);
    return std::vector<std::uint32_t>(u, u + n);
}

std::string cmap(const std::string& body) {
    return "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n" + body + "\nendcmap\nend end\n";
}

}  // namespace

TEST(KXPDFCMapTokenizer, CutsTokensAsTheCMapSyntaxDoes) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"names keep their slash, numbers and keywords stand alone", "/Adobe-Japan1 usecmap 12 begincidrange",
         {"/Adobe-Japan1", "usecmap", "12", "begincidrange"}},
        {"hex strings drop inner white space", "<00 4\n1> <0061>", {"<0041>", "<0061>"}},
        {"literal strings keep escaped parentheses", "(a\\)b) x", {"(a\\)b)", "x"}},
        {"brackets are tokens of their own", "[<0066>]", {"[", "<0066>", "]"}},
        {"comments run to the end of the line", "% beginbfchar\nendcmap %x", {"endcmap"}},
        {"a NUL byte ends the text", std::string("a b\0c", 5), {"a", "b"}},
        {"delimiters end a regular token", "abc/def<01>", {"abc", "/def", "<01>"}},
        {"an unclosed string or hex string runs to the end", "x (a\\)b", {"x", "(a\\)b"}},
        {"a token may end the text", "<01>end", {"<01>", "end"}},
    };
    for (const auto& c : cases) EXPECT_EQ(tokens(c.text), c.expected) << c.name;
}

TEST(KXPDFCMapTokenizer, KeepsOnlyWhatFitsInTheBuffer) {
    EXPECT_EQ(tokens("abcdefgh next", 5), (std::vector<std::string>{"abcd", "next"}));
    EXPECT_EQ(tokens("(abcdef) <0 1 2 3 4 5> [x", 5), (std::vector<std::string>{"(abc", "<012", "[", "x"}));
}

TEST(KXPDFCMapTokenizer, CharactersAndTokensReadInTurn) {
    KXPDFCMapTokenizer tokenizer("ab cd%c\nef");
    std::string token;
    ASSERT_TRUE(tokenizer.getToken(token));
    EXPECT_EQ(token, "ab");
    EXPECT_EQ(tokenizer.lookChar(), ' ');
    EXPECT_EQ(tokenizer.getChar(), ' ');
    EXPECT_EQ(tokenizer.lookChar(), 'c');
    ASSERT_TRUE(tokenizer.getToken(token));
    EXPECT_EQ(token, "cd");
    EXPECT_EQ(tokenizer.getChar(), '%');
    ASSERT_TRUE(tokenizer.getToken(token));
    EXPECT_EQ(token, "c");
    ASSERT_TRUE(tokenizer.getToken(token));
    EXPECT_EQ(token, "ef");
    EXPECT_FALSE(tokenizer.getToken(token));
    EXPECT_EQ(token, "");
    EXPECT_EQ(tokenizer.lookChar(), -1);
}

TEST(KXPDFCharCodeToUnicode, ReadsCharAndRangeSections) {
    auto map = KXPDFCharCodeToUnicode::parseCMap(cmap("2 beginbfchar\n<0041> <0061>\n<0003> <0020>\nendbfchar\n"
                                                      "3 beginbfrange\n<0100> <0102> <0041>\n"
                                                      "<0200> <0201> [<0066006C> <0041>]\n"
                                                      "<0300> <0302> <00660066>\nendbfrange\n"),
                                                 16);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->tag(), "ToUnicode");
    struct Case {
        std::uint32_t code;
        std::vector<std::uint32_t> expected;
    };
    const Case cases[] = {
        {0x41, {0x61}},
        {0x100, {0x41}},
        {0x101, {0x42}},
        {0x102, {0x43}},
        {0x103, {}},
        {0x200, {0x66, 0x6C}},
        {0x201, {0x41}},
        // a range of several values adds the offset to the last one
        {0x302, {0x66, 0x68}},
        {0x42, {}},
        {0x10000, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(lookup(*map, c.code), c.expected) << std::hex << c.code;
    EXPECT_EQ(map->spaceCIDCode(), 3u);
}

TEST(KXPDFCharCodeToUnicode, KeepsSurrogatesAsTwoValuesInOrder) {
    auto map = KXPDFCharCodeToUnicode::parseCMap(cmap("1 beginbfchar <01> <D835DC00> endbfchar"), 8);
    ASSERT_TRUE(map);
    EXPECT_EQ(lookup(*map, 1), (std::vector<std::uint32_t>{0xD835, 0xDC00}));
}

TEST(KXPDFCharCodeToUnicode, SkipsEntriesTheCodeWidthOrTheSyntaxRulesOut) {
    auto map = KXPDFCharCodeToUnicode::parseCMap(
        cmap("% 1 beginbfchar <0010> <005A> endbfchar\n"
             "3 beginbfchar\n<0100> <0058>\n<zz> <0059>\n<> <0030>\nendbfchar\n"
             "1 beginbfrange <20> <1FF> <0061> endbfrange\n"),
        8);
    ASSERT_TRUE(map);
    EXPECT_TRUE(lookup(*map, 0x10).empty()) << "a section inside a comment is not read";
    EXPECT_TRUE(lookup(*map, 0x100).empty()) << "codes above 255 do not exist with 8-bit codes";
    EXPECT_EQ(lookup(*map, 0), (std::vector<std::uint32_t>{0x30})) << "<> is code 0";
    EXPECT_EQ(lookup(*map, 0xFF), (std::vector<std::uint32_t>{0x61 + 0xFF - 0x20})) << "the range stops at 255";
}

TEST(KXPDFCharCodeToUnicode, SpaceCodeFallsBackToMultiValueMappings) {
    auto map = KXPDFCharCodeToUnicode::parseCMap(cmap("1 beginbfchar <07> <00410020> endbfchar"), 8);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->spaceCIDCode(), 7u);
    auto none = KXPDFCharCodeToUnicode::parseCMap(cmap(""), 8);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->spaceCIDCode(), 0u);
}

TEST(KXPDFCharCodeToUnicode, FollowsUsecmapOnlyToTheCollectionTablesAndStops) {
    // A map that names itself, or an unknown map, reads nothing more and does not loop.
    auto self = KXPDFCharCodeToUnicode::parseCMap(cmap("/Self usecmap 1 beginbfchar <0041> <0061> endbfchar"), 16);
    ASSERT_TRUE(self);
    EXPECT_EQ(lookup(*self, 0x41), (std::vector<std::uint32_t>{0x61}));

    // The Japanese collection's table is found by its name; later entries of the map itself win.
    auto used = KXPDFCharCodeToUnicode::parseCMap(cmap("/Adobe-Japan1-UCS2 usecmap 1 beginbfchar <0022> <0058> endbfchar"), 16);
    ASSERT_TRUE(used);
    EXPECT_EQ(lookup(*used, 0x23), (std::vector<std::uint32_t>{0x42})) << "CID 35 of Adobe-Japan1 is B";
    EXPECT_EQ(lookup(*used, 0x22), (std::vector<std::uint32_t>{0x58}));
}

TEST(KXPDFCharCodeToUnicode, RefusesMoreMultiValueMappingsThanMayBeAllocated) {
    // Sixteen ranges over every 16-bit code with a two-value destination: more than a map may hold.
    std::string body = "16 beginbfrange\n";
    for (int i = 0; i < 17; ++i) body += "<0000> <FFFF> <00410042>\n";
    body += "endbfrange\n";
    testing::internal::CaptureStderr();
    auto map = KXPDFCharCodeToUnicode::parseCMap(cmap(body), 16);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(map);
    EXPECT_NE(err.find("Bogus memory allocation size"), std::string::npos);
}
