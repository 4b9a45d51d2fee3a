// The grid layout of a page: which row and column each run gets, and how far it reaches.

#include <gtest/gtest.h>

#include "XlsxTestSupport.h"
#include "platform/Unicode.h"
#include "xlsx/KXExcelStringItem.h"

using kx::test::addGrid;
using kx::test::addRun;
using kx::test::freshManager;

namespace {

struct Place {
    std::u16string text;
    std::uint64_t row, column, rowLength, columnLength;
};

void expectPlaces(const KXExcelPage& page, const std::vector<Place>& want, const char* what) {
    ASSERT_EQ(page.allRunTextArray().size(), want.size()) << what;
    for (const Place& p : want) {
        const KXExcelRunText* found = nullptr;
        for (const KXExcelRunText* r : page.allRunTextArray())
            if (r->text() == p.text) found = r;
        ASSERT_NE(found, nullptr) << what << ": " << kx::utf16ToUtf8(p.text);
        EXPECT_EQ(found->rowIndex(), p.row) << what << ": " << kx::utf16ToUtf8(p.text);
        EXPECT_EQ(found->columnIndex(), p.column) << what << ": " << kx::utf16ToUtf8(p.text);
        EXPECT_EQ(found->rowLength(), p.rowLength) << what << ": " << kx::utf16ToUtf8(p.text);
        EXPECT_EQ(found->columnLength(), p.columnLength) << what << ": " << kx::utf16ToUtf8(p.text);
    }
}

}  // namespace

TEST(KXExcelPageLayout, PagesOfRuns) {
    freshManager();
    {
        KXExcelPage page(1);
        page.typesetRunTexts();
        EXPECT_TRUE(page.allRunTextArray().empty());
        EXPECT_TRUE(page.allTempRowArray().empty());
        EXPECT_TRUE(page.allTempColumnArray().empty());
    }
    {
        KXExcelPage page(1);
        addGrid(page, {{u"a", u"b", u"c"}});
        page.typesetRunTexts();
        expectPlaces(page, {{u"a", 1, 1, 0, 0}, {u"b", 1, 2, 0, 0}, {u"c", 1, 3, 0, 0}}, "one baseline");
    }
    {
        KXExcelPage page(1);
        addGrid(page, {{u"Name", u"Qty", u"Price"}, {u"Tea", u"2", u"3.50"}, {u"Cake", u"", u"4.00"}});
        page.typesetRunTexts();
        expectPlaces(page,
                     {{u"Name", 1, 1, 0, 0}, {u"Qty", 1, 2, 0, 0}, {u"Price", 1, 3, 0, 0}, {u"Tea", 2, 1, 0, 0},
                      {u"2", 2, 2, 0, 0}, {u"3.50", 2, 3, 0, 0}, {u"Cake", 3, 1, 0, 0}, {u"4.00", 3, 3, 0, 0}},
                     "a table with an empty cell");
    }
    {
        // Pieces of one line join (gap below 2); a cell's next line joins when it starts within 2 of
        // the line's bottom while overlapping its baseline (a line 9 high has its baseline at 7.2).
        KXExcelPage page(1);
        addRun(page, u"Unit", 0, 0, 20, 9);
        addRun(page, u" price", 21, 0, 30, 9);
        addRun(page, u"(net)", 0, 7.1, 30, 9);
        addRun(page, u"Total", 200, 0, 30, 9);
        page.typesetRunTexts();
        expectPlaces(page, {{u"Unit price (net)", 1, 1, 0, 0}, {u"Total", 1, 2, 0, 0}}, "joined line and cell");
    }
}

// Two runs of one leaf whose baselines lie 5 apart: two rows, the later run (further right) first;
// their spans are measured against the row and column groups in the order of their tops and left
// edges.
TEST(KXExcelPageLayout, RunsOfOneLeafOnTwoLines) {
    freshManager();
    KXExcelPage page(1);
    addRun(page, u"low", 0, 0, 40);
    addRun(page, u"high", 20, 5, 40);
    page.typesetRunTexts();
    expectPlaces(page, {{u"low", 2, 1, 0, 1}, {u"high", 1, 2, 1, 0}}, "leaf of two lines");
}

