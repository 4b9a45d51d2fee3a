// The flow-text exporters on small PDFs: which shown strings become runs, their geometry and
// properties, and the switches that change what is read.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "FlowOutputText.h"
#include "FlowTestRuns.h"
#include "capture/RunContinuation.h"
#include "flowtext/FlowPage.h"
#include "flowtext/FlowTextFixtures.h"
#include "flowtext/KXHTMLPDFExporter.h"
#include "flowtext/KXRTFPDFExporter.h"
#include "flowtext/KXTextPDFExporter.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"
#include "support/TestSupport.h"

using flowtest::Show;

namespace {

struct CapturedRun {
    std::string text;
    KXDocx_RPr r;
    KXPDF_CTMInfo g;
    double textWidth;
};

// The runs the exporter makes on the first page of the document; with `turnedToo`, the runs read
// in a turned frame follow the upright ones.
template <class Exporter>
std::vector<CapturedRun> runsOf(const std::string& pdf, int parseAnnots = 1, bool cancelled = false,
                                bool turnedToo = false) {
    kx::ScopedTemporaryRoot root;
    auto document = kx::PDFDocument::openFromMemory(pdf);
    EXPECT_TRUE(document);
    if (!document) return {};
    Exporter exporter;
    auto options = std::make_shared<KXPDFOptions>();
    options->setIsParserAnnots(parseAnnots);
    exporter.setMoreOptions(options);
    exporter.setNumberOfPagesToConvert(1);
    static int n = 0;
    exporter.begainConvertPDF(kx::pathJoin(kx::test::tempDir(), "exporter" + std::to_string(++n) + ".out"), document);
    if (cancelled) exporter.cancelConvertPDF();
    EXPECT_TRUE(exporter.convertPDFPage(*document->page(1)));
    std::vector<CapturedRun> runs;
    auto* writer = [&] {
        if constexpr (std::is_same_v<Exporter, KXTextPDFExporter>)
            return exporter.pdfWriter();
        else
            return exporter.docuvane();
    }();
    for (const auto& run : writer->currentPage()->allRunTextArray())
        runs.push_back({kx::utf16ToUtf8(run->runText()), run->rProperty(), run->ctmInfo(), run->textWidth()});
    if (turnedToo)
        for (const auto& run : writer->currentPage()->turnedRunTextArray())
            runs.push_back({kx::utf16ToUtf8(run->runText()), run->rProperty(), run->ctmInfo(), run->textWidth()});
    exporter.endConvertPDF(document);
    return runs;
}

std::string textOf(const std::vector<CapturedRun>& runs) {
    std::string out;
    for (const CapturedRun& r : runs) out += r.text + "|";
    return out;
}

std::string page(std::vector<Show> shows) { return flowtest::textDocument({std::move(shows)}); }

// The plain text of the first page of a document.
std::string plainTextOf(const std::string& pdf) {
    kx::ScopedTemporaryRoot root;
    auto document = kx::PDFDocument::openFromMemory(pdf);
    EXPECT_TRUE(document);
    if (!document) return {};
    const std::string out = flowtest::tempPath("plain.txt");
    KXTextPDFExporter exporter;
    exporter.setMoreOptions(std::make_shared<KXPDFOptions>());
    exporter.setNumberOfPagesToConvert(1);
    exporter.begainConvertPDF(out, document);
    EXPECT_TRUE(exporter.convertPDFPage(*document->page(1)));
    exporter.endConvertPDF(document);
    EXPECT_FALSE(exporter.exportError());
    return kx::readFile(out).value_or("");
}

// Lines of running text in Helvetica (9-point unless said) placed one by one; `order()` reads the page and gives
// each output line's text up to its first comma.
struct PlacedLines {
    std::string content;
    void line(double x, double y, const std::string& text, double size = 9) {
        content += kx::format("BT /F1 %.2f Tf %.2f %.2f Td (%s) Tj ET\n", size, x, y, text.c_str());
    }
    std::vector<std::string> order() const {
        kx::test::PDFBuilder pdf;
        pdf.addPage(content, flowtest::addFixtureFonts(pdf), "/MediaBox [0 0 612 792]");
        std::vector<std::string> heads;
        std::istringstream lines(plainTextOf(pdf.build()));
        for (std::string l; std::getline(lines, l);)
            if (!l.empty()) heads.push_back(l.substr(0, l.find(',')));
        return heads;
    }
};

}  // namespace

TEST(FlowExporter, OnlyHorizontalTextMakesRuns) {
    struct Case {
        const char* name;
        double degrees;  // on the page as printed, counter-clockwise
        bool kept;
    } cases[] = {
        {"horizontal", 0, true},
        {"falling by 3 degrees (3 on the page as shown)", -3, true},
        {"falling by 5 degrees", -5, false},
        {"rising by half a degree (359.5, rounded to 360)", 0.5, true},
        {"rising by 3 degrees (357)", 3, true},
        {"rising by 5 degrees (355)", 5, true},
        {"rising by 6 degrees (354)", 6, false},
        {"running upward", 90, false},
        {"running downward", -90, false},
        {"upside down", 180, false},
        {"on a slant", 30, false},
    };
    for (const Case& c : cases) {
        std::vector<CapturedRun> runs = runsOf<KXTextPDFExporter>(page({{"F1", 12, 72, 600, c.degrees, "ab"}}));
        EXPECT_EQ(textOf(runs), c.kept ? "a|b|" : "") << c.name;
        if (c.kept && !runs.empty()) {
            EXPECT_EQ(runs[0].g.rotation, 0.0f) << c.name;
        }
    }
    // Horizontal text after turned text makes runs again, whatever was open.
    EXPECT_EQ(textOf(runsOf<KXTextPDFExporter>(page({{"F1", 12, 300, 300, 90, "up"},
                                                    {"F1", 12, 72, 600, 0, "x"},
                                                    {"F1", 12, 100, 200, 30, "slant"},
                                                    {"F1", 12, 72, 500, 0, "y"}}))),
              "x|y|");
}

