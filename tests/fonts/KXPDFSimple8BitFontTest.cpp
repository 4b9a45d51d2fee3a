// Simple fonts: the factory, encodings and /Differences, ToUnicode precedence, widths from /Widths,
// the standard fonts and the substitutes, Type 3 fonts, names and replacement fonts.

#include <gtest/gtest.h>

#include "FontTestSupport.h"
#include "fonts/KXPDFCharCodeToUnicode.h"
#include "fonts/KXPDFFontCharProc.h"
#include "fonts/KXPDFFontCollection.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFSimple8BitFont.h"
#include "fonts/KXPDFType3Font.h"
#include "platform/FontCatalog.h"
#include "support/TestSupport.h"

using kx::test::decodeAll;
using kx::test::makeFont;
using kx::test::PDFBuilder;

namespace {

std::u32string textOf(const KXPDFFont& font, const std::string& bytes) {
    std::u32string out;
    for (const auto& c : decodeAll(font, bytes)) out += c.text.empty() ? U"\u2205" : c.text;  // ∅ marks no text
    return out;
}

std::string toUnicode(const std::string& body) {
    return "/CIDInit /ProcSet findresource begin 12 dict begin begincmap 1 begincodespacerange <00> <FF> "
           "endcodespacerange " + body + " endcmap end end";
}

}  // namespace

TEST(KXPDFFontFactory, BuildsOnlyFontDictionariesOfKnownSubtypes) {
    struct Case {
        const char* name;
        const char* body;
        bool made;
    };
    const Case cases[] = {
        {"Type1", "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>", true},
        {"TrueType", "<< /Type /Font /Subtype /TrueType /BaseFont /Arial >>", true},
        {"MMType1", "<< /Type /Font /Subtype /MMType1 /BaseFont /Foo >>", true},
        {"Type3", "<< /Type /Font /Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << >> >>", true},
        {"no /Type", "<< /Subtype /Type1 /BaseFont /Helvetica >>", false},
        {"another /Type", "<< /Type /XObject /Subtype /Type1 /BaseFont /Helvetica >>", false},
        {"unknown subtype", "<< /Type /Font /Subtype /OpenType /BaseFont /Helvetica >>", false},
        {"no subtype", "<< /Type /Font /BaseFont /Helvetica >>", false},
        {"Type0 without a CMap", "<< /Type /Font /Subtype /Type0 /BaseFont /X /Encoding /No-Such-CMap >>", false},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        auto font = makeFont(b, c.body);
        EXPECT_EQ(font != nullptr, c.made) << c.name;
        if (font) {
            EXPECT_EQ(font->objectKey(), "F1") << c.name;
        }
    }
}

TEST(KXPDFFontCollection, KeepsTheFontsOfDictionaryEntries) {
    PDFBuilder b;
    int helvetica = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    auto object = kx::test::readBackObject(
        b, "<< /F1 " + std::to_string(helvetica) +
               " 0 R /F2 << /Type /Font /Subtype /Type1 /BaseFont /Courier >> /F3 12 /F4 << /Type /Pattern >> >>");
    KXPDFFontCollection collection(object.dictionary);
    EXPECT_EQ(collection.fonts().size(), 2u);
    ASSERT_TRUE(collection.fontForKey("F1"));
    EXPECT_EQ(collection.fontForKey("F1")->baseFontName(), "Helvetica");
    EXPECT_EQ(collection.fontForKey("F2")->objectKey(), "F2");
    EXPECT_FALSE(collection.fontForKey("F3"));
    EXPECT_FALSE(collection.fontForKey("F4"));
    EXPECT_TRUE(KXPDFFontCollection(kx::PDFObject()).fonts().empty());
}

