// The spreadsheet capture: which runs a page's shown characters become (joined as they arrive),
// with which properties, and which filled paths become fills. A writer that records each page's
// runs before the layout stands in for the exporter's own.

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "XlsxTestSupport.h"
#include "engine/KXPDFOptions.h"
#include "flowtext/FlowTextFixtures.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"
#include "xlsx/KXExcelPDFExporter.h"
#include "xlsx/KXExcelWriter.h"

using flowtest::Show;

namespace {

struct CapturedRun {
    std::u16string text;
    float rotation;
    double size;
    bool bold, italic;
    std::uint64_t scanIndex;
    double left, baseline;
};

struct PlacedRun {
    std::u16string text;
    std::uint64_t row, column;
    bool operator==(const PlacedRun&) const = default;
};

void PrintTo(const PlacedRun& r, std::ostream* os) { *os << kx::utf16ToUtf8(r.text) << " @" << r.row << "," << r.column; }

class RecordingWriter : public KXExcelWriter {
public:
    using KXExcelWriter::KXExcelWriter;
    std::vector<std::vector<CapturedRun>> pages;
    // When set, each page is laid out and its runs' cells recorded instead of being written.
    bool placing = false;
    std::vector<std::vector<PlacedRun>> placed;

protected:
    void finishPage(std::int64_t pageIndex) override {
        if (placing) {
            currentPage()->typesetRunTexts();
            placed.emplace_back();
            for (const KXExcelRunText* r : currentPage()->allRunTextArray())
                placed.back().push_back({r->text(), r->rowIndex(), r->columnIndex()});
            return;
        }
        pages.emplace_back();
        for (const KXExcelRunText* r : currentPage()->allRunTextArray())
            pages.back().push_back({r->text(), r->ctmInfo().rotation, r->rPr().sz(), r->rPr().b(), r->rPr().i(),
                                    r->pdfScanIndex(), r->ctmInfo().xLeft, r->ctmInfo().yBase});
        KXExcelWriter::finishPage(pageIndex);
    }
};

class RecordingExporter : public KXExcelPDFExporter {
public:
    RecordingExporter() : KXExcelPDFExporter(true) {}
    RecordingWriter* recorder = nullptr;
    bool placing = false;

protected:
    std::unique_ptr<KXExcelWriter> newWriter(const std::string& dest, std::int64_t pages, bool isExcel,
                                             std::optional<KXPDFInfo> info) override {
        auto w = std::make_unique<RecordingWriter>(dest, pages, isExcel, std::move(info));
        w->placing = placing;
        recorder = w.get();
        return w;
    }
};

// Converts the pages (content streams over the fixture fonts) with the exporter, given the job's
// options as the engine gives them.
void convert(RecordingExporter& exporter, const std::vector<std::vector<Show>>& pages, const KXExcelOptions& options) {
    auto job = std::make_shared<KXPDFOptions>();
    job->excelOptions() = options;
    exporter.setMoreOptions(job);
    auto document = kx::PDFDocument::openFromMemory(flowtest::textDocument(pages));
    ASSERT_TRUE(document);
    exporter.setNumberOfPagesToConvert(pages.size());
    exporter.begainConvertPDF(kx::pathJoin(kx::test::tempDir(), "capture.xlsx"), document);
    for (int i = 1; i <= static_cast<int>(pages.size()); ++i) EXPECT_TRUE(exporter.convertPDFPage(*document->page(i)));
    exporter.endConvertPDF(document);
}

// The runs of each page as captured.
std::vector<std::vector<CapturedRun>> capture(const std::vector<std::vector<Show>>& pages,
                                              const KXExcelOptions& options = KXExcelOptions()) {
    RecordingExporter exporter;
    convert(exporter, pages, options);
    return exporter.recorder ? exporter.recorder->pages : std::vector<std::vector<CapturedRun>>{};
}

// The runs of each page after the layout, with their cells.
std::vector<std::vector<PlacedRun>> place(const std::vector<std::vector<Show>>& pages) {
    RecordingExporter exporter;
    exporter.placing = true;
    convert(exporter, pages, KXExcelOptions());
    return exporter.recorder ? exporter.recorder->placed : std::vector<std::vector<PlacedRun>>{};
}

std::vector<PlacedRun> sortedByCell(std::vector<PlacedRun> runs) {
    std::sort(runs.begin(), runs.end(), [](const PlacedRun& a, const PlacedRun& b) {
        return std::tie(a.row, a.column, a.text) < std::tie(b.row, b.column, b.text);
    });
    return runs;
}

std::vector<std::u16string> texts(const std::vector<CapturedRun>& runs) {
    std::vector<std::u16string> out;
    for (const CapturedRun& r : runs) out.push_back(r.text);
    return out;
}

Show raw(std::string content) { return {nullptr, 0, 0, 0, 0, std::move(content), 0, true}; }

}  // namespace

