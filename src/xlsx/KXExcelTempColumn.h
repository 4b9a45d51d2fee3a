#pragma once
// A node of the page's layout cuts that stands for a column: its runs, and, once it is cut, the rows
// it is cut into. A node without children is a leaf.

#include <memory>
#include <vector>

class KXExcelRunText;
class KXExcelTempRow;

class KXExcelTempColumn {
public:
    using RunList = std::vector<KXExcelRunText*>;

    KXExcelTempColumn();
    explicit KXExcelTempColumn(RunList runs);
    ~KXExcelTempColumn();

    const RunList& runTexts() const { return runTexts_; }
    RunList& runTexts() { return runTexts_; }
    const std::vector<std::unique_ptr<KXExcelTempRow>>& tempRows() const { return tempRows_; }
    bool isLeaf() const { return tempRows_.empty(); }

    void sortRunTextsByX();
    void sortRunTextsByY();
    // Joins the runs that make the lines of one cell.
    void mergeRunTextsStringByY();
    // Cuts the runs (sorted by top) into the rows of the column.
    void creatTempRowsByY();
    // The row-first cut below a column: sort, join, cut into rows, and cut each row into columns.
    void creatTempRow1();
    // The column-first cut below a page column: sort, cut into rows, and cut each row on.
    void creatTempRow2();
    // The innermost level of the column-first cut: sort and cut into rows, each row's runs from left
    // to right (they take their columns in that order).
    void creatRow();
    void collectAllRunTexts(RunList& into) const;

private:
    RunList runTexts_;
    std::vector<std::unique_ptr<KXExcelTempRow>> tempRows_;
};