TEST(FlowExporter, RunsHoldTheirTextAndGeometry) {
    // Blanks before the page's first visible character make no run; later a blank is a run.
    std::vector<CapturedRun> runs = runsOf<KXTextPDFExporter>(page({{"F1", 12, 72, 700, 0, "  a b"}}));
    ASSERT_EQ(textOf(runs), "a| |b|");
    // Helvetica: 'a' advances 556/1000 of the font size; the baseline is at 792 - 700 on the page as
    // shown, the top and bottom one unit of font size apart.
    EXPECT_NEAR(runs[0].textWidth, 6.672, 1e-6);
    EXPECT_NEAR(runs[0].g.bottomLeft.x, 72 + 2 * 3.336, 1e-6);
    EXPECT_NEAR(runs[0].g.bottomLeft.y - runs[0].g.topLeft.y, 12, 1e-6);
    EXPECT_NEAR(runs[0].r.sz, 12, 1e-4);
    EXPECT_EQ(runs[0].r.rFonts.ascii, "Helvetica");
    EXPECT_EQ(runs[0].r.rFonts.eastAsia, "Helvetica");

    // Tiny text is still 5 points; a page turned by its /Rotate shows its text horizontal.
    EXPECT_FLOAT_EQ(runsOf<KXTextPDFExporter>(page({{"F1", 1, 72, 700, 0, "t"}}))[0].r.sz, 5.0f);
    EXPECT_EQ(textOf(runsOf<KXTextPDFExporter>(
                  flowtest::textDocument({{{"F1", 12, 72, 300, 90, "turned"}}}, "/MediaBox [0 0 612 792] /Rotate 90"))),
              "t|u|r|n|e|d|");
}

TEST(FlowExporter, BoldAndItalicComeFromTheFontAndForHtmlAndRtfFromTheRendering) {
    const std::string pdf = page({{"F2", 12, 72, 700, 0, "b"},
                                  {"F3", 12, 72, 680, 0, "i"},
                                  {"F1", 12, 72, 660, 0, "s", 2},
                                  {nullptr, 0, 0, 0, 0, "BT 0 Tr /F1 12 Tf 1 0 0.4 1 72 640 Tm (k) Tj ET", 0, true}});
    auto styles = [](const std::vector<CapturedRun>& runs) {
        std::string out;
        for (const CapturedRun& r : runs) out += r.text + (r.r.b ? "B" : "") + (r.r.i ? "I" : "") + " ";
        return out;
    };
    EXPECT_EQ(styles(runsOf<KXTextPDFExporter>(pdf)), "bB iI s k ");
    EXPECT_EQ(styles(runsOf<KXHTMLPDFExporter>(pdf)), "bB iI sB kI ");
    EXPECT_EQ(styles(runsOf<KXRTFPDFExporter>(pdf)), "bB iI sB kI ");
}

TEST(FlowExporter, AnnotationsAreReadWhenTheOptionsSaySo) {
    kx::test::PDFBuilder pdf;
    const std::string resources = flowtest::addFixtureFonts(pdf);
    int appearance = pdf.addStream("/Type /XObject /Subtype /Form /BBox [0 0 200 50] /Resources " + resources,
                                   "BT /F1 12 Tf 5 20 Td (Noted) Tj ET");
    int annot = pdf.add(kx::format("<< /Type /Annot /Subtype /FreeText /Rect [72 600 272 650] /Contents (Noted) "
                                   "/DA (/F1 12 Tf 0 g) /AP << /N %d 0 R >> >>",
                                   appearance));
    pdf.addPage("BT /F1 12 Tf 72 700 Td (Page) Tj ET", resources,
                kx::format("/MediaBox [0 0 612 792] /Annots [%d 0 R]", annot));
    const std::string bytes = pdf.build();
    EXPECT_EQ(textOf(runsOf<KXTextPDFExporter>(bytes, 0)), "P|a|g|e|");
    EXPECT_NE(textOf(runsOf<KXTextPDFExporter>(bytes, 1)).find("N|o|t|e|d|"), std::string::npos);
}

TEST(FlowExporter, ACancelledConversionTakesNoMoreText) {
    EXPECT_EQ(textOf(runsOf<KXTextPDFExporter>(page({{"F1", 12, 72, 700, 0, "ab"}}), 1, true)), "");
}

TEST(FlowExporter, HostileGeometryNeitherBreaksNorFloodsThePage) {
    // Matrices that put text nowhere, a zero font size, and a page a billion points tall with text
    // at its top and bottom: the conversion ends, and the output stays small.
    kx::test::PDFBuilder pdf;
    const std::string resources = flowtest::addFixtureFonts(pdf);
    pdf.addPage("BT /F1 12 Tf 1e38 1e38 1e38 1e38 1e38 1e38 Tm (far) Tj ET\n"
                "BT /F1 0 Tf 72 700 Td (zero) Tj ET\n"
                "BT /F1 12 Tf 72 999999900 Td (top) Tj ET\n"
                "BT /F1 12 Tf 72 100 Td (bottom) Tj ET\n",
                resources, "/MediaBox [0 0 612 1000000000]");
    const std::string text = plainTextOf(pdf.build());
    EXPECT_NE(text.find("top"), std::string::npos);
    EXPECT_NE(text.find("bottom"), std::string::npos);
    EXPECT_LT(text.size(), 1000u);
}

