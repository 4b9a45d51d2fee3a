#include "xlsx/KXExcelAIOSWriter.h"

#include <algorithm>
#include <cstdio>

#include "ooxml/XMLFileWriter.h"
#include "xlsx/ExcelSheetXML_p.h"
#include "xlsx/KXExcelCell.h"
#include "xlsx/KXExcelPage.h"
#include "xlsx/KXExcelRow.h"
#include "xlsx/KXExcelStringItem.h"
#include "xlsx/KXExcelUtilities.h"

KXExcelAIOSWriter::KXExcelAIOSWriter(std::string rowsPath) : rowsPath_(std::move(rowsPath)) {}

KXExcelAIOSWriter::~KXExcelAIOSWriter() = default;

void KXExcelAIOSWriter::keepColumn(const KXExcelColumn& column, std::uint64_t shift, bool keepWider) {
    const std::uint64_t index = column.columnIndex() + shift;
    auto at = std::lower_bound(columns_.begin(), columns_.end(), index,
                               [](const KXExcelColumn& c, std::uint64_t i) { return c.columnIndex() < i; });
    if (keepWider && at != columns_.end() && at->columnIndex() == index) {
        at->setWidth(std::max(at->frame().width(), column.frame().width()));
        return;
    }
    KXExcelColumn kept;
    kept.setColumnIndex(index);
    kept.setCustomWidth(column.customWidth());
    kept.setFrame(column.frame());
    columns_.insert(at, std::move(kept));
}

void KXExcelAIOSWriter::collectPageXMLToRow(KXExcelPage& page) {
    const std::uint64_t shift = highestRow_;
    for (const KXExcelColumn& column : page.columns()) {
        keepColumn(column, 0, true);
        highestColumn_ = std::max(highestColumn_, column.columnIndex());
    }
    if (!page.sheetRows().empty() && !rowsWriter_ && !failed_) {
        rowsWriter_ = XMLFileWriter::initWithPath(rowsPath_);
        if (rowsWriter_) {
            rowsWriter_->setLineBreak("");
            rowsWriter_->setIndentation("");
        } else {
            failed_ = true;
        }
    }
    for (KXExcelRow& row : page.sheetRows()) {
        row.setRowIndex(row.rowIndex() + shift);
        highestRow_ = std::max(highestRow_, row.rowIndex());
        if (rowsWriter_ && row.rowIndex() <= KXExcelUtilities::kMaxRows) row.writeXML(*rowsWriter_);
    }
    if (rowsWriter_ && rowsWriter_->hasWriteError()) failed_ = true;
    for (KXMergedCell range : page.mergeCells()) {
        range.start().setR(range.start().r() + shift);
        range.end().setR(range.end().r() + shift);
        highestRow_ = std::max(highestRow_, range.end().r());
        mergeCells_.push_back(range);
    }
}

void KXExcelAIOSWriter::collectPageXMLToColumn(KXExcelPage& page) {
    const std::uint64_t shift = highestColumn_;
    for (const KXExcelColumn& column : page.columns()) {
        highestColumn_ = std::max(highestColumn_, column.columnIndex() + shift);
        keepColumn(column, shift, false);
    }
    for (const KXExcelRow& row : page.sheetRows()) {
        auto [it, added] = rows_.try_emplace(row.rowIndex());
        Row& kept = it->second;
        kept.height = added ? row.frame().height() : std::max(kept.height, row.frame().height());
        if (added) kept.customHeight = row.customHeight();
        highestRow_ = std::max(highestRow_, row.rowIndex());
        for (const auto& cell : row.cells()) {
            const KXExcelStringItem& item = *cell->stringItem();
            kept.cells.push_back({item.columnIndex() + shift, cell->styleIndex(), cell->dataType(), cell->cellValue()});
        }
    }
    for (KXMergedCell range : page.mergeCells()) {
        range.start().setC(range.start().c() + shift);
        range.end().setC(range.end().c() + shift);
        highestColumn_ = std::max(highestColumn_, range.end().c());
        mergeCells_.push_back(range);
    }
}

bool KXExcelAIOSWriter::writeSheetXML(XMLFileWriter& w) {
    kx::detail::writeWorksheetStart(w, true);
    kx::detail::writeWorksheetColumns(w, columns_);
    w.writeStartElement("sheetData");
    bool ok = !failed_;
    if (rowsWriter_) {
        rowsWriter_->writeEndDocument();
        ok = ok && !rowsWriter_->hasWriteError();
        rowsWriter_.reset();
        if (std::FILE* f = std::fopen(rowsPath_.c_str(), "rb")) {
            std::string chunk(1 << 20, '\0');
            size_t n = 0;
            while ((n = std::fread(chunk.data(), 1, chunk.size(), f)) > 0) w.writeRaw(std::string_view(chunk.data(), n));
            ok = ok && !std::ferror(f);
            std::fclose(f);
        } else {
            ok = false;
        }
        std::remove(rowsPath_.c_str());
    }
    for (const auto& [index, row] : rows_) {
        if (index < 1 || index > KXExcelUtilities::kMaxRows) continue;
        KXExcelRow::writeRowStart(w, index, row.height, row.customHeight);
        for (const Cell& c : row.cells)
            if (c.column >= 1 && c.column <= KXExcelUtilities::kMaxColumns)
                KXExcelCell::writeXML(w, index, c.column, c.styleIndex, c.dataType, c.cellValue);
        w.writeEndElement();
    }
    w.writeEndElement();
    kx::detail::writeWorksheetMergeCells(w, mergeCells_);
    kx::detail::writeWorksheetEnd(w, {});
    return ok;
}
