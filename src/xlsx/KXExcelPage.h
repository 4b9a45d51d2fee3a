#pragma once
// One page of a spreadsheet conversion: the runs the capture collects, the grid layout that gives
// each run its row and column and how far it reaches into further rows and columns, and what the
// page becomes at its end: a worksheet model (cells, rows, columns and merged ranges, written as a
// worksheet part or handed to the one-sheet collector) or the page's CSV text.
//
// The layout is two recursive cuts of fixed depth over the same runs. The row-first cut (rows,
// columns, rows, columns) also joins runs that make one line or one cell, and numbers the rows; the
// column-first cut (columns, rows, columns, rows) numbers the columns. A correction pass moves stray
// runs one column to the right, and a span pass measures how far each run reaches.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "xlsx/KXExcelColumn.h"
#include "xlsx/KXExcelPageMargin.h"
#include "xlsx/KXExcelRow.h"
#include "xlsx/KXMergedCell.h"

class KXExcelCell;
class KXExcelRunText;
class KXExcelStringItem;
class KXExcelTempColumn;
class KXExcelTempRow;
class XMLFileWriter;

class KXExcelPage {
public:
    using RunList = std::vector<KXExcelRunText*>;

    explicit KXExcelPage(std::uint64_t pageNumber);
    ~KXExcelPage();
    KXExcelPage(const KXExcelPage&) = delete;
    KXExcelPage& operator=(const KXExcelPage&) = delete;

    // 1-based number of the page among the converted pages.
    std::uint64_t pageNumber() const { return pageNumber_; }
    // The capture adds text only while this is set.
    bool isCollectingRunText() const { return isCollectingRunText_; }
    void setIsCollectingRunText(bool v) { isCollectingRunText_ = v; }

    // The page's runs; the layout replaces them by the runs that survive joining.
    const RunList& allRunTextArray() const { return allRunTextArray_; }
    RunList& allRunTextArray() { return allRunTextArray_; }
    // Appends a run that the page keeps for its lifetime.
    KXExcelRunText& addRunText(std::unique_ptr<KXExcelRunText> run);

    const std::vector<KXExcelColumn>& columns() const { return columns_; }
    std::vector<KXExcelColumn>& columns() { return columns_; }
    const std::vector<KXExcelRow>& sheetRows() const { return sheetRows_; }
    std::vector<KXExcelRow>& sheetRows() { return sheetRows_; }
    const std::vector<KXMergedCell>& mergeCells() const { return mergeCells_; }
    std::vector<KXMergedCell>& mergeCells() { return mergeCells_; }
    // The texts that became text cells, in shared-string order.
    std::vector<std::shared_ptr<KXExcelStringItem>>& stringItems() { return stringItems_; }
    const std::vector<std::unique_ptr<KXExcelTempRow>>& allTempRowArray() const { return allTempRowArray_; }
    const std::vector<std::unique_ptr<KXExcelTempColumn>>& allTempColumnArray() const { return allTempColumnArray_; }
    // The page as shown, in points.
    kx::Size pageSize() const { return pageSize_; }
    void setPageSize(kx::Size size) { pageSize_ = size; }
    const KXExcelPageMargin& pageMargin() const { return pageMargin_; }
    void setPageMargin(const KXExcelPageMargin& m) { pageMargin_ = m; }

    // ---- Grid layout ----

    // The whole layout: the page's reading frame, sorts, the row-first cut with its joins, the
    // column-first cut, the row and column numbers, the column correction and the spans.
    void typesetRunTexts();
    // Runs of text turned a quarter (rotation 90 or 270) stand in the frame turned with them. The
    // frame of most of the page's text becomes the page's: a table set sideways is laid out as it
    // reads, and the runs of the other frames are brought into it.
    void orientRunTexts();
    void sortAllRunTextsByX();
    void sortAllRunTextsByY();
    void creatTempRowsByY();
    void creatTempColumnsByX();
    static RunList collectAllRunTextsInArray(const std::vector<std::unique_ptr<KXExcelTempRow>>& rows);
    void caculateRowNumber();
    void caculateColumnNumber();
    // One pass of moving the runs that stand out past the next column group into it; again, with
    // fresh groups, while a pass changes something, at most 21 passes.
    void correctColumnNumber(int depth);
    // How far each run reaches into the rows below and the columns to its right, through cells that
    // no run holds: a range grows by a whole row or column of free cells or not at all.
    void caculateRunTextMergeLength();
    // Whether the runs of a list lie on different lines (a baseline more than 1 from the first's).
    static bool isRowsInRunTexts(const RunList& runs);
    // The first run at exactly that row and column.
    KXExcelRunText* runTextAtRow(std::uint64_t row, std::uint64_t column) const;

    // ---- Cell texts ----

    // The runs gathered by cell (row and column), in the order of the list; cells whose runs are all
    // blank are left out.
    static std::vector<std::shared_ptr<KXExcelStringItem>> getStringItemsFromRuns(const RunList& runs);

    // ---- The worksheet ----

    // Lays out the page and builds its cells (text and number cells, their formats), rows and
    // columns (heights and widths) and merged ranges.
    void creatSheet();
    // A cell of the text: a number cell when the state recognises numbers and the text is one run
    // that reads as a number, else a text cell whose text joins the shared strings.
    std::shared_ptr<KXExcelCell> createCellWithStringItem(const std::shared_ptr<KXExcelStringItem>& item);
    // Makes the cell a number cell when the run reads as a number: false then, true otherwise.
    bool valideNumbers(KXExcelRunText& run, KXExcelCell& cell);
    // x = the left edge of the cell's first column, width = the widths of the columns it spans.
    static kx::Rect getCellFrame(const KXExcelCell& cell, const std::vector<KXExcelColumn>& columns);
    // The worksheet part; `tabSelected` for the workbook's first sheet.
    void writeSheetXML(XMLFileWriter& writer, bool tabSelected) const;

    // ---- CSV ----

    // The page's table as text: one line per row, fields separated by tabs, each at its column;
    // none when the page has no cell.
    std::optional<std::u16string> creatCSV();

private:
    std::uint64_t pageNumber_ = 0;
    bool isCollectingRunText_ = true;
    std::vector<std::unique_ptr<KXExcelRunText>> runs_;  // every run the page made
    RunList allRunTextArray_;
    std::vector<std::unique_ptr<KXExcelTempRow>> allTempRowArray_;
    std::vector<std::unique_ptr<KXExcelTempColumn>> allTempColumnArray_;
    std::vector<KXExcelColumn> columns_;
    std::vector<KXExcelRow> sheetRows_;
    std::vector<KXMergedCell> mergeCells_;
    std::vector<std::shared_ptr<KXExcelStringItem>> stringItems_;
    KXExcelPageMargin pageMargin_;
    kx::Size pageSize_;
};
