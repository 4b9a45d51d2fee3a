// Font descriptors: metrics and their defaults, flags, and embedded font programs (TrueType, Type 1,
// OpenType/CFF) loaded for names, advances and cap height; an embedded program that cannot be read.

#include <gtest/gtest.h>

#include "FontTestSupport.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFSimple8BitFont.h"
#include "platform/FontProgram.h"

using kx::test::fileBytes;
using kx::test::makeFont;
using kx::test::PDFBuilder;
using kx::test::readBackObject;

namespace {

const char* kLiberationSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
const char* kNimbusSansType1 = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1";
const char* kNimbusSansOpenType = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";

std::unique_ptr<KXPDFFontDescriptor> descriptor(PDFBuilder& b, const std::string& entries) {
    auto object = readBackObject(b, "<< " + entries + " >>");
    return KXPDFFontDescriptor::initWithPDFDictionary(object.dictionary);
}

}  // namespace

TEST(KXPDFFontDescriptor, ReadsMetricsInTextSpaceWithTheirDefaults) {
    PDFBuilder b;
    auto d = descriptor(b, "/Type /FontDescriptor /FontName /Foo /FontFamily (Foo Sans) /Descent 200 /Ascent 800 "
                           "/CapHeight 700 /AvgWidth 450 /MaxWidth 1200 /MissingWidth 250 /StemV 80 /ItalicAngle -12 "
                           "/FontBBox [-100 -200 1000 900] /Flags 262178");
    ASSERT_TRUE(d);
    EXPECT_DOUBLE_EQ(d->descent(), -0.2) << "a positive descent is turned negative";
    EXPECT_DOUBLE_EQ(d->ascent(), 0.8);
    EXPECT_DOUBLE_EQ(d->capHeight(), 700) << "stored as given";
    EXPECT_DOUBLE_EQ(d->averageWidth(), 0.45);
    EXPECT_DOUBLE_EQ(d->maxWidth(), 1.2);
    EXPECT_DOUBLE_EQ(d->missingWidth(), 0.25);
    EXPECT_DOUBLE_EQ(d->verticalStemWidth(), 80);
    EXPECT_DOUBLE_EQ(d->italicAngle(), -12);
    EXPECT_EQ(d->fontBBox(), kx::Rect(-0.1, -0.2, 1.0, 0.9));
    EXPECT_EQ(d->fontName(), "Foo");
    EXPECT_EQ(d->fontFamily(), "Foo Sans");
    EXPECT_TRUE(d->isSerif());
    EXPECT_TRUE(d->isNonSymbolic());
    EXPECT_TRUE(d->isBold());
    EXPECT_FALSE(d->isItalic());
    EXPECT_EQ(d->embFontNum(), 0);
    EXPECT_EQ(d->embFontSubType(), "Unknown embedded font type");
    EXPECT_EQ(d->embPostScriptName(), "Unknown embedded font postscript name");
    EXPECT_EQ(d->embFontWidthForCharCode('A'), 0);

    auto defaults = descriptor(b, "/Type /FontDescriptor /Descent 0 /FontBBox [1 2 3]");
    ASSERT_TRUE(defaults);
    EXPECT_DOUBLE_EQ(defaults->descent(), -0.35);
    EXPECT_DOUBLE_EQ(defaults->ascent(), 0.95);
    EXPECT_EQ(defaults->fontBBox(), kx::Rect()) << "a box needs exactly four numbers";
    EXPECT_TRUE(defaults->isSerif()) << "no /Flags reads as 2";
    EXPECT_FALSE(defaults->isFixedWidth() || defaults->isSymbolic() || defaults->isItalic() || defaults->isBold());
    defaults->setFontBold(true);
    defaults->setFontItalic(true);
    EXPECT_TRUE(defaults->isBold() && defaults->isItalic());
    defaults->setFontBold(false);
    EXPECT_FALSE(defaults->isBold());

    EXPECT_FALSE(descriptor(b, "/Type /Font /Ascent 800"));
}

// Many writers (TeX's among them) leave out the descriptor's /Type; such a descriptor was dropped
// whole, and the font lost its metrics, flags and embedded program with it.
TEST(KXPDFFontDescriptor, DescriptorWithoutTypeIsRead) {
    PDFBuilder b;
    auto d = descriptor(b, "/Ascent 800 /Flags 4");
    ASSERT_TRUE(d);
    EXPECT_NEAR(d->ascent(), 0.8, 1e-9);
    EXPECT_TRUE(d->isSymbolic());
    EXPECT_FALSE(descriptor(b, "/Type /Font /Ascent 800")) << "another /Type is still refused";
}

