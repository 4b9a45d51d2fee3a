// Font matching against the installed fonts, the style words of names, the replacement list, and
// text measured with a font program.

#include <gtest/gtest.h>

#include "fonts/KXPDFFontUtilities.h"
#include "platform/FontCatalog.h"
#include "platform/FontProgram.h"

namespace {

bool installed(const std::string& postScriptName) { return kx::FontCatalog::findFont(postScriptName).has_value(); }

}  // namespace

TEST(KXPDFFontUtilities, MatchesFaceNamesWhateverTheirPunctuation) {
    if (!installed("LiberationSans-Bold")) GTEST_SKIP() << "Liberation fonts not installed";
    const std::string full = kx::FontCatalog::findFont("LiberationSans-Bold")->fullName;
    for (const char* name : {"LiberationSans-Bold", "liberation sans bold", "Liberation-Sans,Bold", "LIBERATIONSANSBOLD"})
        EXPECT_EQ(KXPDFFontUtilities::FontNameInComputer(name), full) << name;
    // The subset tag is removed before matching; with it the name matches nothing.
    EXPECT_EQ(KXPDFFontUtilities::FontNameInComputer("ABCDEF+LiberationSans-Bold"), "");
    EXPECT_EQ(KXPDFFontUtilities::FontNameInComputer(""), "");

    EXPECT_EQ(KXPDFFontUtilities::FamilyNameInComputer("Liberation Sans"), "Liberation Sans");
    EXPECT_EQ(KXPDFFontUtilities::FamilyNameInComputer("LiberationSans-Bold"), full);
    EXPECT_EQ(KXPDFFontUtilities::FamilyNameInComputer("NoSuchFamily"), "");
}

TEST(KXPDFFontUtilities, SystemNamesAreInstalledPostScriptOrFullNames) {
    if (!installed("LiberationSerif")) GTEST_SKIP() << "Liberation fonts not installed";
    EXPECT_TRUE(KXPDFFontUtilities::SystemFontNameIsExist("LiberationSerif"));
    EXPECT_EQ(KXPDFFontUtilities::SystemFontFullNameForFontName("LiberationSerif"), "Liberation Serif");
    EXPECT_TRUE(KXPDFFontUtilities::SystemFontNameIsExist("Liberation Serif"));
    EXPECT_FALSE(KXPDFFontUtilities::SystemFontNameIsExist("liberationserif"));
    EXPECT_FALSE(KXPDFFontUtilities::SystemFontNameIsExist(""));
    EXPECT_EQ(KXPDFFontUtilities::SystemFontFullNameForFontName("NoSuchFont"), "");
}

TEST(KXPDFFontUtilities, TellsBoldAndItalicFromNames) {
    struct Case {
        const char* name;
        bool bold, italic;
    };
    const Case cases[] = {
        {"Roboto-Medium", true, false},  {"Foo.Bar", true, false},        {"Helvetica-Oblique", false, true},
        {"Arial-BoldItalicMT", true, true}, {"Minion-BdIt", true, true}, {"Times-Roman", false, false},
        {"CMTI10", false, true},          {"HeiseiKakuGo-W9", true, false}, {"", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KXPDFFontUtilities::isBoldFontName(c.name), c.bold) << c.name;
        EXPECT_EQ(KXPDFFontUtilities::isItalicFontName(c.name), c.italic) << c.name;
    }
}

TEST(KXPDFFontUtilities, CutsFamilyNames) {
    struct Case {
        const char* name;
        const char* family;
    };
    const Case cases[] = {
        {"Garamond,Bold", "Garamond"}, {"Foo-Bar,Baz", "Foo"}, {"AB+.SFNS", "AB"}, {"X+Y", "X"}, {"Plain", "Plain"},
    };
    for (const auto& c : cases) EXPECT_EQ(KXPDFFontUtilities::FamilyNameCut(c.name), c.family) << c.name;
}

TEST(KXPDFFontUtilities, ReplacesCommonFamiliesByTheShippedList) {
    ASSERT_TRUE(KXPDFFontUtilities::GetFontBook_Replace().has_value()) << "FontBook_Replace.plist ships";
    struct Case {
        const char* name;
        const char* replacement;
    };
    const Case cases[] = {
        {"Helvetica-Bold", "Arial"},      {"ArialMT", "Arial"},           {"TimesNewRomanPSMT", "Times New Roman"},
        {"Courier", "Courier New"},       {"Calibri-Light", "Calibri"},   {"Cambria", "Cambria"},
        {"KozMinPr6N-Regular", "MS Mincho"}, {"SimSun", "SimSun"},       {"NullFont", ""},
        {"Garamond", ""},                 {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(KXPDFFontUtilities::ReplaceFontNameInFontBook(c.name), c.replacement) << c.name;
}

TEST(KXPDFFontUtilities, MeasuresTextWithAFontProgram) {
    auto font = kx::FontCatalog::findFont("LiberationMono");
    if (!font) GTEST_SKIP() << "Liberation Mono not installed";
    auto program = kx::FontProgram::fromFile(font->file, font->index);
    ASSERT_TRUE(program);
    // Every glyph of a monospaced font advances 0.6 em.
    EXPECT_NEAR(KXPDFFontUtilities::CGFontWidthOfString(program.get(), 10, u"abc"), 18.0, 0.01);
    EXPECT_NEAR(KXPDFFontUtilities::CGFontWidthOfCharCode(program.get(), 1, u'W'), 0.6, 0.001);
    kx::Size size = KXPDFFontUtilities::CGFontSizeOfString(program.get(), 10, u"H");
    EXPECT_NEAR(size.height, 10.0 * program->capHeight() / program->unitsPerEm(), 1e-9);
    EXPECT_GT(size.height, 5);
    // A character the font cannot map makes the whole width 0 and fails the existence test.
    EXPECT_EQ(KXPDFFontUtilities::CGFontWidthOfString(program.get(), 10, u"a\u4E00"), 0);
    EXPECT_FALSE(KXPDFFontUtilities::CGFontIsExistString(program.get(), u"a\u4E00"));
    EXPECT_TRUE(KXPDFFontUtilities::CGFontIsExistString(program.get(), u"abc"));
    EXPECT_TRUE(KXPDFFontUtilities::CGFontIsEqualCGFont(program.get(), program.get()));
    EXPECT_EQ(KXPDFFontUtilities::CGFontWidthOfString(nullptr, 10, u"abc"), 0);

    EXPECT_NEAR(KXPDFFontUtilities::SystemFontNameWidthOfString("LiberationMono", 10, u"ab"), 12.0, 0.01);
    EXPECT_EQ(KXPDFFontUtilities::SystemFontNameWidthOfString("NoSuchFont", 10, u"ab"), 0);
}

TEST(KXPDFFontUtilities, InstalledFontsMeasuredFirstStillEndCleanly) {
    // Regression: when the first font program of the process was loaded for a cached installed
    // font, the program outlived the font library at exit and crashed while being released.
    if (!kx::FontCatalog::findFont("LiberationMono")) GTEST_SKIP() << "Liberation Mono not installed";
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: nothing loaded before
    EXPECT_EXIT(
        {
            KXPDFFontUtilities::SystemFontNameWidthOfString("LiberationMono", 10, u"ab");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}
