// The pieces a worksheet and the shared strings are written from: column letters, cells, rows,
// columns, text items, merged ranges and rich-text runs.

#include <gtest/gtest.h>

#include "XlsxTestSupport.h"
#include "xlsx/KXExcelCell.h"
#include "xlsx/KXExcelColumn.h"
#include "xlsx/KXExcelRow.h"
#include "xlsx/KXExcelSharedStrings.h"
#include "xlsx/KXExcelStringItem.h"
#include "xlsx/KXExcelUtilities.h"
#include "xlsx/KXMergedCell.h"

using kx::test::formatStyle;
using kx::test::freshManager;
using kx::test::makeRun;
using kx::test::writtenXML;

TEST(KXExcelUtilities, ColumnLetters) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {1, "A"}, {26, "Z"}, {27, "AA"}, {28, "AB"}, {52, "AZ"}, {53, "BA"}, {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
    for (auto [number, letters] : cases) {
        EXPECT_EQ(KXExcelUtilities::getColumnName(number), letters) << number;
        EXPECT_EQ(KXExcelUtilities::getColumnNumber(letters), number) << letters;
    }
    EXPECT_FALSE(KXExcelUtilities::getColumnName(0));
    EXPECT_FALSE(KXExcelUtilities::getColumnName(-3));
    EXPECT_EQ(KXExcelUtilities::getColumnNumber(""), 0);
}

TEST(KXExcelUtilities, ColoursAsWritten) {
    const std::pair<const char*, const char*> cases[] = {
        {"2f2b20", "FF2f2b20"}, {"000000", "FF000000"}, {"", "FF000000"}, {"FF2f2b20", "FF000000"}, {"12345g", "FF000000"}};
    for (auto [rgb, argb] : cases) EXPECT_EQ(KXExcelUtilities::argbColor(rgb), argb) << rgb;
}

TEST(KXExcelUtilities, NewImagePath) {
    const std::string folder = kx::test::tempDir() + "/images";
    kx::createDirectories(folder);
    kx::writeFile(folder + "/image1.png", "x");
    kx::writeFile(folder + "/image2.png", "x");
    EXPECT_EQ(KXExcelUtilities::getNewImagePath(folder + "/picture.png"), folder + "/image3.png");
    EXPECT_EQ(KXExcelUtilities::getNewImagePath(folder + "/picture.jpeg"), folder + "/image1.jpeg");
}

namespace {

std::shared_ptr<KXExcelCell> cell(std::uint64_t row, std::uint64_t column, std::string value,
                                  std::uint32_t style = KXExcelCell::kNoStyle, std::string type = "s") {
    auto item = std::make_shared<KXExcelStringItem>();
    item->setRowIndex(row);
    item->setColumnIndex(column);
    auto c = std::make_shared<KXExcelCell>();
    c->setStringItem(item);
    c->setCellValue(std::move(value));
    c->setStyleIndex(style);
    c->setDataType(std::move(type));
    return c;
}

}  // namespace