// Pieces of one line that touch but do not join (here of two sizes, the larger reaching higher) take
// their columns from left to right, whichever reaches higher: taken by their tops, the line would
// read "Amount Total due".
TEST(KXExcelPageLayout, TouchingPiecesOfALineKeepTheirOrder) {
    freshManager();
    KXExcelPage page(1);
    addRun(page, u"Total", 0, 2, 30, 10, 12);
    addRun(page, u"Amount", 30, 0, 40, 12, 14);
    addRun(page, u"due", 70, 2, 20, 10, 12);
    page.typesetRunTexts();
    expectPlaces(page, {{u"Total", 1, 1, 0, 0}, {u"Amount", 1, 2, 0, 0}, {u"due", 1, 3, 0, 0}}, "touching pieces");
}

TEST(KXExcelPageLayout, Spans) {
    freshManager();
    {
        // A title over three columns reaches right over the two further column groups.
        KXExcelPage page(1);
        addRun(page, u"Title over the table", 0, 0, 260);
        addGrid(page, {{}, {u"a", u"b", u"c"}});
        page.typesetRunTexts();
        expectPlaces(page,
                     {{u"Title over the table", 1, 1, 0, 2}, {u"a", 2, 1, 0, 0}, {u"b", 2, 2, 0, 0}, {u"c", 2, 3, 0, 0}},
                     "title");
    }
    {
        // A run whose bottom reaches below the next row's top spans down when the cell under it is
        // free ...
        KXExcelPage page(1);
        addGrid(page, {{u"a", u"b"}, {u"c", u""}});
        addRun(page, u"tall", 100, 20, 50);
        addRun(page, u"e", 0, 29, 50);
        page.typesetRunTexts();
        expectPlaces(page,
                     {{u"a", 1, 1, 0, 0}, {u"b", 1, 2, 0, 0}, {u"c", 2, 1, 0, 0}, {u"tall", 2, 2, 1, 0}, {u"e", 3, 1, 0, 0}},
                     "tall run over a free cell");
    }
    {
        // ... and not when a run sits there.
        KXExcelPage page(1);
        addGrid(page, {{u"a", u"b"}, {u"c", u""}});
        addRun(page, u"tall", 100, 20, 50);
        addRun(page, u"e", 0, 29, 50);
        addRun(page, u"f", 100, 29, 50);
        page.typesetRunTexts();
        expectPlaces(page,
                     {{u"a", 1, 1, 0, 0}, {u"b", 1, 2, 0, 0}, {u"c", 2, 1, 0, 0}, {u"tall", 2, 2, 0, 0}, {u"e", 3, 1, 0, 0},
                      {u"f", 3, 2, 0, 0}},
                     "tall run over a taken cell");
    }
}

// A range grows to the right only by whole free columns: a run reaching down and right stops where
// the cell right of its lower part holds a run.
TEST(KXExcelPageLayout, RangesGrowOnlyOverWholeFreeStrips) {
    freshManager();
    KXExcelPage page(1);
    addGrid(page, {{u"a", u"b", u"c"}, {u"d"}});
    addRun(page, u"big", 100, 20, 150);  // row 2, column 2, reaching over column 3's left edge
    addRun(page, u"g", 0, 29, 50);       // row 3 starts within big's descent
    addRun(page, u"i", 200, 29, 50);     // the cut puts it in column 2; the correction moves it to 3
    addGrid(page, {{}, {}, {}, {u"j", u"k", u"l"}});
    page.typesetRunTexts();
    expectPlaces(page,
                 {{u"a", 1, 1, 0, 0}, {u"b", 1, 2, 0, 0}, {u"c", 1, 3, 0, 0}, {u"d", 2, 1, 0, 0}, {u"big", 2, 2, 1, 0},
                  {u"g", 3, 1, 0, 0}, {u"i", 3, 3, 0, 0}, {u"j", 4, 1, 0, 0}, {u"k", 4, 2, 0, 0}, {u"l", 4, 3, 0, 0}},
                 "the cell at row 3, column 3 holds i");
}

TEST(KXExcelPageLayout, TextItemsGatherCellsAndDropBlankOnes) {
    freshManager();
    KXExcelRunText a = kx::test::makeRun(u"Net", 0, 0, 10, 10), b = kx::test::makeRun(u" due", 0, 0, 10, 10),
                   blank = kx::test::makeRun(u"   ", 50, 0, 10, 10), blankBeside = kx::test::makeRun(u" ", 0, 0, 5, 5);
    a.setRowIndex(1), a.setColumnIndex(1), b.setRowIndex(1), b.setColumnIndex(1);
    blank.setRowIndex(1), blank.setColumnIndex(2), blankBeside.setRowIndex(1), blankBeside.setColumnIndex(1);
    auto items = KXExcelPage::getStringItemsFromRuns({&a, &blank, &b, &blankBeside});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->content(), u"Net due ");
    EXPECT_EQ(items[0]->runArray().size(), 3u);
}

