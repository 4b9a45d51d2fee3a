// What the fonts of a page say of its text, through every output format: the words of a font whose
// ToUnicode map leaves codes out, the characters of glyph names with a variant suffix, and the size
// of a Type 3 font whose glyph space is not the usual one.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "docx/page/Type3Fixtures.h"
#include "engine/EngineHarness.h"
#include "engine/integration/OutputText.h"
#include "exporters/ExporterTable.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

const char* const kFormats[] = {"txt", "html", "rtf", "docx", "xlsx", "csv", "pptx"};

// The output of every page of `pdf` in the format; empty when the conversion failed.
std::string convert(const std::string& pdf, const std::string& name, const std::string& type) {
    kx::installExporters();
    const std::string in = kx::test::writeTemp(name + ".pdf", pdf);
    const std::string out = kx::pathJoin(kx::test::tempDir(), name + "." + type);
    const auto run = kx::test::runConversion(in, kx::test::everyPage(in), type, out);
    EXPECT_TRUE(run.ended) << name << " " << type;
    EXPECT_FALSE(run.error()) << name << " " << type << ": " << (run.error() ? run.error()->failureReason : "");
    return run.ended && !run.error() ? out : std::string();
}

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

// Every phrase stands in some line of the output (a line, a paragraph or a cell may hold more).
void expectPhrases(const std::string& type, const std::vector<std::string>& lines,
                   const std::vector<std::string>& phrases) {
    for (const std::string& phrase : phrases) {
        const bool found = std::any_of(lines.begin(), lines.end(),
                                       [&](const std::string& line) { return line.find(phrase) != std::string::npos; });
        EXPECT_TRUE(found) << type << ": no line holds \"" << phrase << "\" in\n" << joined(lines);
    }
}

std::string ref(int n) { return std::to_string(n) + " 0 R"; }

std::string toUnicode(const std::string& entries) {
    return "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /Adobe-Identity-UCS def "
           "1 begincodespacerange <00> <ff> endcodespacerange " + entries + " endcmap end end";
}

}  // namespace

// The TrueType fonts of a voucher are named by strings (/BaseFont <feff0041...>) and carry ToUnicode
// maps with no entry at all; every word shown in them was lost in every format, and the conversion
// said it succeeded. A map that leaves out some codes lost those letters the same way.
TEST(FontText, EveryFormatReadsTheWordsAToUnicodeMapLeavesOut) {
    kx::test::PDFBuilder b;
    const std::string widths = "/FirstChar 32 /LastChar 126 /Widths [" + [] {
        std::string w;
        for (int code = 32; code <= 126; ++code) w += code == 32 ? "278 " : "556 ";
        return w;
    }() + "]";
    const std::string descriptor = "/FontDescriptor << /Type /FontDescriptor /Flags 4 /FontBBox [-627 -376 2000 1010] "
                                   "/Ascent 905 /Descent -212 /CapHeight 716 /ItalicAngle 0 /StemV 80 "
                                   "/FontName <FEFF004100410043004100440053002B0041> >>";
    const int empty = b.addStream("", toUnicode("0 beginbfchar endbfchar"));
    const int partial = b.addStream("", toUnicode("2 beginbfchar <4d> <004d> <20> <0020> endbfchar"));
    const int bold = b.add("<< /Type /Font /Subtype /TrueType /BaseFont <FEFF004100410043004100440053002B0041> " +
                           widths + " " + descriptor + " /ToUnicode " + ref(empty) + " >>");
    const int plain = b.add("<< /Type /Font /Subtype /TrueType /BaseFont <FEFF0041> " + widths + " " + descriptor +
                            " /ToUnicode " + ref(partial) + " >>");
    b.addPage("BT /F2.0 14 Tf 43 700 Td (MetroRock Climbing) Tj ET "
              "BT /F2.0 10 Tf 43 680 Td (What you get) Tj ET "
              "BT /F1.0 10 Tf 43 660 Td (Membership for one month, unlimited rentals) Tj ET",
              "<< /Font << /F2.0 " + ref(bold) + " /F1.0 " + ref(plain) + " >> >>");
    const std::string pdf = b.build();
    for (const std::string type : kFormats) {
        const std::string out = convert(pdf, "voucher", type);
        if (out.empty()) continue;
        expectPhrases(type, kx::test::linesOfOutput(type, out),
                      {"MetroRock Climbing", "What you get", "Membership for one month, unlimited rentals"});
    }
}

// Old-style figures, tabular figures, small capitals and ligatures are glyphs named by suffixes
// ("one.os", "zero.tf", "a.sc", "f_f_i.liga"); their names were written as text: "Version
// one.os.one.os" for "Version 1.1".
TEST(FontText, EveryFormatWritesVariantGlyphNamesAsTheirCharacters) {
    kx::test::PDFBuilder b;
    std::string widths;
    for (int code = 32; code <= 131; ++code) widths += code == 32 ? "278 " : code >= 128 ? "833 " : "556 ";
    const int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /BaseEncoding "
                           "/WinAnsiEncoding /Differences [ 48 /zero.tf /one.os /two.os /three.os 97 /a.sc "
                           "128 /f_f_i.liga /T_h /uni00660069 /orn.ss01 ] >> /FirstChar 32 /LastChar 131 /Widths [" +
                           widths + "] >>");
    b.addPage("BT /F1 12 Tf 72 700 Td (Version 1.1 of 2023) Tj ET "
              "BT /F1 12 Tf 72 680 Td (\\201e o\\200ce \\202nds a tree\\203) Tj ET",
              "<< /Font << /F1 " + ref(font) + " >> >>");
    const std::string pdf = b.build();
    for (const std::string type : kFormats) {
        const std::string out = convert(pdf, "variants", type);
        if (out.empty()) continue;
        const std::vector<std::string> lines = kx::test::linesOfOutput(type, out);
        expectPhrases(type, lines, {"Version 1.1 of 2023", "The office finds a tree"});
        for (const char* name : {".os", ".tf", ".sc", "liga", "uni", "orn", "ss01"})
            EXPECT_EQ(joined(lines).find(name), std::string::npos) << type << ": " << name << " in\n" << joined(lines);
    }
}