TEST(KXPDFFontDescriptor, LoadsEmbeddedFontPrograms) {
    struct Case {
        const char* name;
        const char* file;
        const char* key;
        const char* streamEntries;
        std::int64_t number;
        const char* subtype;
        const char* postScriptName;
    };
    const Case cases[] = {
        {"TrueType", kLiberationSans, "FontFile2", "", 2, "CIDType2 or TrueType", "LiberationSans"},
        {"Type 1", kNimbusSansType1, "FontFile", "", 1, "Type1", "NimbusSans-Regular"},
        {"OpenType", kNimbusSansOpenType, "FontFile3", "/Subtype /OpenType", 3, "OpenType", "NimbusSans-Regular"},
    };
    for (const auto& c : cases) {
        std::string program = fileBytes(c.file);
        if (program.empty()) GTEST_SKIP() << c.file << " is not installed";
        PDFBuilder b;
        int stream = b.addFlateStream(c.streamEntries, program);
        auto d = descriptor(b, std::string("/Type /FontDescriptor /Flags 32 /") + c.key + " " + std::to_string(stream) + " 0 R");
        ASSERT_TRUE(d) << c.name;
        ASSERT_TRUE(d->embFont()) << c.name;
        EXPECT_EQ(d->embFontNum(), c.number) << c.name;
        EXPECT_EQ(d->embFontSubType(), c.subtype) << c.name;
        EXPECT_EQ(d->embPostScriptName(), c.postScriptName) << c.name;
        EXPECT_NE(d->embFullName(), "Unknown embedded font full name") << c.name;
        // Helvetica-compatible metrics: space 278, A 667 per 1000.
        EXPECT_NEAR(d->embFontWidthForBankSpace(), 0.278, 0.001) << c.name;
        EXPECT_NEAR(d->embFontWidthForCharCode('A'), 0.667, 0.001) << c.name;
        kx::Rect rect = d->embFontRectForString(u"AA", 10);
        EXPECT_NEAR(rect.size.width, 13.34, 0.01) << c.name;
        EXPECT_NEAR(rect.size.height, 7.0, 0.35) << c.name << ": the cap height at size 10";
        EXPECT_EQ(d->embFontRectForString(u""), kx::Rect()) << c.name;
    }
}

TEST(KXPDFFontDescriptor, AProgramThatCannotBeLoadedLeavesThePlaceholders) {
    PDFBuilder b;
    int stream = b.addStream("", "this is not a font program");
    auto d = descriptor(b, "/Type /FontDescriptor /FontFile2 " + std::to_string(stream) + " 0 R");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->embFontNum(), 2);
    EXPECT_FALSE(d->embFont());
    EXPECT_EQ(d->embFullName(), "Unknown embedded font full name");
    EXPECT_EQ(d->embFontWidthForGlyphCode(3), 0);
}

TEST(KXPDFFontDescriptor, EmbeddedProgramNamesStandInForUnusableBaseFonts) {
    std::string program = fileBytes(kLiberationSans);
    if (program.empty()) GTEST_SKIP() << "Liberation Sans is not installed";
    PDFBuilder b;
    int stream = b.addFlateStream("", program);
    auto font = makeFont(b, "<< /Type /Font /Subtype /TrueType /BaseFont /Unknown /FirstChar 32 /LastChar 32 /Widths [1000] "
                            "/FontDescriptor << /Type /FontDescriptor /Flags 32 /FontFile2 " +
                                std::to_string(stream) + " 0 R >> >>");
    ASSERT_TRUE(font);
    EXPECT_EQ(font->baseFontName(), "Unknown");
    EXPECT_EQ(font->baseFontName_New(), "LiberationSans");
    EXPECT_EQ(font->fontName(), "Liberation Sans");
    EXPECT_EQ(font->fontSystemReplaceName(), "Liberation Sans");
    // The embedded program measures the space when /Widths would not do.
    EXPECT_NEAR(font->embFontWidthForCode(' '), 0.278, 0.001);
    EXPECT_NEAR(font->bankSpaceCharWidth(), 0.278, 0.001);
    EXPECT_NEAR(font->widthOfSpace(), 0.278, 0.001);
}
