// Composite fonts: descendants and their widths (/W, /DW, vertical metrics), CIDToGIDMap, the text of
// a code from /ToUnicode, the collection tables (Japanese, simplified Chinese) or the CID itself,
// predefined and embedded CMaps, and fonts that cannot be made.

#include <gtest/gtest.h>

#include "FontTestSupport.h"
#include "fonts/KXPDFCIDType2Font.h"
#include "fonts/KXPDFCharCodeToUnicode.h"
#include "fonts/KXPDFCodeToCIDMap.h"
#include "fonts/KXPDFType0Font.h"

using kx::test::decodeAll;
using kx::test::makeFont;
using kx::test::PDFBuilder;

namespace {

std::string toUnicode(const std::string& body) {
    return "/CIDInit /ProcSet findresource begin 12 dict begin begincmap 1 begincodespacerange <0000> <FFFF> "
           "endcodespacerange " + body + " endcmap end end";
}

// A Type 0 font over one descendant; `descendant` holds the descendant's extra entries.
std::string type0(const std::string& encoding, const std::string& descendant, const std::string& extra = "",
                  const std::string& subtype = "CIDFontType2", const std::string& ordering = "Identity") {
    return "<< /Type /Font /Subtype /Type0 /BaseFont /Foo /Encoding " + encoding + " " + extra +
           " /DescendantFonts [ << /Type /Font /Subtype /" + subtype + " /BaseFont /Foo /CIDSystemInfo << /Registry (Adobe) "
           "/Ordering (" + ordering + ") /Supplement 2 >> " + descendant + " >> ] >>";
}

std::shared_ptr<KXPDFType0Font> makeType0(PDFBuilder& b, const std::string& body) {
    return std::dynamic_pointer_cast<KXPDFType0Font>(makeFont(b, body));
}

}  // namespace

TEST(KXPDFType0Font, WidthsFromWAndDW) {
    struct Case {
        const char* name;
        std::string entries;
        std::vector<std::pair<std::uint32_t, double>> widths;
    };
    const Case cases[] = {
        {"array and range forms", "/W [ 1 [ 500 600 ] 10 20 300 ]", {{1, 0.5}, {2, 0.6}, {3, 1.0}, {10, 0.3}, {20, 0.3}, {21, 1.0}}},
        {"unsorted entries are found", "/W [ 50 [100] 5 [200] ]", {{5, 0.2}, {50, 0.1}, {6, 1.0}}},
        {"a non-number inside an array does not advance", "/W [ 1 [ 500 /x 700 ] ]", {{1, 0.5}, {2, 0.7}}},
        {"a /W starting with a name is ignored", "/W [ /x 1 [ 500 ] ]", {{1, 1.0}}},
        {"/DW 0 makes unlisted CIDs zero-width", "/DW 0 /W [ 1 [ 500 ] ]", {{1, 0.5}, {2, 0.0}}},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        auto font = makeType0(b, type0("/Identity-H", c.entries));
        ASSERT_TRUE(font) << c.name;
        for (auto [cid, width] : c.widths) {
            float dx = -1, dy = -1, ox = -1, oy = -1;
            font->getCIDWidths(cid, &dx, &dy, &ox, &oy);
            EXPECT_NEAR(dx, width, 1e-6) << c.name << " CID " << cid;
            EXPECT_EQ(dy, 0) << c.name;
        }
    }
}

