// The standard fonts and the glyph-name tables: name lookup with aliases, the widths read from the
// metric-compatible AFM files, and the translation between glyph names and Unicode values.

#include <gtest/gtest.h>

#include "fonts/BuiltinFontManager.h"

TEST(BuiltinFontManager, FindsStandardNamesAndExactAliases) {
    const auto& manager = BuiltinFontManager::sharedManager();
    EXPECT_EQ(&manager, &BuiltinFontManager::sharedManager());
    struct Case {
        const char* name;
        const char* expected;  // nullptr: no record
    };
    const Case cases[] = {
        {"Arial,Bold", "Helvetica-Bold"},
        {"times-roman", "Times-Roman"},
        {"TimesNewRomanPSMT", "Times-Roman"},
        {"Times New Roman", nullptr},  // spaces become "-": TimesNewRoman is an alias, Times-New-Roman is not
        {"arial bold", nullptr},       // arial-bold: aliases match exactly, so no record
        {"CourierNewPS-BoldItalicMT", "Courier-BoldOblique"},
        {"ZapfDingbats", "ZapfDingbats"},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const BuiltinFont* font = manager.findBuildinFont(c.name);
        if (!c.expected) {
            EXPECT_EQ(font, nullptr) << c.name;
        } else {
            ASSERT_NE(font, nullptr) << c.name;
            EXPECT_EQ(font->fontName(), c.expected);
        }
    }
}

TEST(BuiltinFontManager, RecordsCarryTheTableMetricsAndTheAFMWidths) {
    const auto& manager = BuiltinFontManager::sharedManager();
    ASSERT_EQ(manager.fontsArray().size(), 14u);
    const BuiltinFont* helvetica = manager.findBuildinFont("Helvetica");
    ASSERT_TRUE(helvetica);
    EXPECT_DOUBLE_EQ(helvetica->ascent(), 0.718);
    EXPECT_DOUBLE_EQ(helvetica->descent(), -0.207);
    EXPECT_EQ(helvetica->bbox(), kx::Rect(-166, -225, 1000, 931));
    EXPECT_EQ(helvetica->baseEncoding(), "StandardEncoding");
    std::uint16_t w = 0;
    EXPECT_TRUE(helvetica->fontWidths()->widthOfSpace(&w));
    EXPECT_EQ(w, 278);
    EXPECT_TRUE(helvetica->fontWidths()->getCharacter(0xE9, &w));  // eacute
    EXPECT_EQ(w, 556);
    EXPECT_FALSE(helvetica->fontWidths()->getString("a81", &w));

    for (const char* courier : {"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"}) {
        const BuiltinFontWidths* widths = manager.findBuildinFont(courier)->fontWidths();
        for (const char* glyph : {"space", "A", "W", "i", "eacute", "quoteright"}) {
            ASSERT_TRUE(widths->getString(glyph, &w)) << courier << " " << glyph;
            EXPECT_EQ(w, 600) << courier << " " << glyph;
        }
    }
    EXPECT_TRUE(manager.findBuildinFont("ZapfDingbats")->fontWidths()->getString("a81", &w));
    EXPECT_TRUE(manager.findBuildinFont("Symbol")->fontWidths()->getString("alpha", &w));
}

TEST(BuiltinFontManager, SubstitutesAreOrderedByPitchSerifWeightAndSlant) {
    const auto& subst = BuiltinFontManager::sharedManager().fontsSubstArray();
    ASSERT_EQ(subst.size(), 12u);
    EXPECT_EQ(subst[0]->fontName(), "Courier");
    EXPECT_EQ(subst[3]->fontName(), "Courier-BoldOblique");
    EXPECT_EQ(subst[4 + 2]->fontName(), "Helvetica-Bold");
    EXPECT_EQ(subst[8 + 1]->fontName(), "Times-Italic");
    EXPECT_EQ(subst[11]->fontName(), "Times-BoldItalic");
}

TEST(BuiltinFontWidths, TranslatesGlyphNamesAndUnicode) {
    struct NameCase {
        const char* name;
        std::uint16_t unicode;
    };
    const NameCase names[] = {
        {"A", 0x41},      {"fi", 0xFB01},  {"quotedblleft", 0x201C}, {"uni20AC", 0x20AC},
        {"uni12345", 12345}, {"g7", 0},    {"Euro", 0x20AC},         {"!", 0x21},
        {"space", 0x20},  {"uniXYZW", 0},
    };
    for (const auto& c : names) EXPECT_EQ(BuiltinFontWidths::nameToUnicodeID(c.name), c.unicode) << c.name;

    struct ValueCase {
        std::uint16_t unicode;
        const char* name;
    };
    const ValueCase values[] = {
        {0, ".notdef"}, {0x41, "A"},          {0x20, "space"},      {0xA0, "space"},
        {0xAD, "hyphen"}, {0x30, "zero"},     {0xE9, "eacute"},     {0x2019, "quoteright"},
        {0xE000, "unie000"},
    };
    for (const auto& c : values) EXPECT_EQ(BuiltinFontWidths::unicodeIDToName(c.unicode), c.name) << c.unicode;
}

TEST(BuiltinFontWidths, BucketsByTheNameHash) {
    BFontWidth entries[] = {{"space", 250}, {"a", 500}, {"space", 300}};
    BuiltinFontWidths widths(entries, 3);
    std::uint32_t h = 0;
    for (unsigned char c : std::string("space")) h = h * 17 + c;
    EXPECT_EQ(widths.hash("space"), h % 3);
    std::uint16_t w = 0;
    ASSERT_TRUE(widths.widthOfSpace(&w));
    EXPECT_EQ(w, 300) << "a later entry of the same name is found first";
}