TEST(FlowExporter, PastTheRunBudgetTextThatGoesOnInTheLastRunExtendsIt) {
    // Lines of one-point x's, a thousand a line, fill the page's runs up to the budget; the case's
    // strings follow. Helvetica at 12 points: "wo" advances (722 + 556) * 12 / 1000 = 15.336, "word"
    // 26.004.
    const std::string filler(kx::kRunsBeforeExtending, 'x');
    const std::string fillerLine(1000, 'x');
    std::string fillerContent = "BT /F1 1 Tf 1.2 TL 20 250 Td";
    for (size_t i = 0; i < filler.size(); i += fillerLine.size()) fillerContent += " (" + fillerLine + ") Tj T*";
    const Show fillerLines{"", 0, 0, 0, 0, fillerContent + " ET", 0, true};
    struct Case {
        const char* name;
        std::vector<Show> shows;
        const char* runs;  // the runs made after the filler's
    } cases[] = {
        {"one string", {{"F1", 12, 72, 700, 0, "word"}}, "word|"},
        {"a string where the last one ended", {{"F1", 12, 72, 700, 0, "wo"}, {"F1", 12, 87.34, 700, 0, "rd"}}, "word|"},
        {"half a point on", {{"F1", 12, 72, 700, 0, "wo"}, {"F1", 12, 87.84, 700, 0, "rd"}}, "wo|rd|"},
        {"going back", {{"F1", 12, 72, 700, 0, "wo"}, {"F1", 12, 50, 700, 0, "rd"}}, "wo|rd|"},
        {"in another size", {{"F1", 12, 72, 700, 0, "wo"}, {"F1", 10, 87.34, 700, 0, "rd"}}, "wo|rd|"},
        {"in another font", {{"F1", 12, 72, 700, 0, "wo"}, {"F2", 12, 87.34, 700, 0, "rd"}}, "wo|rd|"},
        {"on another baseline", {{"F1", 12, 72, 700, 0, "wo"}, {"F1", 12, 87.34, 697, 0, "rd"}}, "wo|rd|"},
    };
    for (const Case& c : cases) {
        std::vector<Show> shows{fillerLines};
        shows.insert(shows.end(), c.shows.begin(), c.shows.end());
        const std::vector<CapturedRun> runs = runsOf<KXTextPDFExporter>(page(shows));
        ASSERT_GT(runs.size(), filler.size()) << c.name;
        const std::vector<CapturedRun> after(runs.begin() + static_cast<std::ptrdiff_t>(filler.size()), runs.end());
        EXPECT_EQ(textOf(after), c.runs) << c.name;
        // An extended run ends where its last character does.
        if (after.size() == 1) {
            EXPECT_NEAR(after[0].g.bottomLeft.x, 72, 1e-6) << c.name;
            EXPECT_NEAR(after[0].textWidth, 26.004, 0.01) << c.name;
        }
    }
    // Text at an angle: "wo" from (72, 500), then "rd" moved from there by (along, across) in the
    // text's own space. A baseline tilted a little keeps the page's frame, each string on a
    // baseline of its own; one turned further is read in its frame, where places drift by
    // rounding. A joined run's width is taken along x in its frame.
    struct Turned {
        const char* name;
        double degrees, along, across;
        const char* runs;
        double width;  // of the joined run
    } turned[] = {
        {"tilted two degrees, where the last one ended", 2, 15.336, 0, "word|", 26.004 * std::cos(2 * M_PI / 180)},
        {"turned thirty degrees, where the last one ended", 30, 15.336, 0, "word|", 26.004},
        {"turned sixty degrees, where the last one ended", 60, 15.336, 0, "word|", 26.004},
        {"upside down and tilted three degrees, where the last one ended", 183, 15.336, 0, "word|",
         26.004 * std::cos(3 * M_PI / 180)},
        {"turned thirty degrees, half a point on", 30, 15.836, 0, "wo|rd|", 0},
        {"turned thirty degrees, going back", 30, -10, 0, "wo|rd|", 0},
        {"turned thirty degrees, a twentieth of a point across", 30, 15.336, 0.05, "wo|rd|", 0},
        {"tilted two degrees, on the next line", 2, 15.336, -14, "wo|rd|", 0},
    };
    for (const Turned& c : turned) {
        const double r = c.degrees * M_PI / 180;
        const Show line{"", 0, 0, 0, 0,
                        kx::format("BT /F1 12 Tf %.9f %.9f %.9f %.9f 72 500 Tm (wo) Tj %.3f %.3f Td (rd) Tj ET",
                                   std::cos(r), std::sin(r), -std::sin(r), std::cos(r), c.along, c.across),
                        0, true};
        const std::vector<CapturedRun> runs =
            runsOf<KXTextPDFExporter>(page({fillerLines, line}), 1, false, true);
        ASSERT_GT(runs.size(), filler.size()) << c.name;
        const std::vector<CapturedRun> after(runs.begin() + static_cast<std::ptrdiff_t>(filler.size()), runs.end());
        EXPECT_EQ(textOf(after), c.runs) << c.name;
        if (after.size() == 1) {
            EXPECT_NEAR(after[0].textWidth, c.width, 0.01) << c.name;
        }
    }
    // The page's text is what was shown.
    const std::string text = plainTextOf(page({fillerLines, {"F1", 12, 72, 700, 0, "word"}}));
    EXPECT_NE(text.find("word"), std::string::npos);
    EXPECT_NE(text.find(fillerLine), std::string::npos);
}

