// Page sections through LibreOffice's reading of the DOCX package: pages whose text reaches to the
// foot of the page come back as one page each (the page's margins, its bands of columns and their
// paragraphs' spacing add up to no more than the page; a paragraph after a section break keeps
// its own indents; a line keeps the width it has on the page), and rows set apart like the cells
// of a table stay rows where the reader's font sets their text wider.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "exporters/ExporterTable.h"
#include "flowtext/FlowTextFixtures.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

int pdfPageCount(const std::string& pdf) {
    std::string info;
    kx::test::runCommand("pdfinfo '" + pdf + "'", &info);
    std::smatch m;
    return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

// LibreOffice's PDF of the DOCX conversion of the PDF.
std::string roundTrip(const std::string& stem, const std::string& pdfBytes) {
    kx::installExporters();
    const std::string pdf = kx::test::writeTemp(stem + ".pdf", pdfBytes);
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "fit-" + stem);
    kx::removeAll(folder);
    kx::createDirectories(folder);
    const std::string docx = kx::pathJoin(folder, stem + ".docx");
    const auto run = kx::test::runConversion(pdf, kx::test::everyPage(pdf), "docx", docx, nullptr, std::chrono::seconds(120));
    EXPECT_TRUE(run.ended && !run.error());
    std::string log;
    EXPECT_EQ(kx::test::runCommand("cd '" + folder + "' && timeout 240 soffice --headless -env:UserInstallation=file://" +
                                       folder + "/profile --convert-to pdf '" + docx + "'",
                                   &log),
              0)
        << log;
    return kx::pathJoin(folder, stem + ".pdf");
}

// A TrueType font that the reader does not have, every character of the one width, in WinAnsi; its
// descriptor says what kind of face it is (flags 32 sans, 34 serif). Returns its object number.
int addUninstalledFont(kx::test::PDFBuilder& pdf, const char* name, int flags, int width, int descent, int capHeight) {
    std::string widths;
    for (int c = 32; c <= 126; ++c) widths += kx::format(" %d", width);
    const int descriptor = pdf.add(kx::format("<< /Type /FontDescriptor /FontName /%s /Flags %d /FontBBox [0 %d 1000 900] "
                                              "/ItalicAngle 0 /Ascent 900 /Descent %d /CapHeight %d /StemV 80 >>",
                                              name, flags, descent, descent, capHeight));
    return pdf.add(kx::format("<< /Type /Font /Subtype /TrueType /BaseFont /%s /FirstChar 32 /LastChar 126 ", name) +
                   kx::format("/Widths [%s] /FontDescriptor %d 0 R /Encoding /WinAnsiEncoding >>", widths.c_str(), descriptor));
}

}  // namespace