// Every page and form lists its fonts again; a font object is built once per document (loading its
// program and maps each time took a fifth of a text conversion) and shared, under each resource
// name it is listed by.
TEST(KXPDFFontCollection, FontsAreBuiltOncePerDocument) {
    PDFBuilder b;
    int helvetica = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    const std::string ref = std::to_string(helvetica) + " 0 R";
    int pageFonts = b.add("<< /F1 " + ref + " /F9 << /Type /Font /Subtype /Type1 /BaseFont /Courier >> >>");
    int formFonts = b.add("<< /F1 " + ref + " /G1 " + ref + " >>");
    int otherFonts = b.add("<< /F9 << /Type /Font /Subtype /Type1 /BaseFont /Courier >> >>");
    b.addPage("", "<< >>");
    const std::string bytes = b.build();
    auto doc = kx::PDFDocument::openFromMemory(bytes), other = kx::PDFDocument::openFromMemory(bytes);
    ASSERT_TRUE(doc && other);
    KXPDFFontCollection page(doc->object(pageFonts)), form(doc->object(formFonts));
    ASSERT_TRUE(page.fontForKey("F1") && form.fontForKey("F1") && form.fontForKey("G1"));
    EXPECT_EQ(page.fontForKey("F1"), form.fontForKey("F1")) << "the same object under the same name";
    EXPECT_NE(form.fontForKey("G1"), form.fontForKey("F1"));
    EXPECT_EQ(form.fontForKey("G1")->objectKey(), "G1") << "another name: a copy that carries it";
    EXPECT_EQ(form.fontForKey("G1")->baseFontName(), "Helvetica");
    EXPECT_EQ(KXPDFFontCollection(doc->object(pageFonts)).fontForKey("F9"), page.fontForKey("F9"))
        << "the same dictionary read again (a form drawn many times) gives the fonts written in it again";
    EXPECT_NE(KXPDFFontCollection(doc->object(otherFonts)).fontForKey("F9"), page.fontForKey("F9"))
        << "a font written in place elsewhere is another font";
    EXPECT_NE(KXPDFFontCollection(other->object(pageFonts)).fontForKey("F1"), page.fontForKey("F1"))
        << "another document builds its own";
}

TEST(KXPDFSimple8BitFont, DecodesBytesThroughTheEncodingCharacterSets) {
    struct Case {
        const char* name;
        const char* fontEntries;
        std::string bytes;
        std::u32string expected;
    };
    const Case cases[] = {
        {"WinAnsi quotes and euro", "/Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding", "A\x93\x80\x81",
         U"A\u201C\u20AC\u0081"},
        {"MacRoman accents", "/Subtype /Type1 /BaseFont /Helvetica /Encoding /MacRomanEncoding", "\x8E\xD2",
         U"\u00E9\u201C"},
        {"MacExpert decodes as MacRoman", "/Subtype /Type1 /BaseFont /Foo /Encoding /MacExpertEncoding", "\x8E",
         U"\u00E9"},
        {"Standard is read as ASCII; other bytes are their value", "/Subtype /Type1 /BaseFont /Foo /Encoding /StandardEncoding",
         "A\xE9", U"A\u00E9"},
        {"PDFDocEncoding gives every byte its value", "/Subtype /Type1 /BaseFont /Foo /Encoding /PDFDocEncoding",
         "\x93\xA0", U"\u0093\u00A0"},
        {"TrueType without /Encoding is WinAnsi", "/Subtype /TrueType /BaseFont /Foo", "\x93", U"\u201C"},
        {"Type 1 without /Encoding is WinAnsi", "/Subtype /Type1 /BaseFont /Foo", "\x93", U"\u201C"},
        {"Type 3 without /Encoding is Standard", "/Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0]", "\x93" "A",
         U"\u0093A"},
        {"an unknown encoding name is read as ASCII", "/Subtype /Type1 /BaseFont /Foo /Encoding /SymbolEncoding", "a\xE9",
         U"a\u00E9"},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        auto font = makeFont(b, std::string("<< /Type /Font ") + c.fontEntries + " >>");
        ASSERT_TRUE(font) << c.name;
        EXPECT_EQ(textOf(*font, c.bytes), c.expected) << c.name;
    }
}

TEST(KXPDFSimple8BitFont, DifferencesNameCodesByGlyphNames) {
    PDFBuilder b;
    auto font = makeFont(b,
                         "<< /Type /Font /Subtype /Type1 /BaseFont /Foo /Encoding << /BaseEncoding /WinAnsiEncoding "
                         "/Differences [ 24 /fi /f_l 65 /g7 /uni20AC /Euro /glyph12 /cid42 /index7 /u1F600 300 /A ] >> >>");
    ASSERT_TRUE(font);
    auto* simple = dynamic_cast<const KXPDFSimple8BitFont*>(font.get());
    ASSERT_TRUE(simple);
    EXPECT_EQ(simple->fontEncodingName(), "WinAnsiEncoding");
    ASSERT_TRUE(simple->differences());
    EXPECT_EQ(simple->differences()->size(), 5u) << "codes above 255 and glyph indexes are not kept";
    struct Case {
        std::string bytes;
        std::u32string expected;
    };
    const Case cases[] = {
        {"\x18", U"\uFB01"},     // fi: the ligature's code point
        {"\x19", U"fl"},         // f_l has no value: its letters without "_"
        {"A", U"\u2205"},        // g7, glyph12, cid42, index7 only number the glyph: no text
        {"B", U"\u20AC"},        // uniXXXX
        {"C", U"\u20AC"},        // Euro
        {"DEF", U"\u2205\u2205\u2205"},
        {"G", std::u32string{0xD83D, 0xDE00}},  // uXXXX to uXXXXXX (in UTF-16 units)
        {"\x1A", U"\u001A"},     // not named: the character set decodes it
        {"\x93", U"\u201C"},
    };
    for (const auto& c : cases) EXPECT_EQ(textOf(*font, c.bytes), c.expected) << int(static_cast<unsigned char>(c.bytes[0]));
}

