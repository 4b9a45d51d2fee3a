// A page as a worksheet model and as CSV text.

#include <gtest/gtest.h>

#include "XlsxTestSupport.h"
#include "xlsx/KXExcelCell.h"
#include "xlsx/KXExcelStringItem.h"

using kx::test::addGrid;
using kx::test::addRun;
using kx::test::formatStyle;
using kx::test::freshManager;
using kx::test::writtenXML;

namespace {

std::string sheetData(const KXExcelPage& page) {
    std::string xml = writtenXML([&page](XMLFileWriter& w) { page.writeSheetXML(w, true); });
    size_t from = xml.find("<sheetData"), to = xml.find("</sheetData>");
    if (from == std::string::npos) return xml;
    return xml.substr(from, to == std::string::npos ? std::string::npos : to + 12 - from);
}

}  // namespace

TEST(KXExcelPageSheet, TextAndNumberCells) {
    KXExcelManager& manager = freshManager();
    manager.setAmountOfStringItems(5);  // a page before this one had five text cells
    KXExcelPage page(2);
    addGrid(page, {{u"Item", u"Amount"}, {u"Tea", u"1,234.50"}, {u"00123", u"12%"}});
    page.creatSheet();
    // Texts are numbered in the order the cells were gathered (column by column); numbers get
    // their own formats (1: #,##0.00, 2: percent) before the text cells get theirs (3).
    EXPECT_EQ(sheetData(page),
              "<sheetData>"
              "<row r=\"1\" ht=\"14.85\" customHeight=\"1\"><c r=\"A1\" s=\"3\" t=\"s\"><v>5</v></c>"
              "<c r=\"B1\" s=\"3\" t=\"s\"><v>8</v></c></row>"
              "<row r=\"2\" ht=\"14.85\" customHeight=\"1\"><c r=\"A2\" s=\"3\" t=\"s\"><v>6</v></c>"
              "<c r=\"B2\" s=\"1\" t=\"n\"><v>1234.50</v></c></row>"
              "<row r=\"3\" ht=\"14.85\" customHeight=\"1\"><c r=\"A3\" s=\"3\" t=\"s\"><v>7</v></c>"
              "<c r=\"B3\" s=\"2\" t=\"n\"><v>0.12</v></c></row>"
              "</sheetData>");
    EXPECT_EQ(manager.excelStyle().cellXfsArr()[1].formatedElm().numFmtId, 164);
    EXPECT_EQ(manager.excelStyle().cellXfsArr()[2].formatedElm().numFmtId, 9);
    EXPECT_EQ(page.stringItems().size(), 4u);
    EXPECT_EQ(manager.amountOfStringItems(), 9u);
}

// Only a text of one run is read as a number.
TEST(KXExcelPageSheet, ANumberSplitOverTwoRunsStaysText) {
    freshManager();
    KXExcelPage page(1);
    KXExcelRunText& one = addRun(page, u"12", 0, 0, 10);
    KXExcelRunText& two = addRun(page, u"34", 10, 0, 10);
    auto item = std::make_shared<KXExcelStringItem>();
    item->runArray() = {&one, &two};
    item->calculatStringItemInfo();
    auto cell = page.createCellWithStringItem(item);
    EXPECT_TRUE(cell->isText());
    EXPECT_EQ(cell->dataType(), "s");
    auto single = std::make_shared<KXExcelStringItem>();
    single->runArray() = {&one};
    EXPECT_EQ(page.createCellWithStringItem(single)->dataType(), "n");
    EXPECT_EQ(page.stringItems().size(), 1u);
    EXPECT_EQ(page.createCellWithStringItem(nullptr), nullptr);
}

