// A sheet model built by hand (text and number cells with their formats, a merged range, rows and
// columns) written as a workbook: the shared validator finds it valid and openpyxl reads back the
// values, numbers as numbers.

#include <gtest/gtest.h>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/KXOutputWriter.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"
#include "xlsx/KXExcelCell.h"
#include "xlsx/KXExcelColumn.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelNumber.h"
#include "xlsx/KXExcelRow.h"
#include "xlsx/KXExcelRunText.h"
#include "xlsx/KXExcelSharedStrings.h"
#include "xlsx/KXExcelStringItem.h"
#include "xlsx/KXMergedCell.h"

namespace {

const std::string kMain(KXOpenXMLNameSpace::nameSpace_SpreadSheetml2006Main());
const std::string kSheetType = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";

std::optional<std::string> validator() {
    std::optional<std::string> path = kx::test::sharedTool("ooxml-validate");
    if (!path || !kx::test::haveCommand("xmllint")) return std::nullopt;
    return path;
}

// A Python that has openpyxl: Debian's own first.
std::optional<std::string> pythonWithOpenpyxl() {
    for (const char* python : {"/usr/bin/python3", "python3"})
        if (kx::test::runCommand(std::string(python) + " -c 'import openpyxl' 2>/dev/null") == 0) return python;
    return std::nullopt;
}

struct Sheet {
    std::vector<std::unique_ptr<KXExcelRunText>> runs;
    std::vector<KXExcelRow> rows;
    std::vector<KXExcelColumn> columns;
    std::vector<KXMergedCell> merges;
};

// Adds a cell of one run at (row, column): a number cell when the text is a number, else a text
// cell handed to the shared strings.
void addCell(Sheet& sheet, KXExcelSharedStrings& strings, std::uint64_t row, std::uint64_t column,
             const std::u16string& text, std::uint64_t columnLength = 0) {
    KXExcelManager& manager = KXExcelManager::sharedInstance();
    auto run = std::make_unique<KXExcelRunText>();
    run->setText(text);
    run->rPr().setRFont("Liberation Sans");
    run->rPr().setRgbColor(row == 1 ? "1f3864" : "000000");
    run->rPr().setB(row == 1);
    run->setRowIndex(row);
    run->setColumnIndex(column);
    run->setColumnLength(columnLength);
    run->ctmInfo().xLeft = 72.0 * column;
    run->ctmInfo().xRight = 72.0 * column + 60;
    run->ctmInfo().yTop = 20.0 * row;
    run->ctmInfo().yBottom = 20.0 * row + 14;
    auto item = std::make_shared<KXExcelStringItem>();
    item->setRowIndex(row);
    item->setColumnIndex(column);
    item->runArray().push_back(run.get());
    item->calculatStringItemInfo();
    auto cell = std::make_shared<KXExcelCell>();
    cell->setStringItem(item);
    KXExcelNumber number(text);
    if (number.isNumber()) {
        cell->setDataType("n");
        cell->setCellValue(*number.readNumber());
        cell->setStyleIndex(manager.styleIndexFrom(*run, number, 0));
    } else {
        cell->setIsText(true);
        cell->setCellValue(std::to_string(manager.amountOfStringItems()));
        manager.setAmountOfStringItems(manager.amountOfStringItems() + 1);
        cell->setStyleIndex(manager.getStyleIndexCellFrame(*item, kx::Rect(72.0 * column, 0, 72, 0)));
        strings.stringItems().push_back(item);
    }
    while (sheet.rows.size() < row) {
        sheet.rows.emplace_back();
        sheet.rows.back().setRowIndex(sheet.rows.size());
        sheet.rows.back().setHeight(16);
    }
    sheet.rows[row - 1].cells().push_back(cell);
    while (sheet.columns.size() < column + columnLength) {
        sheet.columns.emplace_back();
        sheet.columns.back().setColumnIndex(sheet.columns.size());
        sheet.columns.back().setWidth(72);
    }
    sheet.columns[column - 1].cells().push_back(cell);
    if (columnLength > 0) sheet.merges.emplace_back(KXPointMake(row, column), KXPointMake(row, column + columnLength));
    sheet.runs.push_back(std::move(run));
}

void writeWorksheet(XMLFileWriter& w, const Sheet& sheet) {
    w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    w.writeStartElement("worksheet");
    w.writeAttribute("xmlns", kMain);
    w.writeStartElement("cols");
    for (const KXExcelColumn& c : sheet.columns) c.writeXML(w);
    w.writeEndElement();
    w.writeStartElement("sheetData");
    for (const KXExcelRow& r : sheet.rows) r.writeXML(w);
    w.writeEndElement();
    w.writeStartElement("mergeCells");
    for (const KXMergedCell& m : sheet.merges) {
        w.writeStartElement("mergeCell");
        w.writeAttribute("ref", m.mergerCellInfo());
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
}

void writeWorkbook(XMLFileWriter& w, const std::string& sheetId) {
    w.setPrefix("r", KXOpenXMLNameSpace::nameSpace_r());
    w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    w.writeStartElement("workbook");
    w.writeAttribute("xmlns", kMain);
    w.writeStartElement("sheets");
    w.writeStartElement("sheet");
    w.writeAttribute("name", "Sheet 1");
    w.writeAttribute("sheetId", "1");
    w.writeAttributeWithNamespace(KXOpenXMLNameSpace::nameSpace_r(), "id", sheetId);
    w.writeEndDocument();
}

}  // namespace

TEST(HandBuiltWorkbook, IsValidAndReadsBack) {
    KXExcelManager::destory();
    KXExcelManager::sharedInstance().setOptions(KXExcelOptions());

    const std::string out = kx::pathJoin(kx::test::tempDir(), "hand-built.xlsx");
    KXOutputWriter writer;
    ASSERT_TRUE(writer.initWorkFolder(out));
    const std::string workbook = "/xl/workbook.xml";
    writer.parts().addRelationship(KXPartRegistry::packageSource(),
                                   KXOpenXMLNameSpace::nameSpace_Rels_OfficeDocument(), "xl/workbook.xml");

    auto stringsWriter = writer.createXMLPart(
        "/xl/sharedStrings.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml");
    ASSERT_TRUE(stringsWriter);
    XMLFileWriter* stringsPart = stringsWriter.get();
    KXExcelSharedStrings strings(std::move(stringsWriter));

    Sheet sheet;
    addCell(sheet, strings, 1, 1, u"Quarterly report \u2013 caf\u00E9 & <tea>", 2);
    addCell(sheet, strings, 2, 1, u"Item");
    addCell(sheet, strings, 2, 2, u"Amount");
    addCell(sheet, strings, 2, 3, u"Share");
    addCell(sheet, strings, 3, 1, u"00123");
    addCell(sheet, strings, 3, 2, u"1,234.56");
    addCell(sheet, strings, 3, 3, u"12.5%");
    addCell(sheet, strings, 4, 1, u"Refund");
    addCell(sheet, strings, 4, 2, u"(1,000.00)");
    addCell(sheet, strings, 4, 3, u"\u20AC5");
    addCell(sheet, strings, 5, 1, u"\uFF11\uFF12\uFF13");
    addCell(sheet, strings, 5, 2, u"0.00001%");
    strings.writeStringItems();
    ASSERT_TRUE(writer.endXMLPart(*stringsPart));

    auto sheetPart = writer.createXMLPart("/xl/worksheets/sheet1.xml", kSheetType);
    ASSERT_TRUE(sheetPart);
    writeWorksheet(*sheetPart, sheet);
    ASSERT_TRUE(writer.endXMLPart(*sheetPart));

    auto stylesPart = writer.createXMLPart("/xl/styles.xml",
                                           "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
    ASSERT_TRUE(stylesPart);
    KXExcelManager::sharedInstance().excelStyle().writeStyleWith(*stylesPart);
    ASSERT_TRUE(writer.endXMLPart(*stylesPart));

    const std::string sheetId = writer.parts().addRelationship(
        workbook, KXOpenXMLNameSpace::nameSpace_Rels_WorkSheet(), "worksheets/sheet1.xml");
    writer.parts().addRelationship(
        workbook, "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles", "styles.xml");
    writer.parts().addRelationship(
        workbook, "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings",
        "sharedStrings.xml");
    auto workbookPart = writer.createXMLPart(
        workbook, "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
    ASSERT_TRUE(workbookPart);
    writeWorkbook(*workbookPart, sheetId);
    ASSERT_TRUE(writer.endXMLPart(*workbookPart));
    KXError error;
    ASSERT_TRUE(writer.finishPackage(&error)) << error.failureReason;

    if (std::optional<std::string> validate = validator()) {
        std::string output;
        EXPECT_EQ(kx::test::runCommand("'" + *validate + "' '" + out + "' 2>&1", &output), 0) << output;
    }
    std::optional<std::string> python = pythonWithOpenpyxl();
    if (!python) GTEST_SKIP() << "no python3 with openpyxl";
    const std::string script = kx::test::writeTemp("read.py",
        "import sys, openpyxl\n"
        "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
        "for row in ws.iter_rows():\n"
        "    for c in row:\n"
        "        if c.value is not None:\n"
        "            print(c.coordinate, type(c.value).__name__, repr(c.value), c.number_format, sep='|')\n"
        "print('merged', ' '.join(str(r) for r in ws.merged_cells.ranges))\n");
    std::string listing;
    // (openpyxl warns about the missing named cell styles, which are optional.)
    ASSERT_EQ(kx::test::runCommand(*python + " -W ignore::UserWarning '" + script + "' '" + out + "'", &listing), 0)
        << listing;
    EXPECT_EQ(listing,
              "A1|str|'Quarterly report \u2013 caf\u00E9 & <tea>'|General\n"
              "A2|str|'Item'|General\n"
              "B2|str|'Amount'|General\n"
              "C2|str|'Share'|General\n"
              "A3|str|'00123'|General\n"
              "B3|float|1234.56|#,##0.00\n"
              "C3|float|0.125|0.00%\n"
              "A4|str|'Refund'|General\n"
              "B4|float|-1000.0|#,##0.00_);(#,##0.00)\n"
              "C4|int|5|\u20AC#,##0\n"
              "A5|str|'\uFF11\uFF12\uFF13'|General\n"
              "B5|int|0|0.00%\n"
              "merged A1:C1\n");
}