// Fonts name variants of a glyph by a suffix after a period ("one.os" for an old-style 1, "a.sc" for
// a small capital a, "f_i.liga" for a ligature): such a name stood as text, "Version one.os.one.os"
// for "Version 1.1". A name maps by its part before the first period, each of its parts between
// underscores mapped and joined; a name that maps to nothing is no text (neither the name nor the
// character the code would have in the base encoding, which /Differences replaced).
TEST(KXPDFSimple8BitFont, GlyphNamesMapByTheirPartsBeforeAPeriod) {
    PDFBuilder b;
    auto font = makeFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Foo /Encoding << /BaseEncoding /WinAnsiEncoding "
                            "/Differences [ 49 /one.os /three.os 65 /zero.tf /a.sc /f_i.liga /f_f_i /T_h /uni00660069 "
                            "/uni0031.os /u1F600.alt /Euro.sc /uni0066_uni0069 /foo /foo.sc /.notdef /f_foo ] >> >>");
    ASSERT_TRUE(font);
    struct Case {
        const char* name;
        std::string bytes;
        std::u32string expected;
    };
    const Case cases[] = {
        {"one.os", "1", U"1"},
        {"three.os", "2", U"3"},
        {"zero.tf", "A", U"0"},
        {"a.sc", "B", U"a"},
        {"f_i.liga", "C", U"fi"},
        {"f_f_i", "D", U"ffi"},
        {"T_h", "E", U"Th"},
        {"uni00660069: groups of four digits", "F", U"fi"},
        {"uni0031.os", "G", U"1"},
        {"u1F600.alt", "H", std::u32string{0xD83D, 0xDE00}},
        {"Euro.sc", "I", U"\u20AC"},
        {"uni0066_uni0069", "J", U"fi"},
        {"foo: maps to nothing", "K", U"\u2205"},
        {"foo.sc", "L", U"\u2205"},
        {".notdef", "M", U"\u2205"},
        {"f_foo: a part that maps to nothing gives nothing", "N", U"f"},
        {"not named: the character set", "O", U"O"},
    };
    for (const auto& c : cases) EXPECT_EQ(textOf(*font, c.bytes), c.expected) << c.name;
}

// Fonts made by programs name their glyphs by a letter or two and the glyph's code (Type 3 fonts of
// TeX bitmaps: "a73" is the glyph of code 73); such a name stood as text where its letter is shown.
TEST(KXPDFSimple8BitFont, NumberedGlyphNamesGiveTheCharacterOfTheirCode) {
    struct Case {
        const char* name;
        const char* encoding;
        std::string bytes;
        std::u32string expected;
    };
    const Case cases[] = {
        {"Type 3 font: the standard character set",
         "<< /Differences [ 65 /a73 /g7 /a225 /cd120 /a300 /abc5 /a16 /A66 ] >>", "ABCDEFGH",
         U"I"        // a73: code 73
         U"\u2205"   // g7: 7 is no printable code, and the name only numbers a glyph: no text
         U"\u00E1"   // 225: the byte value, as the character set decodes it
         U"x"        // two letters
         U"\u2205"   // a300: no code, and a name is never text
         U"\u2205"   // abc5: three letters, not such a name
         U"\u2205"   // a16: a control code at another code
         U"B"},
        {"Type 3 font: glyphs labelled by their own control code",
         "<< /Differences [ 16 /a16 /a17 28 /a28 65 /a65 ] >>", "\x10" "x\x11\x1C" "A",
         U"\u2205x\u2205\u2205"  // a16, a17, a28 at their own codes tell no character: no text
         U"A"},
        {"with a base encoding", "<< /BaseEncoding /WinAnsiEncoding /Differences [ 65 /a150 /a129 ] >>", "AB",
         U"\u2013"   // 150 is the en dash in Windows-1252
         U"\u2205"}, // 129 is undefined there: its byte value would be a control code
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        auto font = makeFont(b, std::string("<< /Type /Font /Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0] "
                                            "/CharProcs << >> /Encoding ") + c.encoding + " >>");
        ASSERT_TRUE(font) << c.name;
        EXPECT_EQ(textOf(*font, c.bytes), c.expected) << c.name;
    }
}