TEST(KXExcelPageSheet, RowHeightsAndColumnWidths) {
    struct Case {
        const char* what;
        int style;
        double runHeight, runWidth, size;
        double rowHeight, columnWidth;
    };
    const Case cases[] = {
        {"low row", 0, 10, 100, 12, 13.5, 100},
        {"20 high", 0, 20, 100, 12, 20, 100},
        {"narrow column", 0, 10, 15, 12, 13.5, 20},
        {"size 24 without merges halves the width", 1, 10, 100, 24, 13.5, 50},
        {"narrow without merges", 1, 10, 15, 24, 13.5, 20},
    };
    for (const Case& c : cases) {
        freshManager(formatStyle(c.style));
        KXExcelPage page(1);
        KXExcelRunText& run = addRun(page, u"x", 30, 40, c.runWidth, c.runHeight);
        run.rPr().setSz(c.size);
        page.creatSheet();
        ASSERT_EQ(page.sheetRows().size(), 1u) << c.what;
        ASSERT_EQ(page.columns().size(), 1u) << c.what;
        EXPECT_DOUBLE_EQ(page.sheetRows()[0].frame().height(), c.rowHeight) << c.what;
        EXPECT_DOUBLE_EQ(page.columns()[0].frame().width(), c.columnWidth) << c.what;
        EXPECT_DOUBLE_EQ(page.columns()[0].frame().minX(), 30) << c.what;
    }
}

TEST(KXExcelPageSheet, MergedRangesAndTheirCellFrames) {
    KXExcelManager& manager = freshManager(formatStyle(0));
    KXExcelPage page(1);
    // A title over three columns, and a tall cell reaching into the row below it.
    addRun(page, u"Title over the table", 0, 0, 260);
    addGrid(page, {{}, {u"a", u"b", u"c"}, {u"d"}});
    addRun(page, u"tall", 100, 40, 50);
    addRun(page, u"g", 0, 49, 50);
    page.creatSheet();
    ASSERT_EQ(page.mergeCells().size(), 2u);
    EXPECT_EQ(page.mergeCells()[0].mergerCellInfo(), "A1:C1");
    EXPECT_EQ(page.mergeCells()[1].mergerCellInfo(), "B3:B4");
    // The title's cell frame covers its three columns.
    const auto& title = page.sheetRows()[0].cells()[0];
    kx::Rect frame = KXExcelPage::getCellFrame(*title, page.columns());
    EXPECT_DOUBLE_EQ(frame.minX(), 0);
    double widths = 0;
    for (const KXExcelColumn& c : page.columns()) widths += c.frame().width();
    EXPECT_DOUBLE_EQ(frame.width(), widths);
    EXPECT_EQ(manager.excelStyle().cellXfsArr()[title->styleIndex()].algnHorizontal(), "left");
    const std::string xml = writtenXML([&page](XMLFileWriter& w) { page.writeSheetXML(w, true); });
    EXPECT_NE(xml.find("<mergeCells><mergeCell ref=\"A1:C1\"/><mergeCell ref=\"B3:B4\"/></mergeCells>"),
              std::string::npos)
        << xml;
}

// Two ranges that reach into the same free cell: the second one is dropped.
TEST(KXExcelPageSheet, CrossingRangesAreDropped) {
    freshManager(formatStyle(0));
    KXExcelPage page(1);
    addGrid(page, {{u"a", u"b", u"c"}});
    addRun(page, u"down", 100, 20, 50);   // row 2, column 2, reaching into row 3
    addRun(page, u"right", 0, 29, 150);   // row 3, column 1, reaching into column 2
    addGrid(page, {{}, {}, {}, {u"x", u"y", u"z"}});
    page.creatSheet();
    std::vector<std::string> refs;
    for (const KXMergedCell& m : page.mergeCells()) refs.push_back(m.mergerCellInfo());
    for (size_t i = 0; i < page.mergeCells().size(); ++i)
        for (size_t j = i + 1; j < page.mergeCells().size(); ++j)
            EXPECT_FALSE(page.mergeCells()[i].isCross(page.mergeCells()[j])) << refs[i] << " " << refs[j];
    EXPECT_EQ(refs, (std::vector<std::string>{"A3:B3"})) << "the first range in reading order stays";
}

