// Whole DOCX conversions of generated pages of ruled boxes and tables, each read back by LibreOffice
// (when installed) with as many pages as the PDF: a quiz whose answers stand beside a column of check
// boxes keeps every answer; a landscape page that is one ruled table filling the page stays one
// page; so does a form whose label column stands beside a column of ruled amount boxes, most of
// them empty, and a form of boxes within boxes whose labels all come back on its one page.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "exporters/ExporterTable.h"
#include "flowtext/FlowTextFixtures.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "support/TestSupport.h"

namespace {

using flowtest::Show;

Show raw(std::string content) { return {nullptr, 0, 0, 0, 0, std::move(content), 0, true}; }

// The converted package, or "" when the conversion failed.
std::string convert(const std::string& name, const std::string& pdf) {
    kx::installExporters();
    const std::string in = kx::test::writeTemp(name + ".pdf", pdf);
    const std::string out = kx::pathJoin(kx::test::tempDir(), name + ".docx");
    kx::removeAll(out);
    const auto run = kx::test::runConversion(in, kx::test::everyPage(in), "docx", out, nullptr, std::chrono::seconds(120));
    EXPECT_TRUE(run.ended);
    return run.error() ? std::string() : out;
}

// The text of the document part, its paragraphs one after another.
std::string documentText(const std::string& package) {
    std::string xml, text;
    kx::test::runCommand("unzip -p '" + package + "' word/document.xml", &xml);
    const std::regex piece("<w:t(?: [^>]*)?>([^<]*)</w:t>|</w:p>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), piece); it != std::sregex_iterator(); ++it)
        text += (*it)[1].matched ? (*it)[1].str() : std::string(" ");
    return text;
}

// The pages LibreOffice makes of the package; -1 when it is not installed or fails.
int pagesReadBack(const std::string& package) {
    if (!kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdfinfo")) return -1;
    const std::string stem = kx::pathWithoutExtension(kx::pathFileName(package));
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "lo-" + stem);
    kx::createDirectories(folder);
    std::string log;
    if (kx::test::runCommand("cd '" + folder + "' && timeout 240 soffice --headless -env:UserInstallation=file://" +
                                 folder + "/profile --convert-to pdf '" + package + "'",
                             &log) != 0)
        return -1;
    std::string info;
    kx::test::runCommand("pdfinfo '" + kx::pathJoin(folder, stem + ".pdf") + "'", &info);
    std::smatch m;
    return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

// Every line is in the text (blanks aside: a word processor may lay the words of lines out anew).
void expectLines(const std::string& text, const std::vector<std::string>& lines) {
    auto squeezed = [](const std::string& s) { return std::regex_replace(s, std::regex("\\s+"), ""); };
    const std::string all = squeezed(text);
    for (const std::string& line : lines) EXPECT_NE(all.find(squeezed(line)), std::string::npos) << line << "\n" << text;
}

// The text of the PDF LibreOffice made of the package in pagesReadBack.
std::string textReadBack(const std::string& package) {
    const std::string stem = kx::pathWithoutExtension(kx::pathFileName(package));
    std::string text;
    kx::test::runCommand("pdftotext '" + kx::pathJoin(kx::pathJoin(kx::test::tempDir(), "lo-" + stem), stem + ".pdf") +
                             "' -",
                         &text);
    return text;
}

void expectOnePageReadBack(const std::string& package) {
    const int pages = pagesReadBack(package);
    if (pages < 0) GTEST_SKIP() << "LibreOffice is not there to read the package back";
    EXPECT_EQ(pages, 1);
}

}  // namespace

// Six check boxes of 8 pt, 3 pt apart, each drawn as four strokes, an answer beside each: the boxes
// make a table of one column, and the answers stay on the page.
TEST(DocxTablePages, AnswersBesideAColumnOfCheckBoxesAreKept) {
    std::vector<Show> page{{"F1", 12, 72, 740, 0, "Question 1. Which of these are prime numbers?"},
                           raw("0 G 0.5 w")};
    std::vector<std::string> answers;
    const char* names[] = {"Two", "Four", "Seven", "Nine", "Eleven", "Fifteen"};
    for (int i = 0; i < 6; ++i) {
        const double y = 715 - 11 * i;
        page.push_back(raw(kx::format("80 %g m 88 %g l S 80 %g m 88 %g l S 80 %g m 80 %g l S 88 %g m 88 %g l S", y, y,
                                      y + 8, y + 8, y, y + 8, y, y + 8)));
        answers.push_back(kx::format("%s is the answer number %d", names[i], i + 1));
        page.push_back({"F1", 8, 94, y + 1, 0, answers.back()});
    }
    page.push_back({"F1", 12, 72, 620, 0, "Question 2. Write your name below."});
    const std::string docx = convert("check-boxes", flowtest::textDocument({page}));
    ASSERT_FALSE(docx.empty());
    answers.push_back("Question 2. Write your name below.");
    expectLines(documentText(docx), answers);
    expectOnePageReadBack(docx);
}

// A landscape page that is one table of 45 ruled rows, from 20 pt below the top of the page to 20 pt
// above its bottom, a number in 8 pt type in every cell.
TEST(DocxTablePages, ALandscapeTableFillingThePageStaysOnePage) {
    const double height = 612, top = 20, rows = 45, row = (height - 2 * top) / rows;
    const double xs[] = {36, 150, 260, 370, 480, 590, 756};
    std::vector<Show> page{raw("0 G 0.5 w")};
    for (int r = 0; r <= rows; ++r) {
        const double y = height - top - r * row;
        page.push_back(raw(kx::format("%g %g m %g %g l S", xs[0], y, xs[6], y)));
    }
    for (double x : xs) page.push_back(raw(kx::format("%g %g m %g %g l S", x, height - top, x, top)));
    std::vector<std::string> cells;
    for (int r = 0; r < rows; ++r) {
        const double y = height - top - (r + 1) * row + 3.5;
        cells.push_back(kx::format("Region %d", r));
        page.push_back({"F1", 8, xs[0] + 3, y, 0, cells.back()});
        for (int c = 1; c < 6; ++c) page.push_back({"F1", 8, xs[c] + 3, y, 0, kx::format("%d.%02d", r + 1, c)});
    }
    const std::string docx =
        convert("landscape-table", flowtest::textDocument({page}, "/MediaBox [0 0 792 612]"));
    ASSERT_FALSE(docx.empty());
    expectLines(documentText(docx), cells);
    expectOnePageReadBack(docx);
}

// A ruled box: a column of 30 numbered labels with leaders, and beside them a column of line-number
// boxes and amount boxes of 15 pt, one amount in three filled in.
TEST(DocxTablePages, AFormOfLabelsBesideEmptyAmountBoxesStaysOnePage) {
    const double top = 732, rows = 30, row = 15;
    std::vector<Show> page{raw("0 G 0.5 w"), raw(kx::format("36 %g 540 %g re S", top - rows * row, rows * row)),
                           raw(kx::format("456 %g m 456 %g l S 476 %g m 476 %g l S", top, top - rows * row, top,
                                          top - rows * row))};
    std::vector<std::string> labels;
    for (int i = 0; i < rows; ++i) {
        const double y = top - i * row;
        page.push_back(raw(kx::format("456 %g m 576 %g l S", y, y)));
        labels.push_back(kx::format("Line %d of the form, its label and a leader . . . . . .", i + 1));
        page.push_back({"F1", 7, 40, y - 10, 0, std::to_string(i + 1)});
        page.push_back({"F1", 7, 60, y - 10, 0, labels.back()});
        page.push_back({"F1", 7, 460, y - 10, 0, std::to_string(i + 1)});
        if (i % 3 == 0) page.push_back({"F1", 8, 520, y - 11, 0, kx::format("%d,%03d", i * 7 + 3, i * 131 % 1000)});
    }
    const std::string docx = convert("form-amount-boxes", flowtest::textDocument({page}));
    ASSERT_FALSE(docx.empty());
    expectLines(documentText(docx), labels);
    expectOnePageReadBack(docx);
}

// A tax form of six parts, each a heading strip over three rows of boxes within the frame of the
// page: a box holding a comb of nine digit boxes under its label, a grid of labelled cells whose
// lower lines stop short of the rows' (so they make no consistent table with them), and a box of
// two check boxes over an amount. Whatever becomes a table and whatever stays positioned text,
// every label is kept, and the page stays one page.
TEST(DocxTablePages, AFormOfBoxesWithinBoxesKeepsEveryLabelOnOnePage) {
    std::vector<Show> page{raw("0 G 0.5 w"), raw("36 40 540 712 re S")};
    std::vector<std::string> labels;
    auto box = [&](double x, double y, double w, double h) {
        page.push_back(raw(kx::format("%g %g %g %g re S", x, y, w, h)));
    };
    auto label = [&](double size, double x, double y, std::string text) {
        page.push_back({"F1", size, x, y, 0, text});
        labels.push_back(std::move(text));
    };
    const double partHeight = 112, strip = 14, row = (partHeight - strip) / 3;
    for (int part = 1; part <= 6; ++part) {
        const double top = 752 - (part - 1) * (partHeight + 6);
        box(36, top - strip, 540, strip);
        label(8, 40, top - 10, kx::format("Part %d heading of the return", part));
        for (int r = 1; r <= 3; ++r) {
            const double y = top - strip - r * row;
            box(36, y, 200, row);
            label(6, 40, y + row - 8, kx::format("Line %d%d identifying number", part, r));
            for (int digit = 0; digit < 9; ++digit) box(60 + digit * 14, y + 3, 14, 14);
            for (int column = 0; column < 3; ++column)
                for (int half = 0; half < 2; ++half) {
                    const double x = 236 + column * 60 + (half ? 5 : 0), cellY = y + half * row / 2;
                    box(x, cellY, half ? 55 : 60, row / 2);
                    label(6, x + 3, cellY + row / 2 - 7, kx::format("Cell %d%d%d%d", part, r, column, half));
                }
            box(416, y, 160, row);
            box(420, y + row - 14, 8, 8);
            label(6, 432, y + row - 13, kx::format("Yes %d%d", part, r));
            box(470, y + row - 14, 8, 8);
            label(6, 482, y + row - 13, kx::format("No %d%d", part, r));
            label(6, 430, y + 4, kx::format("Amount %d%d in dollars", part, r));
        }
    }
    const std::string docx = convert("form-nested-boxes", flowtest::textDocument({page}));
    ASSERT_FALSE(docx.empty());
    expectLines(documentText(docx), labels);
    expectOnePageReadBack(docx);
    if (!testing::Test::IsSkipped()) expectLines(textReadBack(docx), labels);
}
