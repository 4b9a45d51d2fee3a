#pragma once
// The one worksheet that holds every page when all pages go into one sheet: each finished page is
// added below the rows collected so far (stacked) or to the right of the columns collected so far
// (side by side), shifted by the highest row or column number collected, so that no cell
// reference repeats. Stacked rows never meet again and wait, written, in a file of the work folder;
// side-by-side rows share row numbers and are kept as their written values until the sheet is
// written. Columns and merged ranges are kept.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "xlsx/KXExcelColumn.h"
#include "xlsx/KXMergedCell.h"

class KXExcelPage;
class XMLFileWriter;

class KXExcelAIOSWriter {
public:
    // Stacked rows wait in the file at `rowsPath` (made on the first page stacked).
    explicit KXExcelAIOSWriter(std::string rowsPath);
    ~KXExcelAIOSWriter();
    KXExcelAIOSWriter(const KXExcelAIOSWriter&) = delete;
    KXExcelAIOSWriter& operator=(const KXExcelAIOSWriter&) = delete;

    // Columns in ascending order, without their cells.
    const std::vector<KXExcelColumn>& columns() const { return columns_; }
    const std::vector<KXMergedCell>& mergeCells() const { return mergeCells_; }
    std::uint64_t highestRow() const { return highestRow_; }
    std::uint64_t highestColumn() const { return highestColumn_; }
    // A file of the collector could not be written.
    bool hasFailed() const { return failed_; }

    // The page's rows below the rows collected so far; a column number already collected keeps the
    // larger width.
    void collectPageXMLToRow(KXExcelPage& page);
    // The page's columns right of the columns collected so far; a row number already collected
    // takes the page row's cells after its own and the larger height.
    void collectPageXMLToColumn(KXExcelPage& page);
    // The whole worksheet part, its views tab-selected; false when the stacked rows could not be
    // read back.
    bool writeSheetXML(XMLFileWriter& writer);

private:
    struct Cell {
        std::uint64_t column = 0;
        std::uint32_t styleIndex = 0;
        std::string dataType;
        std::string cellValue;
    };
    struct Row {
        double height = 0;
        bool customHeight = true;
        std::vector<Cell> cells;
    };
    // A copy of the column (without its cells) moved by `shift`; an equal number already kept takes
    // the larger width when `keepWider`.
    void keepColumn(const KXExcelColumn& column, std::uint64_t shift, bool keepWider);

    std::string rowsPath_;
    std::unique_ptr<XMLFileWriter> rowsWriter_;
    std::map<std::uint64_t, Row> rows_;
    std::vector<KXExcelColumn> columns_;
    std::vector<KXMergedCell> mergeCells_;
    std::uint64_t highestRow_ = 0;
    std::uint64_t highestColumn_ = 0;
    bool failed_ = false;
};
