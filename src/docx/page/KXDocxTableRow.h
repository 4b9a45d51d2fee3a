#pragma once
// One row of a detected table: its cells left to right, and its WordprocessingML row properties
// (height and its rule, the borders it takes from its cells).

#include <memory>
#include <string>

#include "docx/model/KXDocxParagraph.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/page/KXDocxTableCell.h"
#include "docx/page/KXDocxTableRect.h"

class KXDocxTable;

class KXDocxTableRow : public KXDocxTableRect {
public:
    KXDocxTableRow() = default;
    // The row spanned by four grid points, with the default row properties and no cells.
    KXDocxTableRow(std::shared_ptr<KXDocxTablePoint> topLeft, std::shared_ptr<KXDocxTablePoint> topRight,
                   std::shared_ptr<KXDocxTablePoint> bottomLeft, std::shared_ptr<KXDocxTablePoint> bottomRight);
    ~KXDocxTableRow() override = default;

    std::string description() const;

    // Borders from the cells (the heaviest drawn top and bottom), the row's height, and its rule:
    // "atLeast" when the texts fit inside the row less its drawn borders (with 2 pt to spare),
    // "exact" when they do not.
    void createXMLProperty() override;
    // The row properties as written: an "atLeast" height less the top border's width, never below 5.
    KXDocx_TrPr writtenTrProperty() const;
    // The "tr": its written properties, its cells.
    void writeWithXMLWriter(XMLFileWriter& writer) override;
    // The "tr" with the given row properties.
    void writeWithXMLWriter(XMLFileWriter& writer, const KXDocx_TrPr& property);

    // The union of the frames of the cells' texts; the zero rectangle without texts.
    kx::Rect allRunTextBounds() const;
    // The first sample paragraph of the row's cells, kept once found.
    std::shared_ptr<KXDocxParagraph> defaultParagraph();
    // The display cell, with laid-out content, of the nearest other cell: before the cell first
    // (nearest first), then after it; null when none.
    KXDocxTableCell* sampleDisplayTableCell(const KXDocxTableCell* cell);

    KXDocxTable* superTable() const { return superTable_; }
    void setSuperTable(KXDocxTable* table) { superTable_ = table; }
    const KXDocx_TrPr& trProperty() const { return trProperty_; }
    void setTrProperty(const KXDocx_TrPr& property) { trProperty_ = property; }
    KXDocxTableCellArray& tableCellArray() { return tableCellArray_; }
    const KXDocxTableCellArray& tableCellArray() const { return tableCellArray_; }
    std::int64_t rowIndex() const { return rowIndex_; }
    void setRowIndex(std::int64_t index) { rowIndex_ = index; }

private:
    KXDocxTable* superTable_ = nullptr;
    KXDocx_TrPr trProperty_;
    KXDocxTableCellArray tableCellArray_;
    std::int64_t rowIndex_ = 0;
    std::shared_ptr<KXDocxParagraph> defaultParagraph_;
};

using KXDocxTableRowArray = std::vector<std::shared_ptr<KXDocxTableRow>>;
