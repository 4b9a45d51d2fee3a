#pragma once
// A merged cell: a rectangular block of grid cells with no visible line inside it and the same
// shading at its two far corners, which the PDF drew as one box but the ruling-line grid cut into
// several cells (a header spanning columns, a label spanning rows). It becomes one Word cell that
// spans columns ("gridSpan") and rows (a vertical merge), with its borders, width, texts and nested
// tables gathered from its members. Its members give up their own content and output to it.
//
// A row array is the shape every operation here works on: the group's member cells by grid row, top
// to bottom, each row's cells left to right; the cells carry their grid place in their ranges.

#include <memory>
#include <string>
#include <vector>

#include "docx/page/layout/KXDocxTableCell.h"

using KXDocxTableCellRowArray = std::vector<KXDocxTableCellArray>;

class KXDocxTableCellGroup : public KXDocxTableCell {
public:
    KXDocxTableCellGroup() = default;
    // The merged cell of the block: its corners, borders, ranges, width, span and merge, and its
    // members' nested tables; every member joins the group.
    explicit KXDocxTableCellGroup(KXDocxTableCellRowArray rows);
    ~KXDocxTableCellGroup() override = default;

    std::string description() const;
    // Whether some row of the group holds the cell.
    bool isExistCell(const KXDocxTableCell* cell) const;
    // A group's properties are set once, when it is made.
    void createXMLProperty() override {}
    void optimizeXMLProperty() override {}
    // The group writes itself as a cell of its own.
    void writeWithXMLWriter(XMLFileWriter& writer) override { writeCellWithXMLWriter(writer); }
    // One continuation cell of the vertical merge, written by a member that heads a later row.
    void writeRowMergeEndWithXMLWriter(XMLFileWriter& writer);

    const KXDocxTableCellRowArray& tableRowArray() const { return tableRowArray_; }

    // Every block to merge of the table's rows (each row's cells in column order): one row array per
    // block; empty when there is nothing to merge.
    static std::vector<KXDocxTableCellRowArray> FindAllRowGroupCells(const KXDocxTableCellRowArray& rows);
    // The merged cell's borders: each outer side chosen among the members along it, preferring a
    // visible line at the table's edge and no line inside the table.
    static KXDocx_Borders BordersWithRowArray(const KXDocxTableCellRowArray& rows);

    // The steps of the search.
    // The first cell and the later ones of its grid row, taken out of the list.
    static KXDocxTableCellArray _FindSameRowIndexCells(KXDocxTableCellArray& cells);
    // The first cell and the cells right of it that merge with it.
    static KXDocxTableCellArray _FindColumGroupCells(const KXDocxTableCellArray& cells);
    // Every row cut into horizontal runs, row after row.
    static std::vector<KXDocxTableCellArray> _FindAllColumGroupCells(const KXDocxTableCellRowArray& rows);
    // The first run and the runs below it that merge with it.
    static std::vector<KXDocxTableCellArray> _FindRowGroupCells(const std::vector<KXDocxTableCellArray>& runs);

    // Merge tests: no visible line inside, the same shading at the far corners.
    static bool ValidateBorderInsideForXGroupCellArray(const KXDocxTableCellArray& run);
    static bool ValidateBorderInsideForYGroupCellArray(const std::vector<KXDocxTableCellArray>& stack);
    // Whole-group tests.
    static bool ValidateCountForGroupRowArray(const KXDocxTableCellRowArray& rows);
    static bool ValidateIndexForGroupRowArray(const KXDocxTableCellRowArray& rows);
    static bool ValidateBorderInsideForGroupRowArray(const KXDocxTableCellRowArray& rows);
    static bool ValidateBorderOutsideForGroupRowArray(const KXDocxTableCellRowArray& rows);

private:
    KXDocxTableCellRowArray tableRowArray_;
};

using KXDocxTableCellGroupArray = std::vector<std::shared_ptr<KXDocxTableCellGroup>>;