// A font that names no base encoding shows the glyphs its own encoding names: a TeX font's program
// puts "fi" at code 12 and "quoteright" at 39 (decoding them through Windows-1252 gave a control code and
// an apostrophe), and Symbol and ZapfDingbats encode Greek letters and dingbats, not Latin letters.
// Their descriptors often lack /Type, which must not cost the font its program.
TEST(KXPDFSimple8BitFont, FontsWithoutANamedEncodingUseTheirOwn) {
    const std::string program = kx::test::type1ProgramWithEncoding({{12, "fi"}, {39, "quoteright"}, {65, "A"}});
    if (program.empty()) GTEST_SKIP() << "the Nimbus Sans Type 1 program is not installed";
    struct Case {
        const char* name;
        std::string entries;  // {} stands for the embedded program's reference
        std::string bytes;
        std::u32string expected;
    };
    const Case cases[] = {
        {"embedded program, no /Encoding", "/Subtype /Type1 /BaseFont /ABCDEF+CMR10", "\x0C'AB",
         U"\uFB01\u2019AB"},  // B: not in the program's encoding, the character set decodes it
        {"embedded program, /Differences without a base", "/Subtype /Type1 /BaseFont /CMR10 "
         "/Encoding << /Differences [ 66 /C ] >>", "\x0C" "B", U"\uFB01" "C"},
        {"embedded program, a named encoding wins", "/Subtype /Type1 /BaseFont /CMR10 /Encoding /WinAnsiEncoding",
         "'", U"'"},
        {"Symbol", "/Subtype /Type1 /BaseFont /Symbol", "aD \x7F", U"\u03B1\u2206 \u2205"},  // 0x7F: no glyph, no text
        {"Symbol alias", "/Subtype /Type1 /BaseFont /Symbol,Bold", "p", U"\u03C0"},
        {"Symbol with a named encoding", "/Subtype /Type1 /BaseFont /Symbol /Encoding /WinAnsiEncoding", "a", U"a"},
        {"ZapfDingbats", "/Subtype /Type1 /BaseFont /ZapfDingbats", "!l\x01", U"\u2701\u25CF\u2205"},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        int file = b.addStream("", program);
        std::string descriptor = "/FontDescriptor << /Flags 4 /FontFile " + std::to_string(file) + " 0 R >>";
        bool embedded = std::string(c.name).rfind("embedded", 0) == 0;
        auto font = makeFont(b, "<< /Type /Font " + c.entries + (embedded ? " " + descriptor : "") + " >>");
        ASSERT_TRUE(font) << c.name;
        EXPECT_EQ(textOf(*font, c.bytes), c.expected) << c.name;
    }
    // The program's own glyph names map by the same rules as those of /Differences: its "one.os" at
    // 0xB9 is a 1 (the character set's superscript one is another glyph), its "f_i" at 27 the two
    // letters (the character set's control code is none).
    const std::string variants = kx::test::type1ProgramWithRenamedGlyphs(
        kx::test::type1ProgramWithEncoding({{0xB9, "one.os"}, {27, "f_i"}}), {{"one", "one.os"}, {"fi", "f_i"}});
    ASSERT_FALSE(variants.empty());
    {
        PDFBuilder b;
        int file = b.addStream("", variants);
        auto font = makeFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /ABCDEF+Minion-OsF "
                                "/FontDescriptor << /Flags 4 /FontFile " + std::to_string(file) + " 0 R >> >>");
        ASSERT_TRUE(font);
        EXPECT_EQ(textOf(*font, "\xB9\x1B"), U"1fi");
    }
    // The standard metrics are found by the glyph the code shows: Symbol's alpha, not a Latin "a".
    PDFBuilder b;
    auto symbol = makeFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Symbol >>");
    ASSERT_TRUE(symbol);
    EXPECT_NEAR(decodeAll(*symbol, "a")[0].dx, 0.631, 1e-6);
}

