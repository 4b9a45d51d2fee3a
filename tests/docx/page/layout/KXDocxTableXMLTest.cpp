// The XML of tables: what WordprocessingML requires of a table, a cell and a text box story, the
// three placements, and a table with no paragraph to hold it.

#include <gtest/gtest.h>

#include "TableFixtures.h"
#include "docx/model/KXDocxCounters.h"
#include "docx/model/KXDocxVMLShapeTypes.h"
#include "docx/page/layout/KXDocxPageSection.h"
#include "docx/page/layout/KXDocxTable.h"
#include "docx/page/layout/KXDocxTableManager.h"

using namespace kx::tabletest;

namespace {

// The table of a 2 × 2 grid with a word in its first cell, its properties made.
std::shared_ptr<KXDocxTable> gridTable(MemoryDocument& document, std::unique_ptr<KXDocxPage>& page,
                                       double rowHeight = 20) {
    Grid grid;
    grid.widths = {80, 120};
    grid.heights = {rowHeight, rowHeight};
    std::uint64_t scan = 0;
    KXDocxRunPathArray paths = gridRuns(grid, scan);
    page = pageWith(document, paths, {cellText(grid, 0, 0, u"a", scan++)});
    page->convertPath2TableIfNeed();
    EXPECT_EQ(page->allTableArray().size(), 1u);
    if (page->allTableArray().empty()) return nullptr;
    auto table = std::dynamic_pointer_cast<KXDocxTable>(page->allTableArray().front());
    table->convertToXMLProperty();
    return table;
}

// The XML of row `row` of the grid table with rows of `rowHeight`; empty when no table was found.
std::string writtenRow(double rowHeight, size_t row) {
    MemoryDocument document;
    std::unique_ptr<KXDocxPage> page;
    auto table = gridTable(document, page, rowHeight);
    std::string xml;
    if (table) {
        table->tableRowArray()[row]->writeWithXMLWriter(*document.writer);
        xml = document.finish();
    }
    KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
    return xml;
}

size_t count(const std::string& s, const std::string& what) {
    size_t n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(KXDocxTableXML, TableWithoutRowsIsNotWritten) {
    auto empty = std::make_shared<KXDocxTable>();
    empty->setBounds({72, 100, 200, 50});
    EXPECT_FALSE(empty->isWritable());
    auto write = [&](bool withTable) {
        MemoryDocument document;
        if (withTable) empty->writeWithXMLWriter(*document.writer);
        KXDocx_SectPr sect = KXDocxUtilities::defaultSectPropertyHiden();
        sect.pgSz = {612, 792};
        auto section = KXDocxPageSection::BankPageSectionWithSectProperty(sect);
        if (withTable) section->addTable(empty);
        section->writeWithXMLWriter(*document.writer);
        return document.finish();
    };
    const std::string xml = write(true);
    EXPECT_EQ(count(xml, "<w:tbl"), 0u) << xml;
    EXPECT_EQ(xml, write(false)) << "the band writes as if it had no table";
}

TEST(KXDocxTableXML, Placements) {
    struct Case {
        const char* what;
        void (KXDocxTable::*placement)();
        bool textBox;
        bool positioned;  // w:tblpPr
    };
    const Case cases[] = {
        {"in the flow", &KXDocxTable::changeXMLPropertyTextWrappingToNone, false, false},
        {"beside the text", &KXDocxTable::changeXMLPropertyTextWrappingToAround, false, true},
        {"in a text box", &KXDocxTable::changeXMLPropertyTextWrappingToFloatTextBox, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryDocument document;
        std::unique_ptr<KXDocxPage> page;
        auto table = gridTable(document, page);
        ASSERT_TRUE(table);
        (table.get()->*c.placement)();
        document.writer->writeStartElementWithNamespace(KXOpenXMLNameSpace::nameSpace_w(), "p");
        table->writeWithXMLWriter(*document.writer);
        document.writer->writeEndElement();
        const std::string xml = document.finish();
        const auto tables = writtenTables(xml);
        ASSERT_EQ(tables.size(), 1u) << xml;
        EXPECT_EQ(tables[0].inTextBox, c.textBox);
        EXPECT_EQ(xml.find("<w:tblpPr") != std::string::npos, c.positioned) << xml;
        EXPECT_EQ(tables[0].gridColumns, 2);
        EXPECT_NE(xml.find("<w:gridCol w:w=\"1600\"/>"), std::string::npos) << "80 pt";
        EXPECT_NE(xml.find("<w:gridCol w:w=\"2400\"/>"), std::string::npos) << "120 pt";
        if (c.textBox) {
            // The story of the text box ends with a paragraph after the table.
            const size_t tableEnd = xml.find("</w:tbl>"), storyEnd = xml.find("</w:txbxContent>");
            ASSERT_NE(storyEnd, std::string::npos);
            EXPECT_NE(xml.substr(tableEnd, storyEnd - tableEnd).find("<w:p"), std::string::npos) << xml;
        }
        KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
    }
}

TEST(KXDocxTableXML, ATableBesideTheTextStandsAtItsPlace) {
    struct Case {
        const char* what;
        bool nested;
        std::string position;
    };
    const Case cases[] = {
        {"on the page: by its place on the page", false, "w:tblpX=\"1440\" w:tblpY=\"2000\""},
        {"in a cell: from the margins of its section", true, "w:tblpX=\"440\" w:tblpY=\"800\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryDocument document;
        std::unique_ptr<KXDocxPage> page;
        auto table = gridTable(document, page);  // at (72, 100)
        ASSERT_TRUE(table);
        KXDocxTable outer;
        KXDocx_SectPr sect = table->sectProperty();
        sect.pgMar.left = 50;
        sect.pgMar.top = 60;
        table->setSectProperty(sect);
        if (c.nested) table->setSuperTable(&outer);
        table->changeXMLPropertyTextWrappingToAround();
        table->writeWithXMLWriter(*document.writer);
        const std::string xml = document.finish();
        EXPECT_NE(xml.find(c.position), std::string::npos) << xml;
        KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
    }
}

TEST(KXDocxTableXML, FreeSpaceAroundAnInlineTableGoesToItsRows) {
    MemoryDocument document;
    std::unique_ptr<KXDocxPage> page;
    auto table = gridTable(document, page);
    ASSERT_TRUE(table);
    table->changeXMLPropertyTextWrappingToNone();
    table->setTextWrappingToNoneMarginTop(12);
    table->setTextWrappingToNoneMarginBottom(6);
    const float before = table->tableRowArray()[1]->trProperty().trHeight.val;
    table->writeWithXMLWriter(*document.writer);
    EXPECT_FLOAT_EQ(table->tableRowArray()[1]->trProperty().trHeight.val, before + 9) << "18 pt over two rows";
    KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
}

TEST(KXDocxTableXML, EmptyCellParagraphFitsItsRowAndIsNeverBelowAPoint) {
    struct Case {
        const char* what;
        double rowHeight;
        std::string size;  // half-points of the empty cells' paragraph mark
    };
    const Case cases[] = {
        // The empty cell takes the paragraph of the row's first text (a 10 pt line).
        {"a row of 8 pt: cut to the row less a point", 8, "14"},
        {"a row of 30 pt: as it is", 30, "20"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string xml = writtenRow(c.rowHeight, 1);
        ASSERT_FALSE(xml.empty());
        EXPECT_NE(xml.find("<w:sz w:val=\"" + c.size + "\"/>"), std::string::npos) << xml;
    }
    // A cell without a row (no height to fit): a point, not the −1 a row of no height would give.
    MemoryDocument document;
    KXDocxTableCell cell;
    cell.writeWithXMLWriter(*document.writer);
    const std::string xml = document.finish();
    EXPECT_NE(xml.find("<w:sz w:val=\"2\"/>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("w:line=\"20\""), std::string::npos) << xml;
    EXPECT_EQ(xml.find("\"-"), std::string::npos) << "no negative value" << xml;
}

// The row's sample paragraph counts its line in single lines of its mark ("auto"): the empty cell's
// paragraph, cut to the row, is as high as the row less a point in points, not that many single
// lines of its new mark (which would make the row, and a page of such rows, grow).
TEST(KXDocxTableXML, EmptyCellParagraphCutToItsRowIsExact) {
    MemoryDocument document;
    std::unique_ptr<KXDocxPage> page;
    auto table = gridTable(document, page, 15);
    ASSERT_TRUE(table);
    std::shared_ptr<KXDocxParagraph> sample = table->defaultParagraph();  // the first row's word
    ASSERT_TRUE(sample);
    KXDocx_PPr p = sample->pProperty();
    p.spacing.before = 3;
    p.spacing.after = 8;
    p.spacing.line = 12;
    p.spacing.lineRule = "auto";
    p.spacing.word1LineHeight = 8;
    sample->setPProperty(p);
    table->tableRowArray()[1]->writeWithXMLWriter(*document.writer);
    const std::string xml = document.finish();
    EXPECT_NE(xml.find("<w:spacing w:before=\"0\" w:after=\"0\" w:line=\"280\" w:lineRule=\"exact\"/>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(xml.find("lineRule=\"auto\""), std::string::npos) << xml;
    KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
}

TEST(KXDocxTableXML, RowHeights) {
    struct Case {
        const char* what;
        double rowHeight;
        std::string trHeight;  // of the first row, holding a word in 10 pt type
    };
    const Case cases[] = {
        {"texts that fit: at least the row less its top rule", 30, "<w:trHeight w:val=\"590\" w:hRule=\"atLeast\"/>"},
        {"texts taller than the row: exactly the row", 8, "<w:trHeight w:val=\"160\" w:hRule=\"exact\"/>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string xml = writtenRow(c.rowHeight, 0);
        ASSERT_FALSE(xml.empty());
        EXPECT_NE(xml.find(c.trHeight), std::string::npos) << xml;
    }
}

// A table of many rows whose heights are no whole twentieths of a point, filling a page: its rows,
// as written, add up to the table's height less its bottom rule (which a word processor draws
// below the last row), so that the table still ends where it ends on the page.
TEST(KXDocxTableXML, RowsAddUpToNoMoreThanTheTable) {
    struct Case {
        const char* what;
        size_t rows;      // of 573.1 / rows pt, each with a word in 10 pt type, ruled 0.5 pt
        long long twips;  // the rows' heights added up
    };
    const double height = 573.1;  // rows of 12.7356 pt (254.7 twentieths) and 19.1033 pt
    const Case cases[] = {
        {"45 exact rows (the word does not fit): the table less its bottom rule", 45, (5731 - 5) * 2},
        {"30 atLeast rows: each less its top rule, the last one less its bottom rule too", 30, (5731 - 150 - 5) * 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Grid grid;
        grid.y = 20;
        grid.widths = {80, 120};
        grid.heights.assign(c.rows, height / static_cast<double>(c.rows));
        std::uint64_t scan = 0;
        KXDocxRunPathArray paths = gridRuns(grid, scan);
        KXDocxRunTextArray texts;
        for (size_t r = 0; r < c.rows; ++r) texts.push_back(cellText(grid, r, 0, u"a", scan++));
        MemoryDocument document;
        auto page = pageWith(document, paths, texts, {792, 612});
        page->convertPath2TableIfNeed();
        ASSERT_EQ(page->allTableArray().size(), 1u);
        auto table = std::dynamic_pointer_cast<KXDocxTable>(page->allTableArray().front());
        table->convertToXMLProperty();
        table->changeXMLPropertyTextWrappingToNone();
        table->writeWithXMLWriter(*document.writer);
        const std::string xml = document.finish();
        long long sum = 0;
        size_t rows = 0;
        const std::string key = "<w:trHeight w:val=\"";
        for (size_t at = xml.find(key); at != std::string::npos; at = xml.find(key, at + 1), ++rows)
            sum += std::stoll(xml.substr(at + key.size()));
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(sum, c.twips);
        KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
    }
}

// Tables in text boxes are stacked by the shapes' counter, negated, so each later one stands behind
// the one before it; each is a text box of the document's one text-box type, all with the same id
// and o:spid.
TEST(KXDocxTableXML, TablesInTextBoxes) {
    MemoryDocument document;
    std::unique_ptr<KXDocxPage> page;
    auto table = gridTable(document, page);
    ASSERT_TRUE(table);
    KXDocxCounters::sharedInstance().begainWriteDocument();
    KXDocxVMLShapeTypes::sharedInstance().begainWriteDocument();
    MemoryDocument out;
    for (int i = 0; i < 2; ++i) {
        table->changeXMLPropertyTextWrappingToFloatTextBox();
        out.writer->writeStartElementWithNamespace(KXOpenXMLNameSpace::nameSpace_w(), "p");
        table->writeWithXMLWriter(*out.writer);
        out.writer->writeEndElement();
    }
    const std::string xml = out.finish();
    std::vector<long long> zs;
    for (size_t at = xml.find("z-index:"); at != std::string::npos; at = xml.find("z-index:", at + 1))
        zs.push_back(std::stoll(xml.substr(at + 8)));
    EXPECT_EQ(zs, (std::vector<long long>{251657498, 251657497})) << xml;
    EXPECT_EQ(count(xml, "<v:shapetype id=\"_x0000_t202\""), 1u) << xml;
    EXPECT_LT(xml.find("<v:shapetype"), xml.find("<v:shape "));
    EXPECT_EQ(count(xml, "type=\"#_x0000_t202\""), 2u) << xml;
    EXPECT_EQ(count(xml, "<v:shape id=\"TextBox 1\" o:spid=\"_x0000_t202\" type=\"#_x0000_t202\""), 2u) << xml;
    KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
}

TEST(KXDocxTableXML, TableWithoutAnchorParagraphIsWrittenInTheFlow) {
    MemoryDocument document;
    std::unique_ptr<KXDocxPage> page;
    auto table = gridTable(document, page);
    ASSERT_TRUE(table);
    // A band with no paragraph at all, the foot band of the last page.
    KXDocx_SectPr sect = KXDocxUtilities::defaultSectPropertyHiden();
    sect.pgSz = {612, 792};
    auto section = std::make_shared<KXDocxPageSection>(sect);
    section->setSectionFrame({72, 72, 468, 648});
    section->setIsPageHeadSection(true);
    section->setIsPageFootSection(true);
    section->setIsDocumentLastPage(true);
    section->addTable(table);
    section->writeWithXMLWriter(*document.writer);
    const std::string xml = document.finish();
    ASSERT_EQ(writtenTables(xml).size(), 1u) << xml;
    EXPECT_FALSE(writtenTables(xml)[0].inTextBox);
    EXPECT_LT(xml.find("<w:tbl>"), xml.find("<w:sectPr")) << "the table closes the band's content, before its break";
    KXDocxTableManager::sharedInstance().setSuperPage(nullptr);
}