TEST(FlowExporter, RaisedAndLoweredTextIsReadInItsPlaceOnTheLine) {
    // Helvetica widths (per 1000): T 611, h 556, e 556, blank 278, L 556, A 667, E 667, X 667, w 722,
    // o 556, r 333, d 556, H 722, digits 556. Each case is one page; raised and lowered letters
    // are smaller or shifted off the baseline of the text around them.
    struct Case {
        const char* name;
        std::string content;
        const char* expected;
    } cases[] = {
        {"a logo with a raised and a lowered letter",
         "BT /F1 12 Tf 72 700 Td (The L) Tj ET\n"
         "BT /F1 8.5 Tf 99.6 702.4 Td (A) Tj ET\n"
         "BT /F1 12 Tf 104 700 Td (T) Tj ET\n"
         "BT /F1 12 Tf 109.5 697.4 Td (E) Tj ET\n"
         "BT /F1 12 Tf 116.5 700 Td (X logo) Tj ET\n",
         "The LATEX logo\n"},
        {"a footnote mark after a word",
         "BT /F1 12 Tf 72 700 Td (word) Tj /F1 7 Tf 1 0 0 1 98.004 704.5 Tm (1) Tj /F1 12 Tf 1 0 0 1 101.9 700 Tm "
         "(, more) Tj ET\n",
         "word1, more\n"},
        {"a subscript inside a word",
         "BT /F1 12 Tf 72 700 Td (H) Tj /F1 8 Tf 1 0 0 1 80.664 697 Tm (2) Tj /F1 12 Tf 1 0 0 1 85.112 700 Tm "
         "(O is water) Tj ET\n",
         "H2O is water\n"},
        // Lines that merely follow each other closely, and side-by-side columns a little off each
        // other's baselines, stay apart.
        {"a short line under a long one, at a tight leading",
         "BT /F1 12 Tf 72 700 Td (first line of text) Tj 0 -11 Td (short) Tj ET\n", "first line of text\nshort\n"},
        {"two columns three points apart",
         "BT /F1 12 Tf 72 700 Td (left column) Tj ET BT /F1 12 Tf 320 703 Td (right column) Tj ET\n",
         "left column\nright column\n"},
        {"small print over a heading, with tall figures beside the heading",
         "BT /F1 6 Tf 108.8 748.36 Td (Department of the Treasury Internal Revenue Service) Tj ET\n"
         "BT /F1 24 Tf 55 739.64 Td (1040) Tj ET\n"
         "BT /F1 12 Tf 108.8 735.92 Td (U.S. Individual Income Tax Return) Tj ET\n"
         "BT /F1 20.36 Tf 300 738 Td (2010) Tj ET\n",
         "1040 Department of the Treasury Internal Revenue Service\nU.S. Individual Income Tax Return    2010\n"},
        // A blank drawn and then overprinted by the word after it marks a word boundary.
        {"a blank under the first letter of a word",
         "BT /F1 12 Tf 72 720 Td (Start) Tj 0 -20 Td [( ) 278 (The end)] TJ ET\n", "Start\n The end\n"},
    };
    for (const Case& c : cases) {
        kx::test::PDFBuilder pdf;
        pdf.addPage(c.content, flowtest::addFixtureFonts(pdf), "/MediaBox [0 0 612 792]");
        EXPECT_EQ(plainTextOf(pdf.build()), c.expected) << c.name;
    }
}

TEST(FlowExporter, TablesAndFormsAreReadRowByRow) {
    // 9-point Helvetica on an 11-point leading: the lines of each case are one band.
    auto rows = [](std::vector<std::vector<std::pair<double, const char*>>> cells, double leading = 11,
                   double shift = 0) {
        std::string content;
        double y = 712;
        for (const auto& row : cells) {
            for (size_t i = 0; i < row.size(); ++i)
                content += kx::format("BT /F1 9 Tf %.2f %.2f Td (%s) Tj ET\n", row[i].first,
                                      y + (i > 0 ? shift : 0.0), row[i].second);
            y -= leading;
        }
        return content;
    };
    struct Case {
        const char* name;
        std::string content;
        const char* expected;
    } cases[] = {
        {"a ledger: number, description, amount",
         rows({{{72, "1001"}, {130, "Travel to the regional office"}, {400, "12.50"}},
               {{72, "1002"}, {130, "Paper and toner for the printer"}, {400, "310.00"}},
               {{72, "1003"}, {130, "Postage"}, {400, "4.20"}}}),
         "1001    Travel to the regional office    12.50\n"
         "1002    Paper and toner for the printer    310.00\n"
         "1003    Postage    4.20\n"},
        // The names are as wide as running text; every one stands on a row of the table beside.
        {"names beside descriptions and amounts",
         rows({{{72, "Bainbridge, Matthew J."}, {200, "District director of the office"}, {420, "37,499.96"}},
               {{72, "Smithfield, Alvaro R."}, {200, "Legislative correspondent"}, {420, "21,000.00"}},
               {{72, "Armstrong, Derek A."}, {200, "Staff assistant to the senator"}, {420, "12,111.06"}}}),
         "Bainbridge, Matthew J.    District director of the office    37,499.96\n"
         "Smithfield, Alvaro R.    Legislative correspondent    21,000.00\n"
         "Armstrong, Derek A.    Staff assistant to the senator    12,111.06\n"},
        {"entries and their page numbers",
         rows({{{72, "Introduction to the subject"}, {400, "3"}},
               {{72, "Getting started with the tools"}, {400, "5"}},
               {{72, "Reference of the language"}, {400, "13"}}}),
         "Introduction to the subject    3\nGetting started with the tools    5\nReference of the language    13\n"},
        // Numbers set between the lines of the text beside them belong to no row of it.
        {"a narrow column off the rows of its neighbour is read whole",
         rows({{{72, "Introduction to the subject"}, {400, "3"}},
               {{72, "Getting started with the tools"}, {400, "5"}},
               {{72, "Reference of the language"}, {400, "13"}}},
              11, -5),
         "Introduction to the subject\nGetting started with the tools\nReference of the language\n3\n5\n13\n"},
    };
    for (const Case& c : cases) {
        kx::test::PDFBuilder pdf;
        pdf.addPage(c.content, flowtest::addFixtureFonts(pdf), "/MediaBox [0 0 612 792]");
        EXPECT_EQ(plainTextOf(pdf.build()), c.expected) << c.name;
    }
}