// A code the /ToUnicode map leaves out shows the text its encoding gives its glyph. Some writers give
// every font a map with no entry at all (as in a voucher whose TrueType fonts' maps have an empty
// bfchar section): taking the map's silence for "no text" lost every word shown in those fonts.
TEST(KXPDFSimple8BitFont, CodesAToUnicodeMapLeavesOutShowWhatTheirEncodingGives) {
    PDFBuilder b;
    int map = b.addStream("", toUnicode("2 beginbfchar <42> <0062> <43> <D83DDE00> endbfchar"));
    auto font = makeFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Foo /Encoding << /Differences [68 /Delta] >> "
                            "/ToUnicode " + std::to_string(map) + " 0 R >>");
    ASSERT_TRUE(font);
    ASSERT_TRUE(font->embToUnicodeMap());
    auto decoded = decodeAll(*font, "ABCD\x93\x07");
    ASSERT_EQ(decoded.size(), 6u);
    EXPECT_EQ(decoded[0].text, U"A") << "not in the map, not in /Differences: the character set";
    EXPECT_EQ(decoded[1].text, U"b");
    EXPECT_EQ(decoded[2].text, (std::u32string{0xD83D, 0xDE00})) << "two values, the surrogates as the map gives them";
    EXPECT_EQ(decoded[3].text, U"\u2206") << "/Differences fills what the map lacks";
    EXPECT_EQ(decoded[4].text, U"\u201C") << "the font's default character set, Windows-1252";
    EXPECT_TRUE(decoded[5].text.empty()) << "a control character is no text";

    PDFBuilder e;
    int empty = e.addStream("", toUnicode("0 beginbfchar endbfchar"));
    auto voucher = makeFont(e, "<< /Type /Font /Subtype /TrueType /BaseFont <feff0041> /FirstChar 32 /LastChar 122 "
                               "/FontDescriptor << /Type /FontDescriptor /Flags 4 >> /ToUnicode " +
                                   std::to_string(empty) + " 0 R >>");
    ASSERT_TRUE(voucher);
    EXPECT_EQ(textOf(*voucher, "MetroRock 1 month"), U"MetroRock 1 month") << "a map with no entry";

    // A font that names no encoding shows the glyphs its program's own codes give: the program's
    // names of them say their text. A voucher's subsets map Mac OS Roman codes: read through the
    // font's default character set, Windows-1252, its apostrophes and bullets were O tildes and yen
    // signs. A paper's chart labels are set in subsets that number their glyphs from 33 on and name
    // none: through the character set their codes were garbled text (`!"#$%&`); they say no text.
    const std::string script = kx::test::sourceDir() + "/tests/support/make-symbolic-truetype.py";
    struct Program {
        const char* name;
        const char* option;
        std::string bytes;
        std::u32string expected;
    };
    const Program programs[] = {
        {"a Macintosh map and glyph names", "--mac-letters", "Rock\xD5s \xA5 Metro", U"Rock\u2019s \u2022 Metro"},
        {"glyphs numbered from 33 without names", "--no-glyph-names", "!\"#$%&%'(", std::u32string(9, U'\u2205')},
    };
    for (const Program& p : programs) {
        const std::string path = kx::test::tempDir() + "/letters.ttf";
        if (kx::test::runCommand("python3 '" + script + "' '" + path + "' " + p.option + " 2>/dev/null") != 0)
            GTEST_SKIP() << "python3-fonttools is needed to make the fixture font";
        PDFBuilder f;
        const int program = f.addStream("", kx::test::fileBytes(path));
        const int map = f.addStream("", toUnicode("0 beginbfchar endbfchar"));
        auto font = makeFont(f, "<< /Type /Font /Subtype /TrueType /BaseFont <feff0041> /FirstChar 32 /LastChar 213 "
                                "/FontDescriptor << /Type /FontDescriptor /Flags 4 /FontFile2 " +
                                    std::to_string(program) + " 0 R >> /ToUnicode " + std::to_string(map) + " 0 R >>");
        ASSERT_TRUE(font) << p.name;
        ASSERT_TRUE(font->fontDescriptor() && font->fontDescriptor()->embFont()) << p.name;
        EXPECT_EQ(textOf(*font, p.bytes), p.expected) << p.name;
    }
}

TEST(KXPDFSimple8BitFont, ToUnicodeThatIsNotUtf8GivesNoMap) {
    PDFBuilder b;
    int map = b.addStream("", toUnicode("1 beginbfchar <41> <0062> endbfchar % \xFF\xFE"));
    auto font = makeFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Foo /ToUnicode " + std::to_string(map) + " 0 R >>");
    ASSERT_TRUE(font);
    EXPECT_FALSE(font->embToUnicodeMap());
    EXPECT_EQ(textOf(*font, "A"), U"A");
}