TEST(KXPDFType0Font, VerticalWritingTakesW2OrTheDefaults) {
    PDFBuilder b;
    auto font = makeType0(b, type0("/Identity-V", "/DW 1000 /W2 [ 5 [ -500 250 800 ] 10 12 -900 400 700 ]"));
    ASSERT_TRUE(font);
    EXPECT_EQ(font->extToCIDMap()->wMode(), 1);
    auto decoded = decodeAll(*font, std::string("\x00\x01\x00\x05\x00\x0B", 6));
    ASSERT_EQ(decoded.size(), 3u);
    EXPECT_EQ(decoded[0].dx, 0);
    EXPECT_NEAR(decoded[0].dy, -1.0, 1e-6);
    EXPECT_NEAR(decoded[0].ox, 0.5, 1e-6);
    EXPECT_NEAR(decoded[0].oy, 0.88, 1e-6);
    EXPECT_NEAR(decoded[1].dy, -0.5, 1e-6);
    EXPECT_NEAR(decoded[1].ox, 0.25, 1e-6);
    EXPECT_NEAR(decoded[1].oy, 0.8, 1e-6);
    EXPECT_NEAR(decoded[2].dy, -0.9, 1e-6);
    EXPECT_NEAR(decoded[2].oy, 0.7, 1e-6);

    PDFBuilder standard;
    auto dw2 = makeType0(standard, type0("/Identity-V", "/DW2 [ 880 -1000 ]"));
    ASSERT_TRUE(dw2);
    float dx, dy, ox, oy;
    dw2->getCIDWidths(1, &dx, &dy, &ox, &oy);
    EXPECT_NEAR(dy, -1.0, 1e-6);
    EXPECT_NEAR(oy, 0.88, 1e-6);
}

TEST(KXPDFType0Font, IdentityHWithToUnicodeMapsRawCodes) {
    PDFBuilder b;
    int map = b.addStream("", toUnicode("3 beginbfchar <0001> <0048> <0002> <0069> <0003> <D83DDE00> endbfchar"));
    auto font = makeType0(b, type0("/Identity-H", "/W [ 1 [ 700 300 ] ]", "/ToUnicode " + std::to_string(map) + " 0 R"));
    ASSERT_TRUE(font);
    auto decoded = decodeAll(*font, std::string("\x00\x01\x00\x02\x00\x03\x00\x09\x07", 9));
    ASSERT_EQ(decoded.size(), 5u);
    EXPECT_EQ(decoded[0].text, U"H");
    EXPECT_NEAR(decoded[0].dx, 0.7, 1e-6);
    EXPECT_EQ(decoded[1].text, U"i");
    EXPECT_EQ(decoded[2].text, (std::u32string{0xD83D, 0xDE00}));
    EXPECT_EQ(decoded[3].code, 9u);
    EXPECT_EQ(decoded[3].text, U"\u0009") << "a code the map lacks: its CID is the text";
    EXPECT_EQ(decoded[4].bytes, 1) << "a lone trailing byte";
    EXPECT_EQ(decoded[4].code, 7u) << "CID 0: the byte is the code";
}

TEST(KXPDFType0Font, WithoutToUnicodeTheCIDIsTheText) {
    PDFBuilder b;
    auto font = makeType0(b, type0("/Identity-H", ""));
    ASSERT_TRUE(font);
    auto decoded = decodeAll(*font, std::string("\x00\x41", 2));
    EXPECT_EQ(decoded[0].text, U"A");
}

TEST(KXPDFType0Font, CJKTextFromTheCollectionTables) {
    struct Case {
        const char* name;
        const char* encoding;
        const char* ordering;
        std::string bytes;
        std::u32string expected;
    };
    const Case cases[] = {
        {"Japanese Shift-JIS", "/90ms-RKSJ-H", "Japan1", "\x82\xA0\x93\xFA\x96\x7B" "A", U"\u3042\u65E5\u672C" "A"},
        {"Japanese Unicode", "/UniJIS-UCS2-H", "Japan1", std::string("\x30\x42\x65\xE5", 4), U"\u3042\u65E5"},
        {"simplified Chinese GBK", "/GBK-EUC-H", "GB1", "\xD6\xD0\xCE\xC4", U"\u4E2D\u6587"},
        {"simplified Chinese Unicode", "/UniGB-UCS2-H", "GB1", std::string("\x4E\x2D\x65\x87", 4), U"\u4E2D\u6587"},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        auto font = makeType0(b, type0(c.encoding, "", "", "CIDFontType0", c.ordering));
        ASSERT_TRUE(font) << c.name;
        ASSERT_TRUE(font->extToUnicodeMap()) << c.name;
        std::u32string text;
        for (const auto& d : decodeAll(*font, c.bytes)) text += d.text;
        EXPECT_EQ(text, c.expected) << c.name;
    }
}