TEST(KXExcelPageSheet, WithoutMergesEmptyRowsAndColumnsGo) {
    freshManager(formatStyle(1));
    KXExcelPage page(1);
    addGrid(page, {{u"a", u"", u"b"}, {}, {}, {u"", u"", u"c"}});
    page.creatSheet();
    std::vector<std::uint64_t> rows, columns;
    for (const KXExcelRow& r : page.sheetRows()) rows.push_back(r.rowIndex());
    for (const KXExcelColumn& c : page.columns()) columns.push_back(c.columnIndex());
    EXPECT_EQ(rows, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(columns, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(sheetData(page),
              "<sheetData><row r=\"1\" ht=\"13.5\" customHeight=\"1\"><c r=\"A1\" s=\"1\" t=\"s\"><v>0</v></c>"
              "<c r=\"B1\" s=\"1\" t=\"s\"><v>1</v></c></row>"
              "<row r=\"2\" ht=\"13.5\" customHeight=\"1\"><c r=\"B2\" s=\"1\" t=\"s\"><v>2</v></c></row></sheetData>");
}

// Cells stand in column order within their row, whatever order their texts were gathered in.
TEST(KXExcelPageSheet, CellsAscendWithinARow) {
    freshManager();
    KXExcelPage page(1);
    // The one-line leaf of two lines numbers its later run first: b lands in row 1 before a.
    addRun(page, u"a", 0, 5, 40);
    addRun(page, u"b", 20, 0, 40);
    addGrid(page, {{}, {}, {u"c", u"d"}});
    page.creatSheet();
    for (const KXExcelRow& row : page.sheetRows())
        for (size_t i = 1; i < row.cells().size(); ++i)
            EXPECT_LT(row.cells()[i - 1]->stringItem()->columnIndex(), row.cells()[i]->stringItem()->columnIndex())
                << "row " << row.rowIndex();
}

TEST(KXExcelPageSheet, EmptyPage) {
    freshManager();
    KXExcelPage page(1);
    addRun(page, u"   ", 0, 0, 10);
    page.creatSheet();
    EXPECT_TRUE(page.sheetRows().empty());
    EXPECT_TRUE(page.columns().empty());
    const std::string xml = writtenXML([&page](XMLFileWriter& w) { page.writeSheetXML(w, false); });
    EXPECT_EQ(xml,
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>"
              "<worksheet xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
              "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetViews>"
              "<sheetView workbookViewId=\"0\"><selection activeCell=\"A1\" sqref=\"A1\"/></sheetView></sheetViews>"
              "<sheetFormatPr defaultRowHeight=\"18.000000\" defaultColWidth=\"15.000000\"/><sheetData/>"
              "<pageMargins left=\"0\" right=\"0\" top=\"0\" bottom=\"0\" header=\"0\" footer=\"0\"/></worksheet>");
    EXPECT_FALSE(page.creatCSV());
}

TEST(KXExcelPageSheet, CSVText) {
    freshManager();
    struct Case {
        const char* what;
        std::vector<std::vector<std::u16string>> grid;
        std::u16string csv;
    };
    const Case cases[] = {
        {"columns 1 and 3", {{u"a", u"", u"b"}, {u"c", u"d", u"e"}}, u"a\t\tb\nc\td\te\n"},
        {"a row of blanks in between", {{u"a"}, {u"   "}, {u"", u"c"}}, u"a\n\n\tc\n"},
        {"comma and quote", {{u"1,5 \"inch\"", u"x"}}, u"\"1,5 \"\"inch\"\"\"\tx\n"},
        {"a lone quote", {{u"\""}}, u"\"\"\"\"\n"},
        {"semicolon", {{u"a;b"}}, u"\"a;b\"\n"},
        {"tab inside a field", {{u"a\tb", u"c"}}, u"\"a\tb\"\tc\n"},
        {"carriage return inside a field", {{u"a\rb"}}, u"\"a\rb\"\n"},
        {"line feed inside a field", {{u"a\nb"}}, u"\"a\nb\"\n"},
    };
    for (const Case& c : cases) {
        KXExcelPage page(1);
        addGrid(page, c.grid);
        EXPECT_EQ(page.creatCSV().value_or(u"<none>"), c.csv) << c.what;
    }
}