TEST(KXExcelPDFExporter, CharactersJoinAsTheyArrive) {
    // Helvetica at 10 points: "A" is 6.67 wide, a blank 2.78; a TJ number of -n moves n/100 points.
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::u16string> runs;
    };
    const Case cases[] = {
        {"a lone blank opens no page", "BT /F1 10 Tf 72 700 Td ( ) Tj (AB) Tj ET", {u"AB"}},
        {"a blank after the first character stays", "BT /F1 10 Tf 72 700 Td (A B) Tj ET", {u"A B"}},
        {"a gap of 0.5 joins without a blank", "BT /F1 10 Tf 72 700 Td [(A) -50 (B)] TJ ET", {u"AB"}},
        {"a gap of one word space joins with a blank", "BT /F1 10 Tf 72 700 Td [(A) -278 (B)] TJ ET", {u"A B"}},
        // Gaps narrower than the word space: one that parts two words joins with a blank; letter
        // spacing (under a tenth of the size) keeps two runs, as does a gap past the word space.
        {"a word gap of 1.2 joins with a blank", "BT /F1 10 Tf 72 700 Td [(A) -120 (B)] TJ ET", {u"A B"}},
        {"a word gap of 2.0 joins with a blank", "BT /F1 10 Tf 72 700 Td [(A) -200 (B)] TJ ET", {u"A B"}},
        {"a blank glyph short of the gap keeps one blank", "BT /F1 10 Tf 72 700 Td [(A ) -150 (B)] TJ ET", {u"A B"}},
        {"letter spacing of 1.5 at 20 points keeps two runs", "BT /F1 20 Tf 72 700 Td [(A) -75 (B)] TJ ET",
         {u"A", u"B"}},
        {"a gap past the word space keeps two runs", "BT /F1 10 Tf 72 700 Td [(A) -400 (B)] TJ ET", {u"A", u"B"}},
        {"another size starts a run", "BT /F1 10 Tf 72 700 Td (A) Tj /F1 12 Tf (B) Tj ET", {u"A", u"B"}},
        {"another colour starts a run", "BT /F1 10 Tf 72 700 Td (A) Tj 1 0 0 rg (B) Tj ET", {u"A", u"B"}},
        {"a baseline 0.5 higher joins", "BT /F1 10 Tf 72 700 Td (A) Tj ET BT /F1 10 Tf 78.67 700.5 Td (B) Tj ET", {u"AB"}},
        {"a baseline 1.0 higher starts a run", "BT /F1 10 Tf 72 700 Td (A) Tj ET BT /F1 10 Tf 78.67 701 Td (B) Tj ET",
         {u"A", u"B"}},
    };
    for (const Case& c : cases) {
        auto pages = capture({{raw(c.content)}});
        ASSERT_EQ(pages.size(), 1u) << c.what;
        EXPECT_EQ(texts(pages[0]), c.runs) << c.what;
    }
}