TEST(DocxSections, EveryPageComesBackAsOnePage) {
    if (!kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdfinfo")) GTEST_SKIP();
    struct Case {
        const char* stem;
        std::vector<flowtest::Show> page;
        std::string document = {};  // when set, the page is this document's
        int pages = 1;               // of the document
    };
    std::vector<Case> cases;

    // Four columns of lines down to the foot of the page, standing where an equal grid of columns
    // would nearly be: the text of each column must stay inside its Word column, or the word
    // processor wraps every line of it and the columns run onto a second page.
    Case fourColumns{"four-columns", {}};
    for (double x : {40.0, 170.0, 300.0, 430.0})
        for (double y = 750; y > 40; y -= 11) fourColumns.page.push_back({"F1", 9, x, y, 0, "xxxxxx xxxxxx xxxxxx xxxxxx"});
    cases.push_back(fourColumns);

    // A band of one column whose lines end halfway across the page (a figure's labels stand to the
    // right of its first lines), then two columns down to the foot of the page, the first beginning
    // with a short line of its own. The break between them is an empty paragraph, which the reader
    // folds into that short line: unless the line says its own right indent, it takes the band's,
    // wider than its column, and is set a letter to a line.
    const std::vector<std::string> words{"the",   "quick", "brown", "fox",   "jumps", "over",   "a",
                                         "lazy",  "dog",   "while", "seven", "tired", "bears",  "watch",
                                         "from",  "behind", "the",  "old",   "wooden", "fence"};
    auto sentence = [&](size_t from) {
        std::string s;
        for (size_t k = 0; k < 9; ++k) s += (k ? " " : "") + words[(3 * from + k) % words.size()];
        return s;
    };
    Case narrowBand{"short-line-after-a-narrow-band", {}};
    double y = 740;
    for (size_t i = 0; i < 12; ++i, y -= 11) {
        narrowBand.page.push_back({"F1", 9, 54, y, 0, sentence(i)});
        if (i < 6 && i % 2 == 0) narrowBand.page.push_back({"F1", 9, 470, y, 0, kx::format("Label %zu", i)});
    }
    const double top = y - 14;
    narrowBand.page.push_back({"F1", 9, 54, top, 0, "the end of a sentence."});
    for (size_t column = 0; column < 2; ++column) {
        size_t i = 0;
        for (double line = top - (column == 0 ? 20 : 0); line > 50; line -= 11, ++i)
            narrowBand.page.push_back({"F1", 9, column == 0 ? 54.0 : 318.0, line, 0, sentence(i + 7 * column)});
    }
    cases.push_back(narrowBand);

    // Four columns of words shown a letter at a time, each letter touching the next, the words
    // closer together than a blank of their font. Each word is one run joined from its letters,
    // and the blank between two words a run of its own, set narrower than its font's blank. A
    // reader that does not narrow the last character of a run sets every such blank at its full
    // width, and the lines wrap.
    Case letterByLetter{"words-shown-a-letter-at-a-time-closer-than-a-blank", {}};
    for (double x : {40.0, 170.0, 300.0, 430.0})
        for (double y = 750; y > 40; y -= 11)
            for (int letter = 0; letter < 20; ++letter)
                letterByLetter.page.push_back({"F1", 9, x + letter * 4.5 + (letter / 5) * 1.0, y, 0, "x"});
    cases.push_back(letterByLetter);

    // Four columns down to the foot of the page in a font that is not installed, narrower than the
    // installed stand-in it is measured in. Each line is shown a word and its blank at a time, the
    // pieces touching: they are joined into runs, which must take the width their pieces have on
    // the page. Counted at the stand-in's wider widths, the lines wrap.
    {
        kx::test::PDFBuilder pdf;
        const int font = addUninstalledFont(pdf, "Garamond", 34, 470, -250, 650);
        std::string content;
        for (double x : {40.0, 170.0, 300.0, 430.0})
            for (double y = 750; y > 40; y -= 11)
                for (int word = 0; word < 4; ++word)
                    content += kx::format("BT /G 9 Tf %.2f %.2f Td (%s) Tj ET\n", x + word * 7 * 4.23, y,
                                          word < 3 ? "xxxxxx " : "xxxxxx");
        pdf.addPage(content, kx::format("<< /Font << /G %d 0 R >> >>", font));
        cases.push_back({"joined-words-in-a-narrower-font", {}, pdf.build()});
    }

    // A quiz: a ruled box for the name at the head of each page, questions down the page and the
    // page number at its foot, in a band of its own. From the second page on, the head band closes
    // with a break (the section that begins on a new page): an empty paragraph that the layout
    // gives no height. Of the height of the paragraph it closes, it pushes the page number off
    // the page onto a page of its own.
    {
        std::vector<std::vector<flowtest::Show>> pages;
        for (int number = 1; number <= 2; ++number) {
            std::vector<flowtest::Show> page;
            page.push_back({"", 0, 0, 0, 0,
                            "1 w 72 720 m 540 720 l S 72 740 m 540 740 l S 72 760 m 540 760 l S "
                            "72 720 m 72 760 l S 306 720 m 306 760 l S 540 720 m 540 760 l S",
                            0, true});
            page.push_back({"F1", 10, 76, 746, 0, "Name"});
            page.push_back({"F1", 10, 310, 746, 0, "Date"});
            page.push_back({"F1", 10, 76, 726, 0, "Class"});
            page.push_back({"F1", 10, 310, 726, 0, "Mark"});
            int question = 1;
            for (double y = 690; y > 50; y -= 14, ++question)
                page.push_back({"F1", 10, 72, y, 0,
                                kx::format("%d. Which of these statements about the topic is true? Tick one box.", question)});
            page.push_back({"F1", 9, 290, 30, 0, kx::format("Page %d of 12", number)});
            pages.push_back(page);
        }
        cases.push_back({"quiz-with-a-page-number-at-the-foot", {}, flowtest::textDocument(pages), 2});
    }

    // Two columns from the head of the page to its foot, the first beginning 2 pt lower than the
    // second: less than its font size, but still space above the first column's first paragraph.
    // A word processor lays that space above the whole band of columns, so the second column
    // starts that much lower too and its last line goes onto a page of its own, unless the space
    // is written as blank paragraphs in the first column.
    Case firstColumnLower{"first-of-two-columns-a-little-lower", {}};
    for (double y = 744; y > 30; y -= 11) firstColumnLower.page.push_back({"F1", 9, 320, y, 0, "right column text down to the foot"});
    for (double y = 742; y > 100; y -= 11) firstColumnLower.page.push_back({"F1", 9, 72, y, 0, "left column a little lower"});
    cases.push_back(firstColumnLower);

    // A last page of two columns whose text begins well below the page's top margin: the blank
    // space above them closes as a section of one column that begins the page, and the columns
    // must go on on that page, not begin another.
    {
        std::vector<flowtest::Show> first, last;
        for (double y = 700; y > 100; y -= 14)
            first.push_back({"F1", 10, 72, y, 0, "A line of the first page, one column of text across it."});
        for (double x : {72.0, 320.0})
            for (double y = 680; y > 100; y -= 13) last.push_back({"F1", 9, x, y, 0, "two columns of text down the page"});
        cases.push_back({"last-page-of-columns-below-blank-space", {}, flowtest::textDocument({first, last}), 2});
    }

    // Lines down to the foot of the page as a flattener of transparency leaves them: each drawn,
    // then drawn again in another colour through a clip over a tinted box. The two copies are one
    // line of text; kept both, they stood as two lines on one baseline, laid out as lines reaching
    // into each other, each line's paragraph taller than the line.
    Case drawnTwice{"lines-drawn-again-in-another-colour-over-a-tint", {}};
    {
        int line = 0;
        for (double y = 750; y > 60; y -= 12, ++line) {
            const std::string text = kx::format("Line %d of the text, drawn twice over itself", line);
            drawnTwice.page.push_back({"F1", 9, 72, y, 0, text});
            drawnTwice.page.push_back(
                {"", 0, 0, 0, 0,
                 kx::format("q 72 %.2f 300 12 re W n 0.7 0.9 0.9 rg 72 %.2f 300 12 re f 0.1 0.1 0.1 rg "
                            "BT /F1 9 Tf 72 %.2f Td (%s) Tj ET Q",
                            y - 3, y - 3, y, text.c_str()),
                 0, true});
        }
        drawnTwice.page.push_back({"F1", 9, 290, 30, 0, "Page 1"});
    }
    cases.push_back(drawnTwice);

    // Lines of small print down the page in a condensed face that is not installed, set in a normal
    // one that is half again as wide: each line must be condensed by more than a sixth of its size
    // a character, which LibreOffice does not apply; unless the glyphs are set narrower, every line
    // wraps and the page becomes two.
    {
        kx::test::PDFBuilder pdf;
        const int font = addUninstalledFont(pdf, "Helvetica-Condensed", 32, 280, -200, 700);
        const std::vector<std::string> print{"condensed", "type", "set", "narrow", "on", "a", "page", "of", "small",
                                             "print"};
        std::string content;
        size_t next = 0;
        for (double y = 750; y > 40; y -= 9) {
            std::string line;
            while (line.size() < 240) line += (line.empty() ? "" : "-") + print[next++ % print.size()];
            content += kx::format("BT /C 7 Tf 40 %.2f Td (%s) Tj ET\n", y, line.c_str());
        }
        pdf.addPage(content, kx::format("<< /Font << /C %d 0 R >> >>", font));
        cases.push_back({"small-print-in-a-condensed-face", {}, pdf.build()});
    }

    // Four columns of words down to the foot of the page, each word shown on its own and the blanks
    // between them a little wider than the font's, in a face that is not installed and that its
    // stand-in sets a quarter wider: each word is a run of its own, condensed within what every
    // reader applies. LibreOffice condenses every character of a run but its last; unless the
    // condensing is spread over those, each word keeps one character's share of its width and the
    // lines wrap.
    {
        kx::test::PDFBuilder pdf;
        const int font = addUninstalledFont(pdf, "Helvetica-Condensed", 32, 400, -200, 700);
        std::string content;
        for (double x : {40.0, 170.0, 300.0, 430.0})
            for (double y = 750; y > 40; y -= 11)
                for (int word = 0; word < 5; ++word)
                    content += kx::format("BT /C 9 Tf %.2f %.2f Td (xxxxx) Tj ET\n", x + word * (5 * 3.6 + 4.5), y);
        pdf.addPage(content, kx::format("<< /Font << /C %d 0 R >> >>", font));
        cases.push_back({"words-each-condensed-on-its-own", {}, pdf.build()});
    }

    // An invoice: a ruled table on the left beside lines of totals on the right that reach further
    // down than the table, then signatures and a printer's line at the foot of the page. The table
    // goes into the blank space below the totals; the space left under it must be shorter by as
    // much as the table moved down, or the foot of the page moves onto a page of its own.
    Case tableBesideText{"table-beside-text-moved-below-it", {}};
    tableBesideText.page.push_back({"F1", 12, 300, 740, 0, "Invoice number 1 of 2021"});
    for (int i = 0; i < 5; ++i)
        tableBesideText.page.push_back({"F1", 9, 50, 700.0 - 12 * i, 0, kx::format("Seller line %d with an address", i)});
    {
        std::string rules;
        for (int row = 0; row <= 3; ++row) rules += kx::format("50 %d m 280 %d l S\n", 560 - 14 * row, 560 - 14 * row);
        for (int x : {50, 130, 200, 280}) rules += kx::format("%d 560 m %d 518 l S\n", x, x);
        tableBesideText.page.push_back({"F1", 0, 0, 0, 0, rules, 0, true});
    }
    for (int row = 0; row < 3; ++row)
        for (int cell = 0; cell < 3; ++cell)
            tableBesideText.page.push_back({"F1", 9, 55.0 + 80 * cell - 5 * (cell == 2), 550.0 - 14 * row, 0,
                                            kx::format("%s %d", cell == 0 ? "Rate" : cell == 1 ? "Net" : "Tax", row)});
    for (int i = 0; i < 7; ++i)
        tableBesideText.page.push_back({"F1", 9, 420, 562 - 12.4 * i, 0, kx::format("Total line %d: 148,83", i)});
    tableBesideText.page.push_back({"F1", 9, 60, 70, 0, "Signature of the seller"});
    tableBesideText.page.push_back({"F1", 9, 420, 70, 0, "Signature of the buyer"});
    tableBesideText.page.push_back({"F1", 7, 230, 22, 0, "Printed by the invoicing system, version 21.2"});
    cases.push_back(tableBesideText);

    // Lines down half the page and its number at the foot, in a band of its own, and something
    // painted well below the foot, off the page (a page that shows part of a larger sheet): a
    // filled box, or a picture. Nothing of it is seen on the page; written as an object standing
    // below the page, the word processor gives it a page of its own after the page.
    for (const char* what : {"box", "picture"}) {
        kx::test::PDFBuilder pdf;
        const std::string fonts = flowtest::addFixtureFonts(pdf);
        const int image = pdf.addStream("/Type /XObject /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceGray "
                                        "/BitsPerComponent 8",
                                        std::string(16, '\x80'));
        std::string content;
        for (double y = 740; y > 400; y -= 14)
            content += flowtest::printedLine("F1", 10, 72, y, "A line of the page, one column of text across it.");
        content += what == std::string("box") ? "0.2 0.4 0.8 rg 72 -300 468 40 re f\n"
                                              : "q 468 0 0 40 72 -300 cm /Im1 Do Q\n";
        content += flowtest::printedLine("F1", 9, 290, 30, "Page 1");
        pdf.addPage(content, fonts.substr(0, fonts.size() - 2) + kx::format("/XObject << /Im1 %d 0 R >> >>", image));
        cases.push_back({what == std::string("box") ? "box-painted-below-the-page" : "picture-painted-below-the-page", {},
                         pdf.build()});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.stem);
        const std::string document = c.document.empty() ? flowtest::textDocument({c.page}) : c.document;
        EXPECT_EQ(pdfPageCount(roundTrip(c.stem, document)), c.pages);
    }
}

