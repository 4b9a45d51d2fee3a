#pragma once
// A table found on a page: its rows of cells, the groups of merged cells, the texts of its area, the
// tables nested in its cells, and its WordprocessingML properties. The page section that writes it
// chooses one of three placements: in the text flow (inline), floating beside the text (positioned
// on the page), or inside a VML text box anchored to a paragraph.
//
// A table takes part in the page's reading order as a run; its bounds are its frame on the page.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "docx/model/KXDocxParagraph.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRun.h"
#include "docx/model/KXDocxRunText.h"
#include "docx/page/KXDocxTableCellGroup.h"
#include "docx/page/KXDocxTableRow.h"
#include "platform/Geometry.h"

class KXDocxTable : public KXDocxRun {
public:
    // Word holds at most this many columns in a table.
    static constexpr int kMaxColumnCount = 63;

    KXDocxTable();
    ~KXDocxTable() override = default;

    std::string description() const;
    kx::Rect displayRect() const override { return bounds_; }

    // Whether the table has something to write: rows, each with a cell. A table without is never
    // written (WordprocessingML has no table without a row, nor a row without a cell).
    bool isWritable() const;

    // All properties: placed beside the text, the grid from the first row's cells, every cell's and
    // row's properties, merged cells, the cells' content and the table's borders.
    void convertToXMLProperty();
    // The placements; each replaces the floating position first.
    void changeXMLPropertyTextWrappingToNone();
    void changeXMLPropertyTextWrappingToAround();
    void changeXMLPropertyTextWrappingToFloatTextBox();
    // Merged cells, the cells' content laid out, the table's borders from its first and last cells.
    void optimizeXMLProperty();
    // The groups of merged cells, and the texts they take: those lying inside a group (within 1 pt)
    // and those its member cells hold.
    void createMergeCellsGroup();

    // The "tbl" (with its text box when placed in one). In the text flow, the free space around the
    // table is shared among its rows' heights.
    void writeWithXMLWriter(XMLFileWriter& writer) override;
    void writeTextBoxStartWithXMLWriter(XMLFileWriter& writer);
    void writeTextBoxEndWithXMLWriter(XMLFileWriter& writer);

    std::shared_ptr<KXDocxTableCell> firstTableCell() const;
    std::shared_ptr<KXDocxTableCell> lastTableCell() const;
    // The first row's default paragraph found, kept once found.
    std::shared_ptr<KXDocxParagraph> defaultParagraph();

    KXDocxTable* superTable() const { return superTable_; }
    void setSuperTable(KXDocxTable* table) { superTable_ = table; }
    const kx::Rect& bounds() const { return bounds_; }
    void setBounds(const kx::Rect& bounds) { bounds_ = bounds; }
    std::vector<std::shared_ptr<KXDocxTable>>& allSubTableArray() { return allSubTableArray_; }
    const std::vector<std::shared_ptr<KXDocxTable>>& allSubTableArray() const { return allSubTableArray_; }
    const KXDocx_SectPr& sectProperty() const { return sectProperty_; }
    void setSectProperty(const KXDocx_SectPr& property) { sectProperty_ = property; }
    const KXDocx_TblPr& tblProperty() const { return tblProperty_; }
    void setTblProperty(const KXDocx_TblPr& property) { tblProperty_ = property; }
    const KXDocx_TblGrid& tblGridProperty() const { return tblGridProperty_; }
    void setTblGridProperty(const KXDocx_TblGrid& property) { tblGridProperty_ = property; }
    KXDocxTableRowArray& tableRowArray() { return tableRowArray_; }
    const KXDocxTableRowArray& tableRowArray() const { return tableRowArray_; }
    const KXDocxTableCellGroupArray& cellGroupArray() const { return cellGroupArray_; }
    KXDocxRunTextArray& allRunTextArray() { return allRunTextArray_; }
    const KXDocxRunTextArray& allRunTextArray() const { return allRunTextArray_; }
    void setAllRunTextArray(KXDocxRunTextArray runs) { allRunTextArray_ = std::move(runs); }
    std::uint64_t minPDFScanIndex() const { return minPDFScanIndex_; }
    void setMinPDFScanIndex(std::uint64_t v) { minPDFScanIndex_ = v; }
    std::uint64_t maxPDFScanIndex() const { return maxPDFScanIndex_; }
    void setMaxPDFScanIndex(std::uint64_t v) { maxPDFScanIndex_ = v; }
    std::uint64_t minTextPDFScanIndex() const { return minTextPDFScanIndex_; }
    void setMinTextPDFScanIndex(std::uint64_t v) { minTextPDFScanIndex_ = v; }
    std::uint64_t maxTextPDFScanIndex() const { return maxTextPDFScanIndex_; }
    void setMaxTextPDFScanIndex(std::uint64_t v) { maxTextPDFScanIndex_ = v; }
    bool isWrappingToFloatTextBox() const { return isWrappingToFloatTextBox_; }
    // The paragraph a floating table is anchored to. That paragraph holds the table among its
    // pictures, so the table only points back at it: owning it would keep both alive for ever.
    KXDocxParagraph* textBoxRelativeParagraph() const { return textBoxRelativeParagraph_; }
    void setTextBoxRelativeParagraph(KXDocxParagraph* p) { textBoxRelativeParagraph_ = p; }
    double textWrappingToNoneMarginTop() const { return textWrappingToNoneMarginTop_; }
    void setTextWrappingToNoneMarginTop(double v) { textWrappingToNoneMarginTop_ = v; }
    double textWrappingToNoneMarginBottom() const { return textWrappingToNoneMarginBottom_; }
    void setTextWrappingToNoneMarginBottom(double v) { textWrappingToNoneMarginBottom_ = v; }
    bool isPageWhiteBackground() const { return isPageWhiteBackground_; }
    void setIsPageWhiteBackground(bool v) { isPageWhiteBackground_ = v; }

private:
    // The rows, their heights adding up to no more than the table's.
    void writeRows(XMLFileWriter& writer);

    KXDocxTable* superTable_ = nullptr;
    kx::Rect bounds_;
    std::vector<std::shared_ptr<KXDocxTable>> allSubTableArray_;
    KXDocx_SectPr sectProperty_;
    KXDocx_TblPr tblProperty_;
    KXDocx_TblGrid tblGridProperty_;
    KXDocxTableRowArray tableRowArray_;
    KXDocxTableCellGroupArray cellGroupArray_;
    KXDocxRunTextArray allRunTextArray_;
    std::uint64_t minPDFScanIndex_ = 0;
    std::uint64_t maxPDFScanIndex_ = 0;
    std::uint64_t minTextPDFScanIndex_ = 0;
    std::uint64_t maxTextPDFScanIndex_ = 0;
    bool isWrappingToFloatTextBox_ = false;
    KXDocxParagraph* textBoxRelativeParagraph_ = nullptr;
    double textWrappingToNoneMarginTop_ = 0;
    double textWrappingToNoneMarginBottom_ = 0;
    bool isPageWhiteBackground_ = true;
    std::shared_ptr<KXDocxParagraph> defaultParagraph_;
};

using KXDocxTableArray = std::vector<std::shared_ptr<KXDocxTable>>;