TEST(KXPDFSimple8BitFont, WidthsComeFromWidthsStandardMetricsOrASubstitute) {
    struct Case {
        const char* name;
        std::string entries;
        std::vector<std::pair<int, double>> widths;  // code → advance per unit of font size
    };
    const Case cases[] = {
        {"standard font without /Widths", "/Subtype /Type1 /BaseFont /Helvetica",
         {{'A', 0.667}, {' ', 0.278}, {0xE9, 0.556}, {0x93, 0.333}, {0x81, 0}}},
        {"alias of a standard font", "/Subtype /TrueType /BaseFont /Arial,Bold", {{'A', 0.722}, {' ', 0.278}}},
        {"/Widths over the standard metrics", "/Subtype /Type1 /BaseFont /Courier /FirstChar 65 /LastChar 65 /Widths [500]",
         {{'A', 0.5}, {'B', 0.6}}},
        {"/Widths shorter than FirstChar..LastChar",
         "/Subtype /TrueType /BaseFont /Foo /FirstChar 32 /LastChar 40 /Widths [100 200 300] "
         "/FontDescriptor << /Type /FontDescriptor /MissingWidth 250 /Flags 32 >>",
         {{32, 0.1}, {34, 0.3}, {35, 0.25}, {40, 0.25}, {'A', 0.25}}},
        {"a FirstChar beyond 255 starts at 0", "/Subtype /TrueType /BaseFont /Foo /FirstChar 300 /Widths [100 200]",
         {{0, 0.1}, {1, 0.2}}},
        {"no /Widths: fixed-pitch bold takes Courier-Bold",
         "/Subtype /TrueType /BaseFont /Foo /FontDescriptor << /Type /FontDescriptor /Flags 262145 >>",
         {{'A', 0.6}, {' ', 0.6}}},
        {"no /Widths: serif italic takes Times-Italic",
         "/Subtype /TrueType /BaseFont /Foo /FontDescriptor << /Type /FontDescriptor /Flags 66 >>",
         {{'A', 0.611}, {' ', 0.25}}},
        {"no /Widths and no descriptor: Courier", "/Subtype /TrueType /BaseFont /Foo", {{'m', 0.6}}},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        auto font = makeFont(b, "<< /Type /Font " + c.entries + " >>");
        ASSERT_TRUE(font) << c.name;
        for (auto [code, width] : c.widths) {
            std::string byte(1, static_cast<char>(code));
            EXPECT_NEAR(decodeAll(*font, byte)[0].dx, width, 1e-6) << c.name << " code " << code;
        }
    }
}

TEST(KXPDFSimple8BitFont, StandardFontMetricsAndTheSpace) {
    PDFBuilder b;
    auto font = makeFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>");
    ASSERT_TRUE(font);
    ASSERT_TRUE(font->builtinFont());
    EXPECT_DOUBLE_EQ(font->ascent(), 0.683);
    EXPECT_DOUBLE_EQ(font->descent(), -0.217);
    EXPECT_EQ(font->fontBBox(), kx::Rect(-168, -218, 1000, 898));
    EXPECT_DOUBLE_EQ(font->widthOfSpace(), 0.25);
    EXPECT_DOUBLE_EQ(font->bankSpaceCharWidth(), 0.25);
}

TEST(KXPDFSimple8BitFont, WidthOfSpaceFallsBackOnTheDescriptor) {
    struct Case {
        const char* name;
        std::string entries;
        double expected;
    };
    const Case cases[] = {
        {"no width of the space, no descriptor", "/FirstChar 65 /Widths [500]", 0.5},
        {"average width", "/FirstChar 65 /Widths [500] /FontDescriptor << /Type /FontDescriptor /AvgWidth 420 >>", 0.42},
        {"missing width below the average", "/FirstChar 65 /Widths [500] /FontDescriptor << /Type /FontDescriptor "
                                            "/MissingWidth 300 /AvgWidth 420 >>", 0.3},
        {"fixed pitch with nothing else", "/FirstChar 65 /Widths [500] /FontDescriptor << /Type /FontDescriptor /Flags 1 >>",
         1.0},
        {"a space width of 1 or more is not taken", "/FirstChar 32 /Widths [1000]", 0.5},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        auto font = makeFont(b, "<< /Type /Font /Subtype /TrueType /BaseFont /Zzyzx " + c.entries + " >>");
        ASSERT_TRUE(font) << c.name;
        EXPECT_DOUBLE_EQ(font->widthOfSpace(), c.expected) << c.name;
    }
}

TEST(KXPDFType3Font, GlyphProceduresAndWidthsInFontMatrixUnits) {
    PDFBuilder b;
    int proc = b.addStream("", "0 0 m 10 10 l S");
    auto font = makeFont(b, "<< /Type /Font /Subtype /Type3 /FontMatrix [0.01 0 0 0.01 0 0] /FontBBox [0 0 100 100] "
                            "/CharProcs << /a " + std::to_string(proc) + " 0 R /b (text) >> "
                            "/Encoding << /Type /Encoding /Differences [97 /a /b] >> /FirstChar 97 /LastChar 98 /Widths [50 25] >>");
    ASSERT_TRUE(font);
    EXPECT_TRUE(dynamic_cast<const KXPDFType3Font*>(font.get()));
    auto decoded = decodeAll(*font, "ab");
    EXPECT_EQ(decoded[0].text, U"a");
    EXPECT_NEAR(decoded[0].dx, 0.5, 1e-6) << "50 glyph units of a 0.01 font matrix";
    EXPECT_NEAR(decoded[1].dx, 0.25, 1e-6);
    const KXPDFFontCharProc* charProc = font->charProcForKey("a");
    ASSERT_TRUE(charProc);
    EXPECT_TRUE(charProc->xObjectStream().isStream());
    EXPECT_TRUE(charProc->matrixTransform().isIdentity());
    EXPECT_FALSE(font->charProcForKey("b")) << "a string entry is text, not a procedure";
    EXPECT_FALSE(font->charProcForKey("c"));
}

