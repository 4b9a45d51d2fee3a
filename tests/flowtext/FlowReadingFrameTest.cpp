// Text read in the frame of its baseline: pages turned as a whole, turned lines on an upright page
// and vertical writing come out in the text formats, each read in its own direction.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FlowOutputText.h"
#include "flowtext/FlowTextFixtures.h"
#include "platform/Format.h"

using flowtest::Format;
using flowtest::Show;

namespace {

// Two lines of upright text in the page's own space, drawn under `matrix` ("" for none).
std::string twoLines(const std::string& matrix) {
    std::string c = matrix.empty() ? "" : "q " + matrix + " cm\n";
    c += "BT /F1 12 Tf 72 500 Td (Alpha beta gamma) Tj ET\n"
         "BT /F1 12 Tf 72 480 Td (Delta epsilon zeta) Tj ET\n";
    if (!matrix.empty()) c += "Q\n";
    return c;
}

std::string onePage(const std::string& content, const std::string& extra = "/MediaBox [0 0 612 792]") {
    kx::test::PDFBuilder pdf;
    pdf.addPage(content, flowtest::addFixtureFonts(pdf), extra);
    return pdf.build();
}

// Characters of vertical writing: 一二三四五六七八 for the codes 1 to 8 of a font that writes
// vertically (/V1, two-byte codes) and for the letters A to H of an upright one (/H1).
std::string verticalWritingPage(const std::string& content) {
    kx::test::PDFBuilder pdf;
    std::string fonts = flowtest::addFixtureFonts(pdf);
    const char* cjk[] = {"4E00", "4E8C", "4E09", "56DB", "4E94", "516D", "4E03", "516B"};
    std::string twoByte, oneByte;
    for (int i = 0; i < 8; ++i) {
        twoByte += kx::format("<%04X> <%s> ", i + 1, cjk[i]);
        oneByte += kx::format("<%02X> <%s> ", 'A' + i, cjk[i]);
    }
    auto toUnicode = [&](const char* range, const std::string& chars) {
        return pdf.addStream("", std::string("/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                                             "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                                             "/CMapName /Adobe-Identity-UCS def /CMapType 2 def\n"
                                             "1 begincodespacerange ") +
                                     range + " endcodespacerange\n8 beginbfchar " + chars +
                                     "endbfchar\nendcmap CMapName currentdict /CMap defineresource pop end end\n");
    };
    const int descriptor = pdf.add(
        "<< /Type /FontDescriptor /FontName /SampleMincho /Flags 4 /FontBBox [0 -120 1000 880] /ItalicAngle 0 "
        "/Ascent 880 /Descent -120 /CapHeight 700 /StemV 80 >>");
    const int cidFont = pdf.add(kx::format(
        "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /SampleMincho /CIDSystemInfo << /Registry (Adobe) "
        "/Ordering (Identity) /Supplement 0 >> /DW 1000 /FontDescriptor %d 0 R >>",
        descriptor));
    const int v1 = pdf.add(kx::format("<< /Type /Font /Subtype /Type0 /BaseFont /SampleMincho /Encoding /Identity-V "
                                      "/DescendantFonts [%d 0 R] /ToUnicode %d 0 R >>",
                                      cidFont, toUnicode("<0000> <FFFF>", twoByte)));
    const int h1 = pdf.add(kx::format("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding "
                                      "/ToUnicode %d 0 R >>",
                                      toUnicode("<00> <FF>", oneByte)));
    fonts.insert(fonts.find("/F1 "), kx::format("/V1 %d 0 R /H1 %d 0 R ", v1, h1));
    pdf.addPage(content, fonts, "/MediaBox [0 0 612 792]");
    return pdf.build();
}

}  // namespace

// A page whose text is turned as a whole (by its /Rotate, or drawn under a turned matrix) is read
// in the direction of its text; it wrote nothing.
TEST(FlowReadingFrame, APageTurnedAsAWholeIsReadInTheDirectionOfItsText) {
    struct Case {
        const char* name;
        std::string pdf;
    } cases[] = {
        {"/Rotate 90, upright content", onePage(twoLines(""), "/MediaBox [0 0 612 792] /Rotate 90")},
        {"/Rotate 270, upright content", onePage(twoLines(""), "/MediaBox [0 0 612 792] /Rotate 270")},
        {"/Rotate 180: upside down", onePage(twoLines(""), "/MediaBox [0 0 612 792] /Rotate 180")},
        {"portrait page drawn under a quarter turn", onePage(twoLines("0 1 -1 0 612 0"))},
        {"portrait page drawn under three quarter turns", onePage(twoLines("0 -1 1 0 0 792"))},
        {"portrait page drawn upside down", onePage(twoLines("-1 0 0 -1 612 792"))},
    };
    for (const Case& c : cases) {
        for (Format f : flowtest::kAllFormats) {
            EXPECT_EQ(flowtest::joined(flowtest::linesIn(f, c.pdf)), "Alpha beta gamma|Delta epsilon zeta")
                << c.name << " as " << flowtest::nameOf(f);
        }
    }
}