TEST(FlowExporter, ThePagesColumnsAreReadWholeWhereTheirBandsDoNotLineUp) {
    // Two columns of running text in 9-point Helvetica on an 11-point leading. A heading in the
    // left column and a gap in the right one cut the page into bands whose columns do not pair up
    // one to one; each column is still read to its end before the next.
    PlacedLines placed;
    placed.line(72, 700, "Left one, a line of the running text");
    placed.line(72, 689, "Left two, a line of the running text");
    placed.line(72, 678, "Left three, a line of the running text");
    placed.line(320, 700, "Right one, a line of the running text");
    placed.line(320, 689, "Right two, a line of the running text");
    placed.line(320, 678, "Right three, a line of the running text");
    placed.line(72, 658, "Heading");
    placed.line(320, 656, "Right four, a line of the running text");
    placed.line(320, 645, "Right five, a line of the running text");
    placed.line(72, 625, "Left four, a line of the running text");
    placed.line(72, 614, "Left five, a line of the running text");
    placed.line(320, 623, "Right six, a line of the running text");
    placed.line(320, 612, "Right seven, a line of the running text");
    EXPECT_EQ(placed.order(), (std::vector<std::string>{"Left one", "Left two", "Left three", "Heading", "Left four",
                                                        "Left five", "Right one", "Right two", "Right three",
                                                        "Right four", "Right five", "Right six", "Right seven"}));
}

TEST(FlowExporter, ABulletOfAnotherFontStandsOnTheLineOfItsItem) {
    // The bullets' font reaches deeper below the baseline than Helvetica (descent 400 against
    // 207 per 1000): on one baseline, the two fonts' runs end two points apart at the bottom.
    kx::test::PDFBuilder pdf;
    const int helvetica =
        pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    const int descriptor = pdf.add(
        "<< /Type /FontDescriptor /FontName /Bullets /Flags 32 /FontBBox [0 -400 1000 700] /ItalicAngle 0 "
        "/Ascent 700 /Descent -400 /CapHeight 700 /StemV 80 >>");
    const int bullets = pdf.add(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Bullets /FirstChar 149 /LastChar 149 /Widths [500] "
        "/Encoding /WinAnsiEncoding /FontDescriptor " +
        std::to_string(descriptor) + " 0 R >>");
    const std::string content =
        "BT /B 10 Tf 72 712 Td (\\225) Tj ET BT /F1 10 Tf 84 712 Td (First item of the list) Tj ET\n"
        "BT /B 10 Tf 72 692 Td (\\225) Tj ET BT /F1 10 Tf 84 692 Td (Second item of the list) Tj ET\n";
    pdf.addPage(content,
                kx::format("<< /Font << /F1 %d 0 R /B %d 0 R >> >>", helvetica, bullets), "/MediaBox [0 0 612 792]");
    EXPECT_EQ(plainTextOf(pdf.build()), "\xE2\x80\xA2 First item of the list\n\xE2\x80\xA2 Second item of the list\n");
}

TEST(FlowExporter, AccentsDrawnOnTheirOwnJoinTheirLetters) {
    // Helvetica widths (per 1000): A 667, g 556, e 556, c 500, circumflex 333, cedilla 333. The
    // circumflex is drawn over the "e" and a little higher, the cedilla under the "c".
    const std::string content =
        "BT /F1 12 Tf 72 712 Td (Age) Tj ET\n"
        "BT /F1 12 Tf 88.01 712.6 Td (\\210) Tj ET\n"
        "BT /F1 12 Tf 93.348 712 Td (ncia and c) Tj ET\n"
        "BT /F1 12 Tf 143.044 712 Td (\270) Tj ET\n";
    kx::test::PDFBuilder pdf;
    pdf.addPage(content, flowtest::addFixtureFonts(pdf), "/MediaBox [0 0 612 792]");
    EXPECT_EQ(plainTextOf(pdf.build()), "Age\xCC\x82ncia and c\xCC\xA7\n");

    // An accent beside letters but over none of them, or over a blank, stays a character.
    kx::test::PDFBuilder apart;
    apart.addPage("BT /F1 12 Tf 72 712 Td (Age ) Tj ET\nBT /F1 12 Tf 96 712 Td (\\210) Tj ET\n",
                  flowtest::addFixtureFonts(apart), "/MediaBox [0 0 612 792]");
    EXPECT_EQ(plainTextOf(apart.build()), "Age \xCB\x86\n");
}

TEST(FlowExporter, AFigureBesideTheTopOfTheNextColumnDoesNotSliceThePage) {
    // A figure's one-line label at the top of the left column, beside running text in the right
    // column; the left column's text goes on below the figure.
    PlacedLines placed;
    placed.line(120, 700, "Figure");
    placed.line(320, 700, "Right one, a line of the running text");
    placed.line(320, 689, "Right two, a line of the running text");
    placed.line(72, 670, "Left one, a line of the running text");
    placed.line(72, 659, "Left two, a line of the running text");
    placed.line(320, 667, "Right three, a line of the running text");
    placed.line(320, 656, "Right four, a line of the running text");
    EXPECT_EQ(placed.order(), (std::vector<std::string>{"Figure", "Left one", "Left two", "Right one", "Right two",
                                                        "Right three", "Right four"}));
}

