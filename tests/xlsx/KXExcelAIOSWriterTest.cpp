// All pages in one worksheet: stacked downwards or side by side.

#include <gtest/gtest.h>

#include <map>

#include "XlsxTestSupport.h"
#include "xlsx/KXExcelAIOSWriter.h"
#include "xlsx/KXExcelCell.h"
#include "xlsx/KXExcelStringItem.h"

using kx::test::freshManager;
using kx::test::writtenXML;

namespace {

// A page model with one text cell per (row, column) given, rows 15 points high, columns of the
// given widths (by column number), and the ranges given.
std::unique_ptr<KXExcelPage> pageModel(std::uint64_t number, const std::vector<std::pair<std::uint64_t, std::uint64_t>>& cells,
                                       const std::map<std::uint64_t, double>& widths,
                                       const std::vector<KXMergedCell>& ranges = {}, double height = 15) {
    auto page = std::make_unique<KXExcelPage>(number);
    std::map<std::uint64_t, KXExcelRow> rows;
    for (auto [r, c] : cells) {
        auto item = std::make_shared<KXExcelStringItem>();
        item->setRowIndex(r);
        item->setColumnIndex(c);
        auto cell = std::make_shared<KXExcelCell>();
        cell->setStringItem(item);
        cell->setCellValue(std::to_string(number * 100 + r * 10 + c));
        cell->setDataType("n");
        KXExcelRow& row = rows[r];
        row.setRowIndex(r);
        row.setHeight(height);
        row.cells().push_back(cell);
    }
    for (auto& [r, row] : rows) page->sheetRows().push_back(row);
    for (auto [c, w] : widths) {
        KXExcelColumn column;
        column.setColumnIndex(c);
        column.setWidth(w);
        page->columns().push_back(column);
    }
    page->mergeCells() = ranges;
    return page;
}

std::string between(const std::string& xml, const std::string& from, const std::string& to) {
    size_t a = xml.find(from), b = xml.find(to);
    if (a == std::string::npos || b == std::string::npos) return "<missing>";
    return xml.substr(a, b + to.size() - a);
}

}  // namespace

TEST(KXExcelAIOSWriter, StackedDownwards) {
    freshManager();
    KXExcelAIOSWriter sheet(kx::test::tempDir() + "/stacked-rows.xml");
    // Page 1: rows 1 to 3 (merged ranges leave row 3 without cells but in a range).
    sheet.collectPageXMLToRow(*pageModel(1, {{1, 1}, {2, 2}}, {{1, 40}, {2, 60}}, {{KXPointMake(2, 2), KXPointMake(3, 2)}}));
    // Page 2: two rows, a wider column 2, a new column 4 and a range over its rows 1 and 2.
    sheet.collectPageXMLToRow(
        *pageModel(2, {{1, 1}, {2, 4}}, {{2, 80}, {4, 30}, {1, 20}}, {{KXPointMake(1, 1), KXPointMake(2, 1)}}));
    EXPECT_EQ(sheet.highestRow(), 5u) << "shifted by the highest row, 3, not by the 2 rows written";
    std::vector<std::uint64_t> columns;
    for (const KXExcelColumn& c : sheet.columns()) columns.push_back(c.columnIndex());
    EXPECT_EQ(columns, (std::vector<std::uint64_t>{1, 2, 4}));
    EXPECT_DOUBLE_EQ(sheet.columns()[0].frame().width(), 40);
    EXPECT_DOUBLE_EQ(sheet.columns()[1].frame().width(), 80);

    const std::string xml = writtenXML([&sheet](XMLFileWriter& w) { EXPECT_TRUE(sheet.writeSheetXML(w)); });
    EXPECT_EQ(between(xml, "<sheetData>", "</sheetData>"),
              "<sheetData>"
              "<row r=\"1\" ht=\"16.50\" customHeight=\"1\"><c r=\"A1\" t=\"n\"><v>111</v></c></row>"
              "<row r=\"2\" ht=\"16.50\" customHeight=\"1\"><c r=\"B2\" t=\"n\"><v>122</v></c></row>"
              "<row r=\"4\" ht=\"16.50\" customHeight=\"1\"><c r=\"A4\" t=\"n\"><v>211</v></c></row>"
              "<row r=\"5\" ht=\"16.50\" customHeight=\"1\"><c r=\"D5\" t=\"n\"><v>224</v></c></row>"
              "</sheetData>");
    EXPECT_EQ(between(xml, "<mergeCells>", "</mergeCells>"),
              "<mergeCells><mergeCell ref=\"B2:B3\"/><mergeCell ref=\"A4:A5\"/></mergeCells>");
    EXPECT_NE(xml.find("<sheetView tabSelected=\"1\" workbookViewId=\"0\">"), std::string::npos);
}

TEST(KXExcelAIOSWriter, SideBySide) {
    freshManager();
    KXExcelAIOSWriter sheet(kx::test::tempDir() + "/unused-rows.xml");
    sheet.collectPageXMLToColumn(*pageModel(1, {{1, 1}, {1, 3}, {2, 2}}, {{1, 10}, {2, 20}, {3, 30}}, {}, 15));
    // Page 2: rows 1 and 3, two columns, a range across them; its row 1 is taller.
    sheet.collectPageXMLToColumn(*pageModel(2, {{1, 1}, {3, 2}}, {{1, 40}, {2, 50}},
                                            {{KXPointMake(3, 1), KXPointMake(3, 2)}}, 25));
    EXPECT_EQ(sheet.highestColumn(), 5u);
    std::vector<std::uint64_t> columns;
    for (const KXExcelColumn& c : sheet.columns()) columns.push_back(c.columnIndex());
    EXPECT_EQ(columns, (std::vector<std::uint64_t>{1, 2, 3, 4, 5}));

    const std::string xml = writtenXML([&sheet](XMLFileWriter& w) { EXPECT_TRUE(sheet.writeSheetXML(w)); });
    EXPECT_EQ(between(xml, "<sheetData>", "</sheetData>"),
              "<sheetData>"
              "<row r=\"1\" ht=\"27.50\" customHeight=\"1\"><c r=\"A1\" t=\"n\"><v>111</v></c>"
              "<c r=\"C1\" t=\"n\"><v>113</v></c><c r=\"D1\" t=\"n\"><v>211</v></c></row>"
              "<row r=\"2\" ht=\"16.50\" customHeight=\"1\"><c r=\"B2\" t=\"n\"><v>122</v></c></row>"
              "<row r=\"3\" ht=\"27.50\" customHeight=\"1\"><c r=\"E3\" t=\"n\"><v>232</v></c></row>"
              "</sheetData>");
    EXPECT_EQ(between(xml, "<mergeCells>", "</mergeCells>"), "<mergeCells><mergeCell ref=\"D3:E3\"/></mergeCells>");
    EXPECT_NE(xml.find("<cols><col min=\"1\" max=\"1\" width=\"4\" customWidth=\"1\"/>"), std::string::npos) << xml;
}

TEST(KXExcelAIOSWriter, NothingCollected) {
    freshManager();
    KXExcelAIOSWriter sheet(kx::test::tempDir() + "/none.xml");
    const std::string xml = writtenXML([&sheet](XMLFileWriter& w) { EXPECT_TRUE(sheet.writeSheetXML(w)); });
    EXPECT_NE(xml.find("<sheetData/>"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("<cols"), std::string::npos);
    EXPECT_EQ(xml.find("<mergeCells"), std::string::npos);
}