TEST(KXExcelSheetParts, Cells) {
    struct Case {
        const char* what;
        std::shared_ptr<KXExcelCell> cell;
        const char* xml;
    };
    const Case cases[] = {
        {"no style, no value", cell(3, 2, "-1"), "<c r=\"B3\" t=\"s\"/>"},
        {"style 0 is written", cell(1, 1, "4", 0), "<c r=\"A1\" s=\"0\" t=\"s\"><v>4</v></c>"},
        {"a number", cell(12, 28, "-1234.5", 7, "n"), "<c r=\"AB12\" s=\"7\" t=\"n\"><v>-1234.5</v></c>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(writtenXML([&c](XMLFileWriter& w) { c.cell->writeXML(w); }), c.xml) << c.what;
}

TEST(KXExcelSheetParts, RowsAndColumns) {
    struct Case {
        const char* what;
        int style;
        double size;
        const char* rowXML;
        const char* colXML;
    };
    const Case cases[] = {
        {"20 points", 0, 20, "<row r=\"4\" ht=\"22.00\" customHeight=\"1\"/>",
         "<col min=\"4\" max=\"4\" width=\"7\" customWidth=\"1\"/>"},
        {"default heights", 1, 20, "<row r=\"4\" ht=\"13.5\" customHeight=\"1\"/>",
         "<col min=\"4\" max=\"4\" width=\"7\" customWidth=\"1\"/>"},
        {"30 points", 0, 30, "<row r=\"4\" ht=\"33.00\" customHeight=\"1\"/>",
         "<col min=\"4\" max=\"4\" width=\"11\" customWidth=\"1\"/>"},
        {"100 points", 0, 100, "<row r=\"4\" ht=\"110.00\" customHeight=\"1\"/>",
         "<col min=\"4\" max=\"4\" width=\"37\" customWidth=\"1\"/>"},
        {"beyond the sheet's limits", 0, 2000, "<row r=\"4\" ht=\"409.50\" customHeight=\"1\"/>",
         "<col min=\"4\" max=\"4\" width=\"255\" customWidth=\"1\"/>"},
    };
    for (const Case& c : cases) {
        freshManager(formatStyle(c.style));
        KXExcelRow row;
        row.setRowIndex(4);
        row.setHeight(c.size);
        KXExcelColumn column;
        column.setColumnIndex(4);
        column.setWidth(c.size);
        EXPECT_EQ(writtenXML([&row](XMLFileWriter& w) { row.writeXML(w); }), c.rowXML) << c.what;
        EXPECT_EQ(writtenXML([&column](XMLFileWriter& w) { column.writeXML(w); }), c.colXML) << c.what;
    }
}

// Renumbering a row or a column moves its cells, which take their reference from their text.
TEST(KXExcelSheetParts, RenumberingMovesCells) {
    freshManager();
    auto a = cell(1, 1, "0"), b = cell(1, 3, "1");
    KXExcelRow row;
    row.cells() = {a, b};
    row.setHeight(10);
    KXExcelColumn column;
    column.cells() = {b};
    row.setRowIndex(5);
    column.setColumnIndex(27);
    EXPECT_EQ(writtenXML([&row](XMLFileWriter& w) { row.writeXML(w); }),
              "<row r=\"5\" ht=\"11.00\" customHeight=\"1\"><c r=\"A5\" t=\"s\"><v>0</v></c>"
              "<c r=\"AA5\" t=\"s\"><v>1</v></c></row>");
}

TEST(KXExcelSheetParts, RichTextRuns) {
    struct Case {
        const char* what;
        int style;
        const char* xml;
    };
    const Case cases[] = {
        {"the run's own font", 0,
         "<r><rPr><sz val=\"15\"/><color rgb=\"FF2f2b20\"/><rFont val=\"Times\"/><b val=\"1\"/><i val=\"0\"/>"
         "</rPr><t xml:space=\"preserve\"> a &lt;b&gt; &amp; c </t></r>"},
        {"default size", 1,
         "<r><rPr><sz val=\"10\"/><color rgb=\"FF2f2b20\"/><rFont val=\"Times\"/><b val=\"1\"/><i val=\"0\"/>"
         "</rPr><t xml:space=\"preserve\"> a &lt;b&gt; &amp; c </t></r>"},
        {"default name", 2,
         "<r><rPr><sz val=\"10\"/><color rgb=\"FF2f2b20\"/><rFont val=\"Arial Unicode MS\"/><b val=\"1\"/>"
         "<i val=\"0\"/></rPr><t xml:space=\"preserve\"> a &lt;b&gt; &amp; c </t></r>"},
    };
    for (const Case& c : cases) {
        freshManager(formatStyle(c.style));
        KXExcelRunText run = makeRun(u" a <b> & c ", 0, 0, 10, 10, 14.6);
        run.rPr().setRFont("Times");
        run.rPr().setB(true);
        EXPECT_EQ(writtenXML([&run](XMLFileWriter& w) { run.writeXMLWith(w); }), c.xml) << c.what;
    }
}

TEST(KXExcelStringItem, ContentBoxAndSpans) {
    KXExcelRunText a = makeRun(u"Total", 100.4, 50.6, 20, 10, 9);
    KXExcelRunText b = makeRun(u" due", 120.4, 52, 15, 12, 14);
    a.setRowLength(2);
    b.setColumnLength(1);
    KXExcelStringItem one;
    one.runArray() = {&a};
    one.calculatStringItemInfo();
    EXPECT_EQ(one.itemInfo().textBoxRect(), kx::Rect(100, 51, 20, 10));
    EXPECT_EQ(one.maxFontSize(), 12.0);
    EXPECT_EQ(one.rowLength(), 2u);
    EXPECT_FALSE(one.isAttributeRunText());

    KXExcelStringItem two;
    two.runArray() = {&a, &b};
    two.calculatStringItemInfo();
    EXPECT_EQ(two.content(), u"Total due");
    EXPECT_EQ(two.maxFontSize(), 14.0);
    EXPECT_EQ(two.rowLength(), 2u);
    EXPECT_EQ(two.columnLength(), 1u);
    EXPECT_DOUBLE_EQ(two.itemInfo().displayX, 100.4);
    EXPECT_DOUBLE_EQ(two.itemInfo().displayWidth, 35);
    EXPECT_DOUBLE_EQ(two.itemInfo().displayHeight, 13.4);
    EXPECT_TRUE(two.isAttributeRunText());

    b.rPr().setSz(9);
    EXPECT_FALSE(two.isAttributeRunText());
    b.setRowIndex(4);
    b.setColumnIndex(2);
    two.setRowIndex(4);
    two.setColumnIndex(2);
    EXPECT_TRUE(two.containRunText(b));
    EXPECT_FALSE(two.containRunText(a));
}

TEST(KXMergedCell, ReferencesAndCrossing) {
    EXPECT_EQ(KXMergedCell(KXPointMake(1, 1), KXPointMake(2, 3)).mergerCellInfo(), "A1:C2");
    EXPECT_EQ(KXMergedCell(KXPointMake(7, 28), KXPointMake(9, 30)).mergerCellInfo(), "AB7:AD9");
    struct Case {
        KXMergedCell a, b;
        bool cross;
    };
    const Case cases[] = {
        {{{1, 1}, {2, 2}}, {{2, 2}, {3, 3}}, true},   // A1:B2 and B2:C3
        {{{1, 1}, {2, 2}}, {{1, 3}, {2, 4}}, false},  // A1:B2 and C1:D2
        {{{1, 1}, {5, 5}}, {{2, 2}, {3, 3}}, true},   // one inside the other
        {{{1, 1}, {1, 1}}, {{2, 1}, {2, 1}}, false},  // neighbours in a column
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.isCross(c.b), c.cross) << c.a.mergerCellInfo() << " " << c.b.mergerCellInfo();
        EXPECT_EQ(c.b.isCross(c.a), c.cross);
    }
}

TEST(KXExcelSharedStrings, ItemsAreStreamedPageByPage) {
    freshManager();
    const std::string folder = kx::test::tempDir() + "/strings.xlsx";
    KXExcelRunText a = makeRun(u"one", 0, 0, 10, 10), b = makeRun(u"two", 0, 0, 10, 10);
    {
        KXExcelSharedStrings strings(folder);
        auto first = std::make_shared<KXExcelStringItem>();
        first->runArray() = {&a};
        auto second = std::make_shared<KXExcelStringItem>();
        second->runArray() = {&a, &b};
        strings.stringItems() = {first, second};
        strings.writeStringItems();
        EXPECT_TRUE(strings.stringItems().empty());
        strings.stringItems() = {first};
        strings.writeStringItems();
        EXPECT_EQ(strings.amountOfStringItems(), 3u);
        EXPECT_TRUE(strings.endWrite());
    }
    const std::string run = "<r><rPr><sz val=\"12\"/><color rgb=\"FF2f2b20\"/><rFont val=\"Arial Unicode MS\"/>"
                            "<b val=\"0\"/><i val=\"0\"/></rPr><t xml:space=\"preserve\">";
    EXPECT_EQ(kx::readFile(folder + "/xl/sharedStrings.xml").value_or(""),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>"
              "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
              "<si>" + run + "one</t></r></si>"
              "<si>" + run + "one</t></r>" + run + "two</t></r></si>"
              "<si>" + run + "one</t></r></si></sst>");
}

TEST(KXExcelSharedStrings, AFolderThatIsNoWorkbookGetsNoPart) {
    const std::string folder = kx::test::tempDir() + "/tables.csv";
    KXExcelSharedStrings strings(folder);
    EXPECT_EQ(strings.xmlWriter(), nullptr);
    strings.writeStringItems();
    EXPECT_FALSE(strings.endWrite());
    EXPECT_FALSE(kx::fileExists(folder + "/xl"));
}

// Heights, widths and sizes keep their decimal point whatever the process locale says.
TEST(KXExcelSheetParts, NumbersWrittenUnderAGermanLocale) {
    kx::test::ScopedLocale german("de_DE.UTF-8");
    if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    freshManager();
    KXExcelRow row;
    row.setHeight(20.5);
    EXPECT_EQ(writtenXML([&row](XMLFileWriter& w) { row.writeXML(w); }), "<row r=\"1\" ht=\"22.55\" customHeight=\"1\"/>");
    KXExcelColumn column;
    column.setWidth(1234.5);
    EXPECT_EQ(writtenXML([&column](XMLFileWriter& w) { column.writeXML(w); }),
              "<col min=\"1\" max=\"1\" width=\"255\" customWidth=\"1\"/>");
    KXExcelStyle style;
    KXExcel_Font f = KXExcelUtilities::defaultExcelFont();
    f.sz = 1234.4;
    style.collectFonts(KXExcelStyleFont(f, "000000"));
    const std::string xml = writtenXML([&style](XMLFileWriter& w) { style.writeStyleWith(w); });
    EXPECT_NE(xml.find("<sz val=\"1234\"/>"), std::string::npos) << xml;
}