// The lines of a cell join only within one band of the page: "Cycle / Name", centred beside the
// staggered lines of its neighbours, begins in the band of the heading above and goes on in the band
// of the sub-headings beside it, so its lines take two rows, while "Fast / Speed" lies within one
// band and reads as one cell. Lines of a paragraph set close, one below the other, stay apart.
TEST(KXExcelPageLayout, LinesOfOneCellJoinWithinABand) {
    freshManager();
    {
        KXExcelPage page(1);
        addRun(page, u"Savings", 100, 0, 90);
        addRun(page, u"Cycle", 0, 6, 40);
        addRun(page, u"Name", 0, 17, 40);
        addRun(page, u"Fast", 100, 14.1, 40);
        addRun(page, u"Speed", 100, 24, 40);
        addRun(page, u"Slow", 150, 14.1, 40);
        addRun(page, u"Idle", 150, 24, 40);
        addRun(page, u"A1", 0, 40, 40);
        addRun(page, u"5%", 100, 40, 40);
        addRun(page, u"6%", 150, 40, 40);
        page.typesetRunTexts();
        expectPlaces(page,
                     {{u"Cycle", 1, 1, 0, 0}, {u"Name", 2, 1, 0, 0}, {u"Savings", 1, 2, 0, 1}, {u"Fast Speed", 2, 2, 0, 0},
                      {u"Slow Idle", 2, 3, 0, 0}, {u"A1", 3, 1, 0, 0}, {u"5%", 3, 2, 0, 0}, {u"6%", 3, 3, 0, 0}},
                     "staggered header");
    }
    {
        KXExcelPage page(1);
        addRun(page, u"first line", 0, 0, 200);
        addRun(page, u"second line", 0, 9.5, 200);
        addRun(page, u"third line", 0, 19, 120);
        page.typesetRunTexts();
        expectPlaces(page, {{u"first line", 1, 1, 0, 0}, {u"second line", 2, 1, 0, 0}, {u"third line", 3, 1, 0, 0}},
                     "paragraph set close");
    }
}

// The column correction moves a run one column to the right when it starts at the largest left edge
// of its column, its middle lies past the next column's leftmost left edge and it starts past the
// smallest right edge of its column; a line across the page holds every row in one part of the page.
TEST(KXExcelPageLayout, ColumnCorrection) {
    freshManager();
    {
        // "Description" meets the test, but the cell right of it holds "12": the two would be read
        // as one text, "Description12". It stays where it is.
        KXExcelPage page(1);
        addRun(page, u"A line across the page", 0, 0, 300);
        addRun(page, u"Name", 10, 20, 30);
        addRun(page, u"Qty", 60, 20, 30);
        addRun(page, u"Description", 50, 40, 60);
        addRun(page, u"12", 150, 40, 30);
        page.typesetRunTexts();
        expectPlaces(page,
                     {{u"A line across the page", 1, 1, 0, 1}, {u"Name", 2, 1, 0, 0}, {u"Qty", 2, 2, 0, 0},
                      {u"Description", 3, 1, 0, 0}, {u"12", 3, 2, 0, 0}},
                     "the cell to the right is taken");
        for (const auto& item : KXExcelPage::getStringItemsFromRuns(page.allRunTextArray()))
            EXPECT_NE(item->content(), u"Description12");
    }
    {
        // 25 rows, each of one run starting one point further right than the row above: every pass
        // moves the run that starts furthest right, and the passes stop after 21.
        KXExcelPage page(1);
        addRun(page, u"A line across the page", 0, 0, 300);
        addRun(page, u"H1", 0, 20, 10);
        addRun(page, u"H2", 100, 20, 30);
        for (int k = 1; k <= 25; ++k) addRun(page, u"r" + kx::utf8ToUtf16(std::to_string(k)), 100 + k, 20 + 20 * k, 20);
        page.typesetRunTexts();
        for (const KXExcelRunText* r : page.allRunTextArray()) {
            if (r->text().front() != u'r') continue;
            const int k = std::stoi(kx::utf16ToUtf8(r->text().substr(1)));
            EXPECT_EQ(r->columnIndex(), k > 4 ? 2u : 1u) << k;
        }
    }
}