TEST(DocxSections, RowsSetApartLikeCellsKeepTheirLastCellWhereTheReadersFontIsWider) {
    if (!kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdftotext")) GTEST_SKIP();
    // A price list in a font the reader does not have, whose widths are narrower than those of the
    // font it is set in there: each row's text is wider in the round trip than on the page.
    kx::test::PDFBuilder pdf;
    const int font = addUninstalledFont(pdf, "Verdana", 32, 450, -200, 700);
    std::string content;
    const char* items[] = {"Apples", "Oranges", "Pears", "Bananas", "Cherries", "Grapes", "Lemons", "Plums"};
    for (int i = 0; i < 8; ++i) {
        const double y = 700 - 13.0 * i;
        const std::string price = kx::format("$%d.%02d", i + 1, (i * 37) % 100);
        content += kx::format("BT /V 10 Tf 72 %.2f Td (%s of the season) Tj ET\n", y, items[i]);
        content += kx::format("BT /V 10 Tf %.2f %.2f Td (%s) Tj ET\n", 540 - 4.5 * price.size(), y, price.c_str());
    }
    pdf.addPage(content, kx::format("<< /Font << /V %d 0 R >> >>", font));
    const std::string back = roundTrip("price-rows", pdf.build());
    std::string text;
    kx::test::runCommand("pdftotext -layout '" + back + "' -", &text);
    // Every price on the row of its item.
    for (int i = 0; i < 8; ++i) {
        const std::string price = kx::format("$%d.%02d", i + 1, (i * 37) % 100);
        const size_t at = text.find(price);
        ASSERT_NE(at, std::string::npos) << text;
        const size_t rowStart = text.rfind('\n', at) + 1;
        EXPECT_NE(text.substr(rowStart, at - rowStart).find(items[i]), std::string::npos) << text;
    }
}
