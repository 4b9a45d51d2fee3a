// Font matching against the installed fonts, the style words of names, the replacement list, and
// text measured with a font program.

#include <gtest/gtest.h>

#include "fonts/KXFontBookFile_p.h"
#include "fonts/KXPDFFontUtilities.h"
#include "platform/FileSystem.h"
#include "platform/FontCatalog.h"
#include "platform/FontProgram.h"
#include "support/TestSupport.h"

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

TEST(KXPDFFontUtilities, CatalogueFileReadsBackAsWritten) {
    const std::string folder = kx::test::tempDir() + "/font-book";
    ASSERT_TRUE(kx::createDirectories(folder));

    // The installed fonts, as the build writes them beside the program.
    const std::string installedPath = folder + "/installed.plist";
    ASSERT_TRUE(KXPDFFontUtilities::CreateFontBookAtPath(installedPath));
    auto installed = kx::detail::readFontBookFile(installedPath);
    ASSERT_TRUE(installed);
    EXPECT_EQ(*installed, KXPDFFontUtilities::GetFontBookInThisDevice());

    // Names that need escaping, a face without a PostScript name (keyed by its full name) and
    // single-precision metrics.
    KXFontBook book;
    KXFontBookFace face{"Caf\xC3\xA9 & <Sans> \"Bold\"", "Cafe&Sans-Bold", "Caf\xC3\xA9 & <Sans> Bold", "Bold",
                        7.25f, -2.1f, 0.3f, 7.0f, -12.5f, 5.123f};
    book["Caf\xC3\xA9 & <Sans>"]["Cafe&Sans-Bold"] = face;
    KXFontBookFace unnamed{"Plain Face", "", "Plain Face", "", 0, 0, 0, 0, 0, 0};
    book["Plain"]["Plain Face"] = unnamed;
    const std::string madePath = folder + "/made.plist";
    ASSERT_TRUE(kx::detail::writeFontBookFile(madePath, book));
    EXPECT_EQ(kx::detail::readFontBookFile(madePath), book);

    EXPECT_FALSE(KXPDFFontUtilities::CreateFontBookAtPath(folder + "/missing/FontBook.plist"));

    // Full names of installed faces that the catalogue leaves out (one face per PostScript name in
    // a family): each is installed, none is a catalogue face's full name.
    const std::string namesPath = folder + "/names.plist";
    ASSERT_TRUE(kx::detail::writeFullNamesOutsideFontBookFile(namesPath, *installed));
    auto names = kx::detail::readFullNamesOutsideFontBookFile(namesPath);
    ASSERT_TRUE(names);
    for (const auto& name : *names) {
        EXPECT_TRUE(kx::FontCatalog::findFont(name)) << name;
        for (const auto& [family, faces] : *installed)
            for (const auto& [ps, face] : faces) EXPECT_NE(face.fullName, name);
    }
    EXPECT_FALSE(kx::detail::readFullNamesOutsideFontBookFile(folder + "/no-names.plist"));
}