// Turned lines on an upright page (a note up the margin, a label down the side, a line on a slant)
// follow the page's upright text, each group on lines of its own, read in its own direction; they
// were dropped.
TEST(FlowReadingFrame, TurnedLinesFollowTheUprightTextReadInTheirOwnDirection) {
    const std::string pdf = onePage(flowtest::content({
        {"F1", 12, 72, 700, 0, "Upright first line"},
        {"F1", 12, 40, 300, 90, "Note going up"},
        {"F1", 12, 54, 300, 90, "and its second line"},
        {"F1", 12, 72, 680, 0, "Upright second line"},
        {"F1", 12, 580, 600, -90, "Label going down"},
        {"F1", 12, 200, 300, 30, "On a slant"},
        {"F1", 12, 72, 200, 1, "Nearly level, read with the page"},
    }));
    for (Format f : flowtest::kAllFormats) {
        EXPECT_EQ(flowtest::joined(flowtest::linesIn(f, pdf)),
                  "Upright first line|Upright second line|Nearly level, read with the page|Note going up|"
                  "and its second line|Label going down|On a slant")
            << flowtest::nameOf(f);
    }
}

// The page reads in the frame most of its characters share: on a page of turned lines, an upright
// line is the one read after them.
TEST(FlowReadingFrame, ThePageReadsInTheFrameMostOfItsCharactersShare) {
    const std::string pdf = onePage(flowtest::content({
        {"F1", 10, 500, 40, 0, "Page 7"},
        {"F1", 12, 100, 100, 90, "The first turned line of the table"},
        {"F1", 12, 120, 100, 90, "The second turned line of the table"},
        {"F1", 12, 140, 100, 90, "The third turned line of the table"},
    }));
    for (Format f : flowtest::kAllFormats) {
        EXPECT_EQ(flowtest::joined(flowtest::linesIn(f, pdf)),
                  "The first turned line of the table|The second turned line of the table|"
                  "The third turned line of the table|Page 7")
            << flowtest::nameOf(f);
    }
}

// Vertical writing: each column is a line read top to bottom, and the columns are read right to
// left; they came out a character a line, left to right.
TEST(FlowReadingFrame, VerticalWritingIsReadDownTheColumnsFromTheRight) {
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {
        {"a font that writes vertically",
         "BT /V1 12 Tf 1 0 0 1 500 700 Tm <0001000200030004> Tj 1 0 0 1 480 700 Tm <0005000600070008> Tj ET"},
        {"adjustments move down the column",
         "BT /V1 12 Tf 1 0 0 1 500 700 Tm [<0001> -100 <000200030004>] TJ "
         "1 0 0 1 480 700 Tm [<00050006> -100 <00070008>] TJ ET"},
        {"upright characters placed one under the other",
         "BT /H1 12 Tf 1 0 0 1 500 700 Tm (A) Tj 1 0 0 1 500 688 Tm (B) Tj 1 0 0 1 500 676 Tm (C) Tj "
         "1 0 0 1 500 664 Tm (D) Tj 1 0 0 1 480 700 Tm (E) Tj 1 0 0 1 480 688 Tm (F) Tj 1 0 0 1 480 676 Tm (G) Tj "
         "1 0 0 1 480 664 Tm (H) Tj ET"},
    };
    for (const Case& c : cases) {
        const std::string pdf = verticalWritingPage(c.content);
        for (Format f : flowtest::kAllFormats)
            EXPECT_EQ(flowtest::joined(flowtest::linesIn(f, pdf)), "一二三四|五六七八") << c.name << " as " << flowtest::nameOf(f);
    }
    // Single characters of a table column one under the other are no vertical writing.
    const std::string digits = verticalWritingPage(
        "BT /F1 12 Tf 1 0 0 1 72 700 Tm (1) Tj 1 0 0 1 72 688 Tm (2) Tj 1 0 0 1 72 676 Tm (3) Tj ET");
    EXPECT_EQ(flowtest::joined(flowtest::linesIn(Format::Text, digits)), "1|2|3");
}