TEST(KXPDFType3Font, TheFontMatrixSaysHowTheGlyphsStand) {
    struct Case {
        const char* name;
        const char* matrix;
        kx::AffineTransform orientation;
    };
    const Case cases[] = {
        {"upright", "[0.001 0 0 0.001 0 0]", {1, 0, 0, 1, 0, 0}},
        {"mirrored upside down, moved", "[0.001 0 0 -0.001 5 7]", {1, 0, 0, -1, 0, 0}},
        {"twice as tall as wide", "[0.01 0 0 0.02 0 0]", {1, 0, 0, 2, 0, 0}},
        {"no height", "[0.001 0 0 0 0 0]", {1, 0, 0, 1, 0, 0}},
        {"no matrix", "[0.001 0 0]", {1, 0, 0, 1, 0, 0}},
    };
    for (const Case& c : cases) {
        PDFBuilder b;
        auto font = makeFont(b, std::string("<< /Type /Font /Subtype /Type3 /FontMatrix ") + c.matrix + " /CharProcs << >> >>");
        ASSERT_TRUE(font) << c.name;
        const kx::AffineTransform t = font->glyphOrientation();
        EXPECT_EQ(t, c.orientation) << c.name;
    }
    PDFBuilder b;
    auto helvetica = makeFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    ASSERT_TRUE(helvetica);
    EXPECT_TRUE(helvetica->glyphOrientation().isIdentity());
}

