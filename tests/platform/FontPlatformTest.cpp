// The font wrappers: the installed-font catalogue and font programs loaded from files and bytes.

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/FontCatalog.h"
#include "platform/FontProgram.h"

using namespace kx;

TEST(FontCatalog, ListsFamiliesFacesAndFindsFontsByName) {
    // Read on a thread of its own (asked twice, started once); the lookups below wait for it.
    FontCatalog::loadInBackground();
    FontCatalog::loadInBackground();
    auto regular = FontCatalog::findFont("LiberationSans");
    if (!regular) GTEST_SKIP() << "Liberation fonts not installed";
    EXPECT_EQ(regular->family, "Liberation Sans");
    EXPECT_EQ(regular->fullName, "Liberation Sans");
    EXPECT_EQ(FontCatalog::findFont("Liberation Sans Bold")->postScriptName, "LiberationSans-Bold");
    EXPECT_FALSE(FontCatalog::findFont("No Such Font"));
    EXPECT_FALSE(FontCatalog::findFont(""));

    auto families = FontCatalog::familyNames();
    EXPECT_TRUE(std::is_sorted(families.begin(), families.end()));
    EXPECT_EQ(std::adjacent_find(families.begin(), families.end()), families.end()) << "a family listed twice";
    EXPECT_NE(std::find(families.begin(), families.end(), "Liberation Sans"), families.end());
    auto faces = FontCatalog::facesOfFamily("Liberation Sans");
    EXPECT_GE(faces.size(), 4u);
    for (const auto& face : faces) EXPECT_EQ(face.family, "Liberation Sans");

    EXPECT_TRUE(FontCatalog::hasCharacter(*regular, U'A'));
    EXPECT_FALSE(FontCatalog::hasCharacter(*regular, U'\u4E2D'));
}

TEST(FontProgram, ReadsNamesMetricsAndGlyphs) {
    auto font = FontCatalog::findFont("LiberationSans");
    if (!font) GTEST_SKIP() << "Liberation fonts not installed";
    auto program = FontProgram::fromFile(font->file, font->index);
    ASSERT_TRUE(program);
    EXPECT_EQ(program->postScriptName(), "LiberationSans");
    EXPECT_EQ(program->fullName(), "Liberation Sans");
    EXPECT_EQ(program->familyName(), "Liberation Sans");
    EXPECT_EQ(program->unitsPerEm(), 2048);
    EXPECT_GT(program->capHeight(), 1300);
    EXPECT_LT(program->capHeight(), 1500);
    std::uint32_t a = program->glyphForCharacter(U'A');
    ASSERT_NE(a, 0u);
    EXPECT_EQ(program->glyphAdvance(a), 1366);  // 667 per 1000
    EXPECT_EQ(program->glyphForName("A"), a);
    EXPECT_EQ(program->glyphForCharacter(U'\u4E2D'), 0u);
    EXPECT_FALSE(program->glyphAdvance(program->glyphCount()));

    // The same program from bytes.
    auto bytes = readFile(font->file);
    ASSERT_TRUE(bytes);
    auto fromBytes = FontProgram::fromData(*bytes);
    ASSERT_TRUE(fromBytes);
    EXPECT_EQ(fromBytes->glyphAdvance(fromBytes->glyphForCharacter(U'A')), 1366);
}

TEST(FontProgram, BuiltinEncodingOfType1AndCompactPrograms) {
    struct Case {
        const char* file;
        bool hasEncoding;
    };
    const Case cases[] = {
        {"/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1", true},   // Type 1, standard encoding
        {"/usr/share/fonts/type1/urw-base35/StandardSymbolsPS.t1", true},    // Type 1, its own encoding
        {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", false},
    };
    for (const auto& c : cases) {
        auto program = FontProgram::fromFile(c.file);
        if (!program) GTEST_SKIP() << c.file << " is not installed";
        const auto& names = program->builtinEncoding();
        ASSERT_EQ(names.size(), c.hasEncoding ? 256u : 0u) << c.file;
        if (!c.hasEncoding) continue;
        EXPECT_EQ(names[0], "") << "code 0 names no glyph";
        EXPECT_EQ(names[' '], "space") << c.file;
    }
    auto standard = FontProgram::fromFile(cases[0].file);
    EXPECT_EQ(standard->builtinEncoding()[0xAE], "fi");
    EXPECT_EQ(standard->builtinEncoding()['\''], "quoteright");
    auto symbol = FontProgram::fromFile(cases[1].file);
    EXPECT_EQ(symbol->builtinEncoding()['a'], "alpha");
}

TEST(FontProgram, RefusesWhatIsNotAFontProgram) {
    EXPECT_FALSE(FontProgram::fromData(""));
    EXPECT_FALSE(FontProgram::fromData("not a font at all, just some bytes"));
    EXPECT_FALSE(FontProgram::fromData(std::string("\x00\x01\x00\x00\x00\x0F", 6)));
    EXPECT_FALSE(FontProgram::fromFile("/no/such/font.ttf"));
}