TEST(FlowExporter, AHeadingOverTheNextColumnIsReadAtThatColumnsTop) {
    // A figure (its lettering off the text's baselines) at the top of the left column, beside the
    // right column's running text; the right column's 14-point heading stands above it, more than
    // a line apart, in a band of its own. A heading that reaches across the gutter heads the page
    // and is read first.
    struct Case {
        const char* name;
        double headingX;
        std::vector<std::string> expected;
    } cases[] = {
        {"over the right column", 320,
         {"Figure", "Left one", "Left two", "The heading", "Right one", "Right two", "Right three", "Right four"}},
        {"across the gutter", 200,
         {"The heading", "Figure", "Left one", "Left two", "Right one", "Right two", "Right three", "Right four"}},
    };
    for (const Case& c : cases) {
        PlacedLines placed;
        placed.line(c.headingX, 712, "The heading, short", 14);
        placed.line(120, 688, "Figure");
        placed.line(320, 694, "Right one, a line of the running text");
        placed.line(320, 683, "Right two, a line of the running text");
        placed.line(72, 664, "Left one, a line of the running text");
        placed.line(72, 653, "Left two, a line of the running text");
        placed.line(320, 661, "Right three, a line of the running text");
        placed.line(320, 650, "Right four, a line of the running text");
        EXPECT_EQ(placed.order(), c.expected) << c.name;
    }
}

TEST(FlowExporter, AFormsSideLabelsAreReadWithTheRowsBesideThem) {
    // A form: rows on an 11-point leading, and at the left edge the names of its sections, set
    // between the rows' baselines. Labels in several blocks each go with the rows beside them; a
    // single block (a note in the margin) is read whole, before the rows, as any column is.
    struct Case {
        const char* name;
        std::vector<std::pair<double, const char*>> labels;
        std::vector<std::string> expected;
    } cases[] = {
        {"two sections",
         {{700, "Filing"}, {689, "Status"}, {645, "Income"}},
         {"Row one", "Filing", "Status", "Row two", "Row three", "Row four", "Row five", "Row six", "Income",
          "Row seven", "Row eight"}},
        {"one block",
         {{700, "Filing"}, {689, "Status"}},
         {"Filing", "Status", "Row one", "Row two", "Row three", "Row four", "Row five", "Row six", "Row seven",
          "Row eight"}},
    };
    const char* rows[] = {"Row one", "Row two", "Row three", "Row four", "Row five", "Row six", "Row seven",
                          "Row eight"};
    for (const Case& c : cases) {
        PlacedLines placed;
        for (int i = 0; i < 8; ++i) placed.line(100, 704 - 11 * i, std::string(rows[i]) + ", a line of the form");
        for (const auto& [y, text] : c.labels) placed.line(36, y, text);
        EXPECT_EQ(placed.order(), c.expected) << c.name;
    }
}

TEST(FlowExporter, ALineCentredBelowTheColumnsIsReadAfterThem) {
    // Three columns of running text end on one baseline; a short line stands below them. Centred
    // on the page (a table's title under the columns) it comes after all three; at the left edge
    // of the column above it (the column's own last line) it stays in that column.
    struct Case {
        const char* name;
        double x;  // where the short line starts; it stands under the middle column
        std::vector<std::string> expected;
    } cases[] = {
        {"centred on the page", 261,
         {"A one", "A two", "A three", "B one", "B two", "B three", "C one", "C two", "C three", "Short line"}},
        {"at the column's left edge", 222,
         {"A one", "A two", "A three", "B one", "B two", "B three", "Short line", "C one", "C two", "C three"}},
    };
    for (const Case& c : cases) {
        PlacedLines placed;
        const char* names[] = {"one", "two", "three"};
        for (int row = 0; row < 3; ++row) {
            placed.line(48, 700 - 11 * row, std::string("A ") + names[row] + ", a line of running text");
            placed.line(222, 700 - 11 * row, std::string("B ") + names[row] + ", a line of running text");
            placed.line(396, 700 - 11 * row, std::string("C ") + names[row] + ", a line of running text");
        }
        placed.line(c.x, 660, "Short line");
        EXPECT_EQ(placed.order(), c.expected) << c.name;
    }
}

TEST(FlowExporter, TheCellsOfBracketedMatricesAreReadMatrixByMatrix) {
    // Two 2-by-2 matrices and their product, in 10-point Helvetica: the cells on two lines 12
    // points apart, each bracket and the equals sign on a line of their own between them.
    std::string content;
    auto show = [&](double x, double y, const char* text) {
        content += kx::format("BT /F1 10 Tf %.2f %.2f Td (%s) Tj ET\n", x, y, text);
    };
    const char* cells[3][4] = {{"1", "2", "3", "4"}, {"5", "6", "7", "8"}, {"19", "22", "43", "50"}};
    for (int m = 0; m < 3; ++m) {
        const double x = 100 + 60 * m;
        show(x - 8, 694, "\\(");
        show(x, 700, cells[m][0]);
        show(x + 20, 700, cells[m][1]);
        show(x, 688, cells[m][2]);
        show(x + 20, 688, cells[m][3]);
        show(x + 34, 694, "\\)");
    }
    show(201, 694, "=");
    kx::test::PDFBuilder pdf;
    pdf.addPage(content, flowtest::addFixtureFonts(pdf), "/MediaBox [0 0 612 792]");
    std::istringstream text(plainTextOf(pdf.build()));
    std::string words;
    for (std::string w; text >> w;) words += w + " ";
    EXPECT_EQ(words, "( 1 2 3 4 ) ( 5 6 7 8 ) = ( 19 22 43 50 ) ");
}