TEST(KXExcelPDFExporter, RunProperties) {
    struct Case {
        const char* what;
        Show show;
        float rotation;
        double size;
        bool bold, italic;
    };
    const Case cases[] = {
        {"upright", {"F1", 10, 72, 700, 0, "Plain"}, 0, 10, false, false},
        {"bold by its name", {"F2", 10, 72, 700, 0, "Bold"}, 0, 10, true, false},
        {"bold by filling and stroking", {"F1", 10, 72, 700, 0, "Stroked", 2}, 0, 10, true, false},
        {"tiny text counts as 5 points", {"F1", 3, 72, 700, 0, "Tiny"}, 0, 5, false, false},
        {"88 degrees is a quarter turn", {"F1", 10, 300, 300, 88, "Up"}, 270, 10, false, false},
        {"45 degrees keeps its angle, and slants", {"F1", 10, 300, 300, 45, "Slant"}, 315, 10, false, true},
        {"a turn that leaves the slant test nothing to divide by", {"F1", 10, 300, 300, -45, "Down"}, 45, 10, false,
         false},
    };
    for (const Case& c : cases) {
        auto pages = capture({{c.show}});
        ASSERT_EQ(pages.size(), 1u) << c.what;
        ASSERT_FALSE(pages[0].empty()) << c.what;
        const CapturedRun& r = pages[0][0];
        // Text at an angle other than a quarter turn joins no characters: each baseline is its own.
        const bool joins = c.rotation == 0 || c.rotation == 90 || c.rotation == 270;
        EXPECT_EQ(joins ? r.text : std::u16string(), joins ? kx::utf8ToUtf16(c.show.text) : u"") << c.what;
        if (!joins) {
            EXPECT_EQ(pages[0].size(), c.show.text.size()) << c.what;
        }
        EXPECT_NEAR(r.rotation, c.rotation, 1) << c.what;
        EXPECT_NEAR(r.size, c.size, 0.01) << c.what;
        EXPECT_EQ(r.bold, c.bold) << c.what;
        EXPECT_EQ(r.italic, c.italic) << c.what;
    }
    // A text matrix sheared by 15 percent slants upright text.
    auto sheared = capture({{raw("BT /F1 10 Tf 1 0 0.15 1 72 700 Tm (Slanted) Tj ET")}});
    ASSERT_EQ(sheared[0].size(), 1u);
    EXPECT_TRUE(sheared[0][0].italic);
}

// Text turned a quarter reads as words in its own frame, not one character per run.
TEST(KXExcelPDFExporter, TurnedTextJoinsIntoWords) {
    auto pages = capture({{{"F1", 10, 300, 300, 90, "Turned words"}, {"F1", 10, 400, 300, -90, "Other way"}}});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(texts(pages[0]), (std::vector<std::u16string>{u"Turned words", u"Other way"}));
}

