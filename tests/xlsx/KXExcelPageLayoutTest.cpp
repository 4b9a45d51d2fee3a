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

// Header cells of different line counts, each centred in its row: the two lines of "Cycle / Name"
// begin in the band of the heading above and go on in the band of the sub-headings beside them, and
// are still read as one cell. Lines of a paragraph set close, one below the other, stay apart.
TEST(KXExcelPageLayout, LinesOfOneCellAcrossInterleavedBands) {
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
                     {{u"Cycle Name", 1, 1, 1, 0}, {u"Savings", 1, 2, 0, 1}, {u"Fast Speed", 2, 2, 0, 0},
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

// A heading centred over a group of the columns below it (b: 100-130, c: 140-180, d: 185-220, so
// b..d has its middle at 160) moves to the group's first column and reaches over the group.
TEST(KXExcelPageLayout, HeadingCentredOverColumns) {
    struct Case {
        const char* what;
        double left, right;
        bool textBeforeIt;
        std::uint64_t column, columnLength;
    };
    const Case cases[] = {
        {"centred over b..d, lying over c and d", 132, 188, false, 2, 2},
        {"off the middle of every group", 132, 215, false, 3, 1},
        {"another text of its row in the way", 132, 188, true, 3, 1},
        {"lying over one column only", 142, 178, false, 3, 0},
    };
    for (const Case& c : cases) {
        freshManager();
        KXExcelPage page(1);
        addRun(page, u"Heading", c.left, 0, c.right - c.left);
        if (c.textBeforeIt) addRun(page, u"x", 100, 0, 25);
        for (double top : {20.0, 40.0}) {
            addRun(page, top == 20 ? u"a" : u"a2", 0, top, 40);
            addRun(page, top == 20 ? u"b" : u"b2", 100, top, 30);
            addRun(page, top == 20 ? u"c" : u"c2", 140, top, 40);
            addRun(page, top == 20 ? u"d" : u"d2", 185, top, 35);
        }
        page.typesetRunTexts();
        const KXExcelRunText* heading = nullptr;
        for (const KXExcelRunText* r : page.allRunTextArray())
            if (r->text() == u"Heading") heading = r;
        ASSERT_NE(heading, nullptr) << c.what;
        EXPECT_EQ(heading->rowIndex(), 1u) << c.what;
        EXPECT_EQ(heading->columnIndex(), c.column) << c.what;
        EXPECT_EQ(heading->columnLength(), c.columnLength) << c.what;
    }
}