TEST(FlowExporter, ATableWhoseCellsWrapIsStillReadRowByRow) {
    // A table of names, labour and two figures in 9-point rows 11 points apart. Cells that wrap go
    // on in a line of their own, indented under the cell and 10 points lower (the rows below move
    // down by that much). The names are one column of the table all the same: each row is read
    // across, a wrapped line after its row.
    struct Wrap {
        int row;
        double x;
        const char* text;
    };
    struct Case {
        const char* name;
        std::vector<Wrap> wraps;
        std::vector<std::string> expected;
    } cases[] = {
        {"a name wraps",
         {{1, 56, "marker removal"}},
         {"Wiring change of the unit 1 work-hour at 85 per hour 0 85",
          "Display and verification INOP 1 work-hour at 85 per hour 0 85", "marker removal",
          "Sensor test 1 work-hour at 85 per hour 0 85"}},
        {"labour cells wrap",
         {{0, 208, "up to 600"}, {1, 208, "up to 900"}},
         {"Wiring change of the unit 1 work-hour at 85 per hour 0 85", "up to 600",
          "Display and verification INOP 1 work-hour at 85 per hour 0 85", "up to 900",
          "Sensor test 1 work-hour at 85 per hour 0 85"}},
    };
    const char* names[] = {"Wiring change of the unit", "Display and verification INOP", "Sensor test"};
    for (const Case& c : cases) {
        PlacedLines placed;
        double y = 700;
        for (int row = 0; row < 3; ++row) {
            placed.line(48, y, names[row]);
            placed.line(200, y, "1 work-hour at 85 per hour");
            placed.line(380, y, "0");
            placed.line(430, y, "85");
            y -= 11;
            for (const Wrap& w : c.wraps) {
                if (w.row != row) continue;
                placed.line(w.x, y + 1, w.text);
                y -= 10;
            }
        }
        kx::test::PDFBuilder pdf;
        pdf.addPage(placed.content, flowtest::addFixtureFonts(pdf), "/MediaBox [0 0 612 792]");
        std::vector<std::string> lines;
        std::istringstream text(plainTextOf(pdf.build()));
        for (std::string line; std::getline(text, line);) {
            std::istringstream words(line);
            std::string joined;
            for (std::string word; words >> word;) joined += (joined.empty() ? "" : " ") + word;
            if (!joined.empty()) lines.push_back(joined);
        }
        EXPECT_EQ(lines, c.expected) << c.name;
    }
}

TEST(FlowExporter, TheLastLineOfAMastheadIsNotTheTopOfTheColumnBelowIt) {
    // A masthead: a large title at the left, and at the right two lines of 9-point text with a
    // third a little apart below them; farther below, three columns of running text, the third
    // under the masthead's lines.
    PlacedLines placed;
    placed.content += "BT /F1 18 Tf 45 725 Td (Proposed Rules) Tj ET\n";
    placed.line(399, 729, "Federal Register");
    placed.line(399, 718, "Volume 85");
    placed.line(399, 703, "Thursday August the sixth 2020");
    const char* names[] = {"one", "two", "three"};
    for (int row = 0; row < 3; ++row) {
        placed.line(45, 680 - 11 * row, std::string("A ") + names[row] + ", a line of running text");
        placed.line(222, 680 - 11 * row, std::string("B ") + names[row] + ", a line of running text");
        placed.line(399, 680 - 11 * row, std::string("C ") + names[row] + ", a line of running text");
    }
    std::vector<std::string> heads;
    for (const std::string& line : placed.order()) {
        std::istringstream words(line);
        std::string joined;
        for (std::string word; words >> word;) joined += (joined.empty() ? "" : " ") + word;
        heads.push_back(joined);
    }
    EXPECT_EQ(heads, (std::vector<std::string>{"Proposed Rules", "Federal Register", "Volume 85", "Thursday August the sixth 2020", "A one",
                                               "A two", "A three", "B one", "B two", "B three", "C one", "C two",
                                               "C three"}));
}

// Spreadsheets printed to PDF pad each cell's text with blanks and clip it to the cell: the padding
// of one cell runs under the text of the next. Blanks never split, push or reorder visible text, and
// a glyph wholly outside the clip is not seen. The dates came out spread apart ("0  3  / 2  5 ...").
TEST(FlowExporter, PaddingAndClippedGlyphsNeverSplitVisibleText) {
    auto cells = [](bool clipped) {
        const std::string clip1 = clipped ? "72 600 76 20 re W n " : "";
        const std::string clip2 = clipped ? "150 600 100 20 re W n " : "";
        return "q " + clip1 + "BT /F1 12 Tf 74 605 Td (Name                    ) Tj ET Q\n" + "q " + clip2 +
               "BT /F1 12 Tf 152 605 Td (03/25/2016) Tj ET Q\n";
    };
    struct Case {
        const char* name;
        std::string content;
        const char* words;
    } cases[] = {
        {"two clipped cells, the first padded under the second", cells(true), "Name|03/25/2016"},
        {"the same cells without their clips", cells(false), "Name|03/25/2016"},
        {"text drawn outside its clip",
         "q 72 600 100 20 re W n BT /F1 12 Tf 74 605 Td (Shown) Tj 0 40 Td (Above) Tj 300 -40 Td (Beside) Tj ET Q",
         "Shown"},
        {"a clip that leaves nothing", "q 72 600 0 0 re W n BT /F1 12 Tf 74 605 Td (Nothing) Tj ET Q", ""},
        // A writer that marks a word boundary with a blank and draws the next word over it.
        {"a blank overprinted by the next word",
         "BT /F1 12 Tf 72 605 Td [(word ) 278 (next)] TJ ET", "word|next"},
    };
    for (const Case& c : cases) {
        kx::test::PDFBuilder pdf;
        pdf.addPage(c.content, flowtest::addFixtureFonts(pdf), "/MediaBox [0 0 612 792]");
        const std::string bytes = pdf.build();
        for (flowtest::Format f : flowtest::kAllFormats)
            EXPECT_EQ(flowtest::joined(flowtest::wordsIn(f, bytes)), c.words) << c.name << " as " << flowtest::nameOf(f);
    }
}