// A font matrix that draws an em of glyphs as far less (or more) than one text space unit sets
// glyphs far smaller (or larger) than the font size: at a size of 58 with a matrix of 0.01, glyphs
// drawn in an em of 10 units stand 5.8 tall. Where both the box and the advances say so, the em at
// which Helvetica advances as far over the glyphs' characters is the glyphs' size per unit of font
// size (twice the median advance for glyphs without text); a box or advances alone say nothing.
TEST(KXPDFType3Font, GlyphSizeIsTheEmOfTheAdvancesWhereTheMatrixDrawsGlyphsFarFromAnEm) {
    struct Case {
        const char* name;
        const char* matrix;
        const char* box;  // entries, "" for none
        const char* widths;  // of "a" and "c", which advance by 556 and 500 thousandths of Helvetica's em
        double expected;
        const char* names = "/a /c";
    };
    const Case cases[] = {
        {"the usual matrix", "[0.001 0 0 0.001 0 0]", "/FontBBox [0 -200 600 800]", "[600 500]", 1},
        {"a TeX bitmap font", "[.01204 0 0 .01204 0 0]", "/FontBBox [-4 -21 83 78]", "[42 55]", 1},
        {"a tenth of an em", "[0.01 0 0 0.01 0 0]", "/FontBBox [0 -2 6 8]", "[5.56 5]", 0.1},
        {"a thousand units in a tenth of an em", "[0.0001 0 0 0.0001 0 0]", "/FontBBox [0 0 600 1000]", "[556 500]",
         0.1},
        {"mirrored, a tenth of an em", "[0.01 0 0 -0.01 0 0]", "/FontBBox [0 -7 6 0]", "[5.56 5]", 0.1},
        {"glyphs without text, a tenth of an em", "[0.01 0 0 0.01 0 0]", "/FontBBox [0 -2 6 8]", "[5 5]", 0.1,
         "/xyz /xyzw"},
        {"ten ems", "[0.1 0 0 0.1 0 0]", "/FontBBox [0 0 60 100]", "[55.6 50]", 10},
        {"a box far too large, ordinary advances", "[0.01 0 0 0.01 0 0]", "/FontBBox [0 0 1000 1000]", "[60 50]", 1},
        {"small advances, an ordinary box", "[0.01 0 0 0.01 0 0]", "/FontBBox [0 0 60 100]", "[5 4]", 1},
        {"no box", "[0.0001 0 0 0.0001 0 0]", "", "[600 500]", 1},
        {"an empty box", "[0.0001 0 0 0.0001 0 0]", "/FontBBox [0 0 0 0]", "[600 500]", 1},
        {"no advances", "[0.0001 0 0 0.0001 0 0]", "/FontBBox [0 0 600 1000]", "[0 0]", 1},
    };
    for (const Case& c : cases) {
        PDFBuilder b;
        auto font = makeFont(b, std::string("<< /Type /Font /Subtype /Type3 /FontMatrix ") + c.matrix + " " + c.box +
                                    " /CharProcs << >> /Encoding << /Differences [97 " + c.names +
                                    "] >> /FirstChar 97 /LastChar 98 /Widths " + c.widths + " >>");
        ASSERT_TRUE(font) << c.name;
        EXPECT_NEAR(font->glyphSize(), c.expected, 1e-6) << c.name;
    }
    PDFBuilder b;
    auto helvetica = makeFont(b, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    ASSERT_TRUE(helvetica);
    EXPECT_EQ(helvetica->glyphSize(), 1.0);
}

TEST(KXPDFFontNames, ResolvesSubsetTagsUnusableNamesAndReplacements) {
    struct Case {
        const char* name;
        std::string entries;
        const char* fontName;
        const char* replacement;
    };
    const Case cases[] = {
        {"subset tag", "/BaseFont /ABCDEF+Arial-BoldMT", "Arial-BoldMT", "Arial"},
        {"subset tag with a dot", "/BaseFont /ABCDEF+.SFNS", "SFNS", "Arial Unicode MS"},
        {"not installed, fixed pitch without serif",
         "/BaseFont /Zzyzx-Mono /FontDescriptor << /Type /FontDescriptor /Flags 1 >>", "Zzyzx-Mono", "Consolas"},
        {"not installed, fixed pitch with serif", "/BaseFont /Zzyzx-Mono /FontDescriptor << /Type /FontDescriptor /Flags 3 >>",
         "Zzyzx-Mono", "Courier"},
        {"not installed, serif", "/BaseFont /Zzyzx /FontDescriptor << /Type /FontDescriptor /Flags 2 >>", "Zzyzx", "Times"},
        {"unusable name", "/BaseFont /FONT0000", "", "Arial Unicode MS"},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        auto font = makeFont(b, "<< /Type /Font /Subtype /TrueType " + c.entries + " >>");
        ASSERT_TRUE(font) << c.name;
        EXPECT_EQ(font->fontName(), c.fontName) << c.name;
        EXPECT_EQ(font->fontSystemReplaceName(), c.replacement) << c.name;
    }
}

// A /BaseFont that is a string (UTF-16 with a byte-order mark, as in a voucher's TrueType fonts) or
// a number is a name not known, not a font without names: the embedded program's own name stands
// in for it as for an unusable name. Without /BaseFont the names stay empty.
TEST(KXPDFFontNames, ABaseFontThatIsNoNameLeavesTheProgramToNameTheFont) {
    const std::string program = kx::test::fileBytes("/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1");
    if (program.empty()) GTEST_SKIP() << "the Nimbus Sans Type 1 program is not installed";
    struct Case {
        const char* name;
        const char* baseFont;
        const char* expected;
    };
    const Case cases[] = {
        {"a string", "/BaseFont <feff0041004200430044>", "NimbusSans-Regular"},
        {"a number", "/BaseFont 12", "NimbusSans-Regular"},
        {"an unusable name", "/BaseFont /Unknown", "NimbusSans-Regular"},
        {"none", "", ""},
    };
    for (const auto& c : cases) {
        PDFBuilder b;
        int file = b.addStream("", program);
        auto font = makeFont(b, std::string("<< /Type /Font /Subtype /Type1 ") + c.baseFont +
                                    " /FontDescriptor << /Type /FontDescriptor /Flags 32 /FontFile " +
                                    std::to_string(file) + " 0 R >> >>");
        ASSERT_TRUE(font) << c.name;
        EXPECT_EQ(font->baseFontName_New(), c.expected) << c.name;
        EXPECT_EQ(font->fontName().empty(), std::string(c.expected).empty()) << c.name;
    }
}

TEST(KXPDFFontNames, InstalledFontsGiveTheirFullNamesAndStyleFlags) {
    if (!kx::FontCatalog::findFont("LiberationSerif-Bold")) GTEST_SKIP() << "Liberation fonts not installed";
    PDFBuilder b;
    auto font = makeFont(b, "<< /Type /Font /Subtype /TrueType /BaseFont /ABCDEF+LiberationSerif-Bold "
                            "/FontDescriptor << /Type /FontDescriptor /Flags 32 >> >>");
    ASSERT_TRUE(font);
    EXPECT_EQ(font->baseFontName(), "ABCDEF+LiberationSerif-Bold");
    EXPECT_EQ(font->fontName(), "Liberation Serif Bold");
    EXPECT_EQ(font->fontFamilyName(), "Liberation Serif Bold");
    EXPECT_EQ(font->fontSystemReplaceName(), "Liberation Serif Bold");
}
