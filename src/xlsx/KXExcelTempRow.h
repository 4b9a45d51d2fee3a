#pragma once
// A node of the page's layout cuts that stands for a row: its runs, and, once it is cut, the columns
// it is cut into. A node without children is a leaf. Both cuts share the page's runs.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class KXExcelRunText;
class KXExcelTempColumn;

class KXExcelTempRow {
public:
    using RunList = std::vector<KXExcelRunText*>;

    KXExcelTempRow();
    explicit KXExcelTempRow(RunList runs);
    ~KXExcelTempRow();

    const RunList& runTexts() const { return runTexts_; }
    RunList& runTexts() { return runTexts_; }
    const std::vector<std::unique_ptr<KXExcelTempColumn>>& tempCells() const { return tempCells_; }
    bool isLeaf() const { return tempCells_.empty(); }

    void sortRunTextsByX();
    void sortRunTextsByY();
    // Joins the runs that make one line (the spreadsheet state's overlap option decides the gap).
    void mergeRunTextsStringByX(std::int32_t option);
    // Cuts the runs (sorted by left edge) into the columns of the row.
    void creatTempColumnsByX();
    // The row-first cut below a page row: sort, join, cut into columns, and cut each column on.
    void creatTempCell1(std::int32_t option);
    // The column-first cut below a row: sort, cut into columns, and cut each column into rows.
    void creatTempCell2();
    // The innermost level of the row-first cut: sort and cut into columns.
    void creatCell();
    // The runs of the leaves under the row, depth first.
    void collectAllRunTexts(RunList& into) const;
    // The largest number of rows among the row's columns, at least 1.
    std::size_t maxNumSubRows() const;

private:
    RunList runTexts_;
    std::vector<std::unique_ptr<KXExcelTempColumn>> tempCells_;
};
