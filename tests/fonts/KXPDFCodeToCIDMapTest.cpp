// Encoding CMaps: code-space ranges, CID sections, identity maps, the writing mode, usecmap chains
// (inheritance, overriding, cycles) and the Adobe resources that ship beside the program.

#include <gtest/gtest.h>

#include <vector>

#include "fonts/KXPDFCodeToCIDMap.h"
#include "fonts/KXPDFCodeToCIDMapCache.h"

namespace {

struct Code {
    std::uint32_t cid;
    std::uint32_t raw;
    int used;
    bool operator==(const Code&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Code& c) {
    return os << "{cid " << c.cid << ", raw 0x" << std::hex << c.raw << std::dec << ", " << c.used << " bytes}";
}

std::vector<Code> cut(const KXPDFCodeToCIDMap& map, const std::string& bytes) {
    std::vector<Code> out;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    int left = static_cast<int>(bytes.size());
    while (left > 0) {
        Code c{};
        c.cid = map.getCID(p, left, &c.raw, &c.used);
        out.push_back(c);
        p += c.used;
        left -= c.used;
    }
    return out;
}

std::shared_ptr<const KXPDFCodeToCIDMap> parseText(const std::string& text, const std::string& name = "Test") {
    KXPDFCodeToCIDMapCache cache;
    return KXPDFCodeToCIDMap::parse(&cache, "Adobe-Japan1-6", name, text);
}

}  // namespace

TEST(KXPDFCodeToCIDMap, CutsMixedWidthCodesByTheCodeSpace) {
    auto map = parseText(
        "2 begincodespacerange <00> <80> <8140> <9FFC> endcodespacerange\n"
        "1 begincidrange <8140> <817E> 633 endcidrange\n"
        "1 begincidchar <41> 34 endcidchar\n");
    ASSERT_TRUE(map);
    EXPECT_EQ(cut(*map, "\x41\x81\x40\x42\x81\x7E"),
              (std::vector<Code>{{34, 0x41, 1}, {633, 0x8140, 2}, {0, 0x42, 1}, {695, 0x817E, 2}}));
    // A two-byte code cut short: the first byte alone, CID 0.
    EXPECT_EQ(cut(*map, "\x81"), (std::vector<Code>{{0, 0x81, 1}}));
}

TEST(KXPDFCodeToCIDMap, RangesSpanningLeadingBytesMapEveryCode) {
    // Embedded CMaps often give the whole two-byte space in one range.
    auto map = parseText("1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                         "1 begincidrange <0000> <FFFF> 0 endcidrange\n"
                         "1 begincidrange <00FE> <0101> 1000 endcidrange\n");
    ASSERT_TRUE(map);
    EXPECT_EQ(cut(*map, std::string("\x00\x41\x30\x42\x00\xFF\x01\x01", 8)),
              (std::vector<Code>{{0x41, 0x41, 2}, {0x3042, 0x3042, 2}, {1001, 0xFF, 2}, {1003, 0x101, 2}}));
}

TEST(KXPDFCodeToCIDMap, IdentityNamesWithoutResourceTextAreIdentityMaps) {
    KXPDFCodeToCIDMapCache cache;
    auto h = KXPDFCodeToCIDMap::parse(&cache, "Adobe-Identity-0", "Identity-H", std::string_view());
    auto v = KXPDFCodeToCIDMap::parse(&cache, "Adobe-Identity-0", "Identity-V", std::string_view());
    ASSERT_TRUE(h && v);
    EXPECT_FALSE(h->hasTable());
    EXPECT_EQ(h->wMode(), 0);
    EXPECT_EQ(v->wMode(), 1);
    EXPECT_EQ(cut(*h, "\x30\x42\x31"), (std::vector<Code>{{0x3042, 0x3042, 2}, {0, 0x31, 1}}));
    EXPECT_FALSE(KXPDFCodeToCIDMap::parse(&cache, "Adobe-Japan1-6", "No-Such-CMap", std::string_view()));
}

TEST(KXPDFCodeToCIDMap, ReadsTheWritingMode) {
    auto map = parseText("/WMode 1 def 1 begincodespacerange <00> <FF> endcodespacerange");
    ASSERT_TRUE(map);
    EXPECT_EQ(map->wMode(), 1);
}

TEST(KXPDFCodeToCIDMap, UsecmapInheritsAndOwnEntriesWin) {
    // The resource 90ms-RKSJ-V uses 90ms-RKSJ-H: its horizontal codes come along, its own vertical
    // forms replace some of them.
    KXPDFCodeToCIDMapCache cache;
    auto h = KXPDFCodeToCIDMap::parse(&cache, "Adobe-Japan1-6", "90ms-RKSJ-H");
    auto v = KXPDFCodeToCIDMap::parse(&cache, "Adobe-Japan1-6", "90ms-RKSJ-V");
    ASSERT_TRUE(h && v);
    EXPECT_EQ(v->wMode(), 1);
    EXPECT_EQ(cut(*h, "A")[0].cid, cut(*v, "A")[0].cid) << "inherited";
    EXPECT_EQ(cut(*h, "\x82\x9F")[0].cid, 842u) << "hiragana small a";
    EXPECT_NE(cut(*h, "\x81\x5B")[0].cid, cut(*v, "\x81\x5B")[0].cid) << "the long vowel mark turns upright";

    // An embedded map that uses a resource and overrides one of its codes.
    auto embedded = parseText("/90ms-RKSJ-H usecmap\n1 begincidchar <41> 9999 endcidchar\n");
    ASSERT_TRUE(embedded);
    EXPECT_EQ(cut(*embedded, "A")[0].cid, 9999u);
    EXPECT_EQ(cut(*embedded, "B")[0].cid, cut(*h, "B")[0].cid);
}

TEST(KXPDFCodeToCIDMap, UsecmapCyclesEnd) {
    // "Test" uses itself: the chain stops at the map being read.
    auto map = parseText("/Test usecmap 1 begincodespacerange <00> <FF> endcodespacerange "
                         "1 begincidchar <41> 7 endcidchar");
    ASSERT_TRUE(map);
    EXPECT_EQ(cut(*map, "A")[0].cid, 7u);
}

TEST(KXPDFCodeToCIDMap, RefusesCodeSpacesLargerThanTheTableBudget) {
    testing::internal::CaptureStderr();
    auto map = parseText("1 begincodespacerange <00000000> <FFFFFFFF> endcodespacerange");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(map);
    EXPECT_NE(err.find("Bogus memory allocation size"), std::string::npos);
}