TEST(KXPDFType0Font, EmbeddedCMapStreamsAreRead) {
    PDFBuilder b;
    int cmap = b.addStream("/Type /CMap /CMapName /Custom /CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >>",
                           "/CIDInit /ProcSet findresource begin 12 dict begin begincmap "
                           "2 begincodespacerange <00> <7F> <8000> <FFFF> endcodespacerange "
                           "1 begincidrange <41> <5A> 34 endcidrange "
                           "1 begincidchar <8140> 843 endcidchar endcmap end end");
    auto font = makeType0(b, type0(std::to_string(cmap) + " 0 R", "", "", "CIDFontType0", "Japan1"));
    ASSERT_TRUE(font);
    EXPECT_EQ(font->cMapName(), "Custom");
    auto decoded = decodeAll(*font, "AB\x81\x40");
    ASSERT_EQ(decoded.size(), 3u);
    EXPECT_EQ(decoded[0].code, 34u);
    EXPECT_EQ(decoded[0].text, U"A");
    EXPECT_EQ(decoded[1].text, U"B");
    EXPECT_EQ(decoded[2].bytes, 2);
    EXPECT_EQ(decoded[2].text, U"\u3042");
}

TEST(KXPDFType0Font, FontsThatCannotBeMadeAreLeftOut) {
    struct Case {
        const char* name;
        std::string body;
    };
    const Case cases[] = {
        {"unknown CMap name", type0("/No-Such-CMap", "")},
        {"encoding is a number", type0("12", "")},
        {"encoding is a dictionary", type0("<< /CMapName /Identity-H >>", "")},
        {"a CMap name that is a path", type0("/..#2F..#2FInfo.plist", "")},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        EXPECT_FALSE(makeFont(b, c.body)) << c.name;
    }

    // An embedded CMap asking for more tables than may be allocated fails the font, not the program.
    PDFBuilder b;
    int cmap = b.addStream("", "1 begincodespacerange <00000000> <FFFFFFFF> endcodespacerange");
    testing::internal::CaptureStderr();
    auto font = makeFont(b, type0(std::to_string(cmap) + " 0 R", ""));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(font);
    EXPECT_NE(err.find("Bogus memory allocation size"), std::string::npos);
}

TEST(KXPDFCIDType2Font, CIDToGIDMapStreamGivesGlyphIndices) {
    PDFBuilder b;
    int map = b.addStream("", std::string("\x00\x05\x01\x02\x07", 5));
    auto font = makeType0(b, type0("/Identity-H", "/CIDToGIDMap " + std::to_string(map) + " 0 R"));
    ASSERT_TRUE(font);
    auto* cid = dynamic_cast<const KXPDFCIDType2Font*>(font->cidTypeFont());
    ASSERT_TRUE(cid);
    EXPECT_EQ(cid->cidToGIDLen(), 2) << "a trailing odd byte is ignored";
    EXPECT_EQ(cid->glyphForCID(0), 5);
    EXPECT_EQ(cid->glyphForCID(1), 258);
    EXPECT_EQ(cid->glyphForCID(2), 2);
    EXPECT_FALSE(cid->identity());

    PDFBuilder identity;
    auto named = makeType0(identity, type0("/Identity-H", "/CIDToGIDMap /Identity"));
    ASSERT_TRUE(named);
    auto* cid2 = dynamic_cast<const KXPDFCIDType2Font*>(named->cidTypeFont());
    ASSERT_TRUE(cid2);
    EXPECT_TRUE(cid2->identity());
    EXPECT_EQ(cid2->glyphForCID(77), 77);
}

TEST(KXPDFType0Font, SpaceWidthFollowsTheSpaceCodeOfTheMap) {
    PDFBuilder b;
    int map = b.addStream("", toUnicode("2 beginbfchar <0003> <0020> <0004> <0041> endbfchar"));
    auto font = makeType0(b, type0("/Identity-H", "/W [ 3 [ 250 600 ] ]", "/ToUnicode " + std::to_string(map) + " 0 R"));
    ASSERT_TRUE(font);
    EXPECT_DOUBLE_EQ(font->widthOfSpace(), 0.25);
    EXPECT_DOUBLE_EQ(font->bankSpaceCharWidth(), 0.25);
    EXPECT_DOUBLE_EQ(font->ascent(), 0.95);
    EXPECT_DOUBLE_EQ(font->descent(), -0.35);
}