TEST(KXPDFFontUtilities, CatalogueFileOfOddShapesReadsAsItsTree) {
    // Files not written by the build: values of other types than the form's, repeated keys.
    auto face = [](std::string full, std::string ps, float ascender = 0) {
        KXFontBookFace f;
        f.fullName = std::move(full);
        f.postScriptName = std::move(ps);
        f.ascender = ascender;
        return f;
    };
    auto list = [](const std::string& root) { return "<plist version=\"1.0\">" + root + "</plist>"; };
    auto dict = [&](const std::string& body) { return list("<dict>" + body + "</dict>"); };
    struct Case {
        const char* what;
        std::string xml;
        KXFontBook expected;
    };
    const Case cases[] = {
        {"a family that is not a dictionary is left out",
         dict("<key>A</key><string>x</string><key>B</key><dict><key>B-1</key><dict><key>Full name</key>"
              "<string>B One</string></dict></dict>"),
         {{"B", {{"B-1", face("B One", "")}}}}},
        {"a face that is not a dictionary has empty names",
         dict("<key>A</key><dict><key>A-1</key><array><string>x</string></array></dict>"), {{"A", {{"A-1", face("", "")}}}}},
        {"the last of repeated keys wins",
         dict("<key>A</key><dict><key>A-1</key><dict><key>Full name</key><string>old</string></dict></dict>"
              "<key>A</key><dict><key>A-2</key><dict><key>Full name</key><string>first</string>"
              "<key>Full name</key><string>second</string><key>PostScript name</key><string>A-2</string></dict></dict>"),
         {{"A", {{"A-2", face("second", "A-2")}}}}},
        {"numbers of either kind, other values as none",
         dict("<key>A</key><dict><key>A-1</key><dict><key>ascender</key><integer>7</integer>"
              "<key>Full name</key><integer>3</integer><key>descender</key><string>-2</string>"
              "<key>extra</key><dict><key>Full name</key><string>nested</string></dict></dict></dict>"),
         {{"A", {{"A-1", face("", "", 7.0f)}}}}},
        {"a list that is not a dictionary gives no family", list("<array><dict><key>A</key><dict/></dict></array>"), {}},
    };
    for (const auto& c : cases) {
        auto book = kx::detail::readFontBookFile(kx::test::writeTemp("odd-font-book.plist", c.xml));
        ASSERT_TRUE(book) << c.what;
        EXPECT_EQ(*book, c.expected) << c.what;
    }
}

TEST(KXPDFFontUtilities, CatalogueFileIsTakenOnlyWhenItListsAFamily) {
    KXFontBook live;
    live["Live Family"]["Live-Regular"] = KXFontBookFace{"Live Regular", "Live-Regular", "Live Family", "Regular"};
    auto liveBook = [&]() -> const KXFontBook& { return live; };

    KXFontBook prepared;
    prepared["Prepared"]["Prepared-Bold"] = KXFontBookFace{"Prepared Bold", "Prepared-Bold", "Prepared Bold", "Bold"};
    const std::string good = kx::test::tempDir() + "/good-font-book.plist";
    ASSERT_TRUE(kx::detail::writeFontBookFile(good, prepared));
    auto chosen = kx::detail::chooseFontBook(good, liveBook);
    EXPECT_TRUE(chosen.fromFile);
    EXPECT_EQ(chosen.book, prepared);

    struct Case {
        const char* what;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"no resource", std::nullopt},
        {"missing file", kx::test::tempDir() + "/no-such-font-book.plist"},
        {"empty file", kx::test::writeTemp("empty-font-book.plist", "")},
        {"not a property list", kx::test::writeTemp("garbage-font-book.plist", "\x89PNG\r\n<dict")},
        {"no family", kx::test::writeTemp("no-family.plist", "<plist version=\"1.0\"><dict/></plist>")},
        {"not a dictionary",
         kx::test::writeTemp("array-font-book.plist", "<plist version=\"1.0\"><array><string>x</string></array></plist>")},
        {"a folder", kx::test::tempDir()},
    };
    for (const auto& c : cases) {
        auto fallback = kx::detail::chooseFontBook(c.path, liveBook);
        EXPECT_FALSE(fallback.fromFile) << c.what;
        EXPECT_EQ(fallback.book, live) << c.what;
    }
}

TEST(KXPDFFontUtilities, InstalledNamesAnsweredAsTheSystemListAnswers) {
    // The build ships the catalogue of the installed fonts: conversions match names against it
    // (without starting the system's font configuration) and must find what the system finds.
    const auto& fonts = kx::FontCatalog::installedFonts();
    if (fonts.empty()) GTEST_SKIP() << "no fonts installed";
    EXPECT_EQ(KXPDFFontUtilities::GetFontBook(), KXPDFFontUtilities::GetFontBookInThisDevice());
    for (const auto& font : fonts) {
        for (const std::string& name : {font.postScriptName, font.fullName}) {
            if (name.empty()) continue;
            auto found = kx::FontCatalog::findFont(name);
            ASSERT_TRUE(found) << name;
            EXPECT_TRUE(KXPDFFontUtilities::SystemFontNameIsExist(name)) << name;
            EXPECT_EQ(KXPDFFontUtilities::SystemFontFullNameForFontName(name), found->fullName) << name;
        }
    }
    EXPECT_FALSE(KXPDFFontUtilities::SystemFontNameIsExist("No Such Font"));
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