// A page may show one part of a larger sheet: its media box is a window onto content drawn for the
// whole sheet. Only what lies on the page is its text; the rest came out on every page that shows a
// part of the sheet, the sheet's text three times over on a voucher of three such pages.
TEST(FlowExporter, TextOffThePageIsNotRead) {
    struct Case {
        const char* name;
        const char* extra;
        const char* words;
    } cases[] = {
        {"the whole sheet", "/MediaBox [0 0 612 792]", "Upper|Right|Edge|Lower"},
        // "Edge" crosses the page's right edge: the letters wholly beyond it go.
        {"its upper left part", "/MediaBox [0 482 361 792]", "Upper|E"},
        {"its lower part", "/MediaBox [0 0 612 482]", "Lower"},
        {"its upper left part, turned", "/MediaBox [0 482 361 792] /Rotate 90", "Upper|E"},
    };
    for (const Case& c : cases) {
        const std::string bytes = flowtest::onePage(flowtest::sheetContent(), c.extra);
        for (flowtest::Format f : flowtest::kAllFormats)
            EXPECT_EQ(flowtest::joined(flowtest::wordsIn(f, bytes)), c.words) << c.name << " as " << flowtest::nameOf(f);
    }
}

// Text drawn over itself (a block of the page drawn a second time at its place, a bold face made by
// printing a line twice a little apart) is read once. Its letters stood in the line side by side:
// "BBeeffoorree  rreeddeeeemmiinngg".
TEST(FlowExporter, TextDrawnOverItselfIsReadOnce) {
    for (const flowtest::DrawnTwiceCase& c : flowtest::drawnTwiceCases()) {
        const std::string bytes = flowtest::onePage(c.content);
        for (flowtest::Format f : flowtest::kAllFormats)
            EXPECT_EQ(flowtest::joined(flowtest::wordsIn(f, bytes)), c.words) << c.name << " as " << flowtest::nameOf(f);
    }
}

// Fonts converted from TrueType name their glyphs by index ("g3", "glyph12", "cid42", "index7"):
// such a name is no text, and the word spaces drawn with it come from the glyphs' places. The
// names came out as text: "Comparingg3TAMg3with".
TEST(FlowExporter, GlyphNamesThatOnlyNumberAGlyphAreNoText) {
    struct Case {
        const char* spaceGlyph;  // the name of code 32
        const char* words;
    } cases[] = {
        {"g3", "Comparing|TAM|with"},
        {"glyph12", "Comparing|TAM|with"},
        {"cid42", "Comparing|TAM|with"},
        {"index7", "Comparing|TAM|with"},
        // Names with a character keep it.
        {"space", "Comparing|TAM|with"},
        {"uni0041", "ComparingATAMAwith"},
        {"u0042", "ComparingBTAMBwith"},
    };
    for (const Case& c : cases) {
        kx::test::PDFBuilder pdf;
        std::string fonts = flowtest::addFixtureFonts(pdf);
        const int font = pdf.add(std::string("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << "
                                             "/BaseEncoding /WinAnsiEncoding /Differences [32 /") +
                                 c.spaceGlyph + "] >> /FirstChar 32 /LastChar 32 /Widths [278] >>");
        fonts.insert(fonts.find("/F1 "), kx::format("/G1 %d 0 R ", font));
        pdf.addPage("BT /G1 12 Tf 72 700 Td (Comparing TAM with) Tj ET", fonts, "/MediaBox [0 0 612 792]");
        const std::string bytes = pdf.build();
        for (flowtest::Format f : flowtest::kAllFormats)
            EXPECT_EQ(flowtest::joined(flowtest::wordsIn(f, bytes)), c.words) << c.spaceGlyph << " as " << flowtest::nameOf(f);
    }
}

// Large text set tight (a title over two lines, a list of names in a display size) keeps each
// line within a line of the one before it, and each goes on in the paragraph of the one before:
// the line break is a blank, except after a hyphen that splits a word and between two Chinese
// characters. The lines came out as one word: "Table of ContentsDocBook XSL Stylesheets".
TEST(FlowExporter, LinesThatGoOnInAParagraphKeepTheirBreak) {
    auto lines = [](const char* font, std::vector<const char*> texts) {
        std::string content;
        for (size_t i = 0; i < texts.size(); ++i)
            content += kx::format("BT /%s 30 Tf 72 %d Td (%s) Tj ET\n", font, 700 - 22 * static_cast<int>(i), texts[i]);
        return content;
    };
    struct Case {
        const char* name;
        std::string content;
        const char* words;
    } cases[] = {
        {"a title over two lines", lines("F2", {"Table of Contents", "DocBook XSL Stylesheets"}),
         "Table|of|Contents|DocBook|XSL|Stylesheets"},
        {"a list of names", lines("F1", {"admon.graphics.extension", "admon.graphics.path", "admon.graphics"}),
         "admon.graphics.extension|admon.graphics.path|admon.graphics"},
        {"a word split by a hyphen", lines("F1", {"a hyphen-", "ated word"}), "a|hyphen-ated|word"},
        {"a dash between words", lines("F1", {"words -", "and more"}), "words|-|and|more"},
        {"a hyphen before a number", lines("F1", {"pages 3-", "5 and 7"}), "pages|3-|5|and|7"},
        {"Chinese lines", lines("F5", {"AA", "AA"}), "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD"},
    };
    for (const Case& c : cases) {
        kx::test::PDFBuilder pdf;
        pdf.addPage(c.content, flowtest::addFixtureFonts(pdf), "/MediaBox [0 0 612 792]");
        const std::string bytes = pdf.build();
        for (flowtest::Format f : flowtest::kAllFormats)
            EXPECT_EQ(flowtest::joined(flowtest::wordsIn(f, bytes)), c.words) << c.name << " as " << flowtest::nameOf(f);
    }
}