// A table set sideways on the page (its lines running up the page) is laid out as it reads, row by
// row; a label turned beside an upright table keeps its word in one cell, beside the rows it stands
// by. Measured along the page's y axis, each character of such text would stand on a line of its
// own, in a cell of its own; measured in its own frame and left there among the upright table's
// runs, the label would stand above the table, right of its last column.
TEST(KXExcelPDFExporter, TurnedTextIsLaidOutInItsOwnFrame) {
    std::vector<Show> sideways;
    const char* cells[3][2] = {{"Item", "Qty"}, {"Tea", "2"}, {"Cake", "5"}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            sideways.push_back({"F1", 10, 100.0 + 20 * row, 100.0 + 100 * column, 90, cells[row][column]});
    auto pages = place({sideways});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(sortedByCell(pages[0]), (std::vector<PlacedRun>{{u"Item", 1, 1},
                                                              {u"Qty", 1, 2},
                                                              {u"Tea", 2, 1},
                                                              {u"2", 2, 2},
                                                              {u"Cake", 3, 1},
                                                              {u"5", 3, 2}}));

    // The label reads up the page left of the table, from beside "Tea" to beside "Item".
    std::vector<Show> labelled = {{"F1", 10, 40, 665, 90, "Totals"}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            labelled.push_back({"F1", 10, 100.0 + 100 * column, 700.0 - 20 * row, 0, cells[row][column]});
    pages = place({labelled});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(sortedByCell(pages[0]), (std::vector<PlacedRun>{{u"Item", 1, 2},
                                                              {u"Qty", 1, 3},
                                                              {u"Totals", 2, 1},
                                                              {u"Tea", 2, 2},
                                                              {u"2", 2, 3},
                                                              {u"Cake", 3, 2},
                                                              {u"5", 3, 3}}));
}

// A justified line set word by word with no blank character, its gaps (1.2 points in 10-point
// Helvetica) under half the font's blank: one cell whose words keep a blank between them. The lines
// of a list stay one line to a row, each whole.
TEST(KXExcelPDFExporter, WordsAndLinesKeepTheirBlanks) {
    auto pages = place({{raw("BT /F1 10 Tf 72 700 Td [(for) -120 (profit) -120 (or) -120 (commercial) -120 (advantage)] "
                             "TJ ET")}});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (std::vector<PlacedRun>{{u"for profit or commercial advantage", 1, 1}}));

    pages = place({{{"F2", 14, 72, 700, 0, "Table of Contents"},
                    {"F1", 10, 72, 686, 0, "DocBook XSL Stylesheets"},
                    {"F1", 10, 72, 675, 0, "admon.graphics.extension"},
                    {"F1", 10, 72, 664, 0, "admon.graphics.path"},
                    {"F1", 10, 72, 653, 0, "admon.graphics"}}});
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(sortedByCell(pages[0]), (std::vector<PlacedRun>{{u"Table of Contents", 1, 1},
                                                              {u"DocBook XSL Stylesheets", 2, 1},
                                                              {u"admon.graphics.extension", 3, 1},
                                                              {u"admon.graphics.path", 4, 1},
                                                              {u"admon.graphics", 5, 1}}));
}

TEST(KXExcelPDFExporter, ScanIndexesGrowAcrossPages) {
    auto pages = capture({{{"F1", 10, 72, 700, 0, "AB"}, {"F1", 10, 72, 600, 0, "C"}}, {{"F1", 10, 72, 700, 0, "D"}}});
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(pages[0].size(), 2u);
    EXPECT_EQ(pages[0][0].scanIndex, 0u);
    EXPECT_EQ(pages[0][1].scanIndex, 2u);
    EXPECT_EQ(pages[1][0].scanIndex, 3u);
}

TEST(KXExcelPDFExporter, FilledRectanglesBecomeFills) {
    KXExcelOptions fills;
    fills.setCollectCGPaths(true);
    fills.setCollectFills(true);
    KXExcelOptions pathsOff = fills;
    pathsOff.setCollectCGPaths(false);
    struct Case {
        const char* what;
        KXExcelOptions options;
        std::string content;
        size_t fills;  // besides the two every workbook has
    };
    const Case cases[] = {
        {"a yellow cell", fills, "1 1 0 rg 100 100 200 20 re f", 1},
        {"1.9 high is a line", fills, "1 1 0 rg 100 100 200 1.9 re f", 0},
        {"near-black is no fill", fills, "0.04 0.04 0.04 rg 100 100 200 20 re f", 0},
        {"only stroked", fills, "1 1 0 RG 100 100 200 20 re S", 0},
        {"paths not collected", pathsOff, "1 1 0 rg 100 100 200 20 re f", 0},
    };
    for (const Case& c : cases) {
        capture({{raw(c.content), {"F1", 10, 72, 700, 0, "x"}}}, c.options);
        EXPECT_EQ(KXExcelManager::sharedInstance().excelStyle().fillsArr().size(), 2 + c.fills) << c.what;
    }
    // The fill lies where the page shows it: y down from the top of the page.
    capture({{raw("1 1 0 rg 100 100 200 20 re f")}}, fills);
    const kx::Rect box = KXExcelManager::sharedInstance().excelStyle().fillsArr()[2].rect();
    EXPECT_NEAR(box.minX(), 100, 0.01);
    EXPECT_NEAR(box.minY(), 792 - 120, 0.01);
    EXPECT_NEAR(box.width(), 200, 0.01);
}