// A Type 3 font whose glyph space draws an em as a tenth of a text space unit, shown at ten times
// the size its glyphs stand at: every format wrote it at ten times its size (the word processor
// then pulled the letters together over each other). Each format sets it at the size it sets the
// same page in the usual glyph space, and reads the same words.
TEST(FontText, EveryFormatSetsAType3FontAtTheSizeItsGlyphsStandAt) {
    const std::vector<kx::test::Type3Line> lines = {{"Account messages", true},
                                                    {"For customers who qualify for benefits", false}};
    const std::string usual = kx::test::type3StatementPDF(lines);
    const std::string scaled = kx::test::type3StatementPDF(lines, 14, {0.01, 10});
    // The largest text size the output sets: in pixels (HTML), half points (RTF, DOCX), hundredths of
    // a point (PPTX) or points (XLSX).
    auto largestSize = [](const std::string& type, const std::string& path) {
        std::string text;
        if (type == "html" || type == "rtf") text = kx::readFile(path).value_or("");
        else kx::test::runCommand("unzip -p '" + path + "'", &text);
        const std::regex size(type == "html"   ? R"re(font: ([0-9.]+)px)re"
                              : type == "rtf"  ? R"re(\\fs([0-9]+))re"
                              : type == "docx" ? R"re(<w:sz w:val="([0-9.]+)")re"
                              : type == "pptx" ? R"re( sz="([0-9]+)")re"
                                               : R"re(<sz val="([0-9.]+)")re");
        double largest = 0;
        for (auto it = std::sregex_iterator(text.begin(), text.end(), size); it != std::sregex_iterator(); ++it)
            largest = std::max(largest, std::stod((*it)[1]));
        return largest;
    };
    for (const std::string type : kFormats) {
        const std::string usualOut = convert(usual, "type3-usual", type);
        const std::string scaledOut = convert(scaled, "type3-em-of-10-units", type);
        if (usualOut.empty() || scaledOut.empty()) continue;
        EXPECT_EQ(kx::test::linesOfOutput(type, scaledOut), kx::test::linesOfOutput(type, usualOut)) << type;
        if (type == "txt" || type == "csv") continue;
        const double expected = largestSize(type, usualOut), got = largestSize(type, scaledOut);
        ASSERT_GT(expected, 0) << type;
        EXPECT_GT(got / expected, 0.8) << type << ": " << got << " for " << expected;
        EXPECT_LT(got / expected, 1.25) << type << ": " << got << " for " << expected;
    }
}

// A form set in a composite font justifies its labels with word spacing and places each piece of a
// label with a move of its own. The blanks of such a font are codes of two bytes, which the spacing
// does not widen, so the words stay before the piece placed after them. Every format had them
// pushed over it: "PRESTATIOANSSSURANCEDSES" in the text formats, the words out of order in DOCX.
TEST(FontText, EveryFormatKeepsJustifiedTextOfACompositeFontInItsPlace) {
    auto hex = [](const std::string& text) {
        std::string out = "<";
        for (char c : text) out += kx::format("%04X", static_cast<unsigned char>(c));
        return out + ">";
    };
    kx::test::PDFBuilder b;
    const int map = b.addStream("", "/CIDInit /ProcSet findresource begin 12 dict begin begincmap 1 begincodespacerange "
                                    "<0000> <FFFF> endcodespacerange 1 beginbfrange <0000> <00FF> <0000> endbfrange "
                                    "endcmap end end");
    const int font = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /Foo /Encoding /Identity-H /ToUnicode " + ref(map) +
                           " /DescendantFonts [ << /Type /Font /Subtype /CIDFontType2 /BaseFont /Foo /CIDSystemInfo "
                           "<< /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /DW 500 >> ] >>");
    // Glyphs half an em wide at 10 points: the first piece ends 130 points from its start and the
    // second is placed 135 points from it.
    b.addPage("BT /C1 1 Tf 2.25 Tw 10 0 0 10 72 700 Tm " + hex("REGLE VOS PRESTATIONS DES ") + " Tj 13.5 0 Td " +
                  hex("ASSURANCES MALADIE") + " Tj ET",
              "<< /Font << /C1 " + ref(font) + " >> >>");
    const std::string pdf = b.build();
    for (const std::string type : kFormats) {
        const std::string out = convert(pdf, "justified-composite", type);
        if (out.empty()) continue;
        expectPhrases(type, kx::test::linesOfOutput(type, out), {"REGLE VOS PRESTATIONS DES", "ASSURANCES MALADIE"});
    }
}
