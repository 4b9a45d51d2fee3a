#include "xlsx/KXExcelPage.h"

#include <algorithm>
#include <limits>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "ooxml/XMLFileWriter.h"
#include "xlsx/ExcelSheetXML_p.h"
#include "xlsx/KXExcelCell.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelNumber.h"
#include "xlsx/KXExcelRunText.h"
#include "xlsx/KXExcelStringItem.h"
#include "xlsx/KXExcelTempColumn.h"
#include "xlsx/KXExcelTempRow.h"
#include "xlsx/KXExcelUtilities.h"

namespace {

// A row or a column holds at least this much, in points.
constexpr double kMinRowHeight = 13.5;
constexpr double kMinColumnWidth = 20.0;

std::uint64_t cellKey(std::uint64_t row, std::uint64_t column) { return (row << 32) ^ column; }

}  // namespace

KXExcelPage::KXExcelPage(std::uint64_t pageNumber) : pageNumber_(pageNumber) {}

KXExcelPage::~KXExcelPage() = default;

KXExcelRunText& KXExcelPage::addRunText(std::unique_ptr<KXExcelRunText> run) {
    runs_.push_back(std::move(run));
    allRunTextArray_.push_back(runs_.back().get());
    return *runs_.back();
}

std::vector<std::shared_ptr<KXExcelStringItem>> KXExcelPage::getStringItemsFromRuns(const RunList& runs) {
    std::vector<std::shared_ptr<KXExcelStringItem>> items;
    std::unordered_map<std::uint64_t, size_t> byCell;
    for (KXExcelRunText* r : runs) {
        auto [it, added] = byCell.emplace(cellKey(r->rowIndex(), r->columnIndex()), items.size());
        if (added) {
            auto item = std::make_shared<KXExcelStringItem>();
            item->setRowIndex(r->rowIndex());
            item->setColumnIndex(r->columnIndex());
            items.push_back(std::move(item));
        }
        items[it->second]->runArray().push_back(r);
    }
    std::erase_if(items, [](const std::shared_ptr<KXExcelStringItem>& item) {
        return std::all_of(item->runArray().begin(), item->runArray().end(),
                           [](const KXExcelRunText* r) { return KXExcelManager::isBlankSpace(r->text()); });
    });
    return items;
}

bool KXExcelPage::valideNumbers(KXExcelRunText& run, KXExcelCell& cell) {
    KXExcelManager& manager = KXExcelManager::sharedInstance();
    KXExcelNumber number(run.text());
    if (!number.isNumber()) return true;
    const kx::Rect box = cell.stringItem() ? cell.stringItem()->itemInfo().textBoxRect() : run.frame();
    const std::uint32_t fill = manager.excelStyle().getFillIdWithCellFrame(box);
    cell.setCellValue(number.readNumber().value_or("0"));
    cell.setDataType("n");
    cell.setStyleIndex(manager.styleIndexFrom(run, number, fill));
    return false;
}

std::shared_ptr<KXExcelCell> KXExcelPage::createCellWithStringItem(const std::shared_ptr<KXExcelStringItem>& item) {
    if (!item) return nullptr;
    KXExcelManager& manager = KXExcelManager::sharedInstance();
    auto cell = std::make_shared<KXExcelCell>();
    cell->setStringItem(item);
    if (manager.isNeedValidNumbers() && item->runArray().size() == 1 && !valideNumbers(*item->runArray().front(), *cell))
        return cell;
    stringItems_.push_back(item);
    manager.setAmountOfStringItems(manager.amountOfStringItems() + 1);
    cell->setCellValue(std::to_string(manager.amountOfStringItems() - 1));
    cell->setIsText(true);
    return cell;
}

kx::Rect KXExcelPage::getCellFrame(const KXExcelCell& cell, const std::vector<KXExcelColumn>& columns) {
    const KXExcelStringItem& item = *cell.stringItem();
    const std::uint64_t first = item.columnIndex(), last = first + item.columnLength();
    double x = 0, width = 0;
    bool found = false;
    for (const KXExcelColumn& c : columns) {
        if (!found && c.columnIndex() == first) {
            x = c.frame().minX();
            found = true;
        }
        if (c.columnIndex() >= first && c.columnIndex() <= last) width += c.frame().width();
    }
    return {x, 0, width, 0};
}

void KXExcelPage::creatSheet() {
    typesetRunTexts();
    KXExcelManager& manager = KXExcelManager::sharedInstance();
    const bool merge = manager.isNeedMergeCells();
    std::vector<std::shared_ptr<KXExcelStringItem>> items = getStringItemsFromRuns(allRunTextArray_);

    std::vector<std::shared_ptr<KXExcelCell>> cells;
    std::vector<KXMergedCell> ranges;
    // Cells under a merged range: a range that would take one a range already has is dropped (the
    // span pass keeps ranges off cells that hold text, but two ranges can still reach into one
    // free cell).
    std::unordered_set<std::uint64_t> merged;
    std::uint64_t maxRow = 0, maxColumn = 0;
    for (const auto& item : items) {
        item->calculatStringItemInfo();
        maxRow = std::max(maxRow, item->rowIndex());
        maxColumn = std::max(maxColumn, item->columnIndex());
        if (merge && (item->rowLength() != 0 || item->columnLength() != 0)) {
            KXMergedCell range(KXPointMake(item->rowIndex(), item->columnIndex()),
                               KXPointMake(item->rowIndex() + item->rowLength(),
                                           item->columnIndex() + item->columnLength()));
            bool crosses = false;
            for (std::uint64_t r = range.start().r(); r <= range.end().r() && !crosses; ++r)
                for (std::uint64_t c = range.start().c(); c <= range.end().c() && !crosses; ++c)
                    crosses = merged.count(cellKey(r, c)) != 0;
            if (crosses) {
                item->setRowLength(0);
                item->setColumnLength(0);
            } else {
                for (std::uint64_t r = range.start().r(); r <= range.end().r(); ++r)
                    for (std::uint64_t c = range.start().c(); c <= range.end().c(); ++c) merged.insert(cellKey(r, c));
                ranges.push_back(range);
            }
        }
        cells.push_back(createCellWithStringItem(item));
    }

    sheetRows_.clear();
    columns_.clear();
    mergeCells_.clear();
    if (maxRow == 0 && maxColumn == 0) return;

    // Rows: the cells of each row number, left to right.
    std::map<std::uint64_t, std::vector<std::shared_ptr<KXExcelCell>>> byRow;
    std::map<std::uint64_t, std::vector<std::shared_ptr<KXExcelCell>>> byColumn;
    for (const auto& cell : cells) {
        byRow[cell->stringItem()->rowIndex()].push_back(cell);
        byColumn[cell->stringItem()->columnIndex()].push_back(cell);
    }
    for (auto& [index, rowCells] : byRow) {
        std::stable_sort(rowCells.begin(), rowCells.end(), [](const auto& a, const auto& b) {
            return a->stringItem()->columnIndex() < b->stringItem()->columnIndex();
        });
        double top = std::numeric_limits<double>::max(), bottom = 0.0;
        for (const auto& cell : rowCells) {
            const KXExcelStringItem& item = *cell->stringItem();
            top = std::min(top, item.itemInfo().displayY);
            if (item.rowLength() == 0)
                bottom = std::max(bottom, item.itemInfo().displayY + item.itemInfo().displayHeight);
        }
        KXExcelRow row;
        row.setRowIndex(index);
        row.cells() = rowCells;
        row.setFrame(kx::Rect(0, top, 0, std::max(bottom - top, kMinRowHeight)));
        sheetRows_.push_back(std::move(row));
    }
    for (auto& [index, columnCells] : byColumn) {
        double left = std::numeric_limits<double>::max(), right = 0.0;
        double widest = 0.0, fontSize = 12.0;
        for (const auto& cell : columnCells) {
            const KXExcelStringItem& item = *cell->stringItem();
            left = std::min(left, item.itemInfo().displayX);
            if (item.columnLength() == 0)
                right = std::max(right, item.itemInfo().displayX + item.itemInfo().displayWidth);
            if (!merge && item.itemInfo().displayWidth > widest) {
                widest = item.itemInfo().displayWidth;
                fontSize = std::max(fontSize, item.maxFontSize());
            }
        }
        double width = std::max(right - left, kMinColumnWidth);
        if (!merge) width = std::max(12.0 / fontSize * width, kMinColumnWidth);
        KXExcelColumn column;
        column.setColumnIndex(index);
        column.cells() = columnCells;
        column.setFrame(kx::Rect(left, 0, width, 0));
        columns_.push_back(std::move(column));
    }
    for (const auto& cell : cells)
        if (cell->isText()) cell->setStyleIndex(manager.getStyleIndexCellFrame(*cell->stringItem(), getCellFrame(*cell, columns_)));
    if (!merge) {
        // Without merged ranges the empty rows and columns go: rows and columns count from 1.
        for (size_t i = 0; i < sheetRows_.size(); ++i) sheetRows_[i].setRowIndex(i + 1);
        for (size_t i = 0; i < columns_.size(); ++i) columns_[i].setColumnIndex(i + 1);
    }
    mergeCells_ = std::move(ranges);
}

void KXExcelPage::writeSheetXML(XMLFileWriter& w, bool tabSelected) const {
    kx::detail::writeWorksheetStart(w, tabSelected);
    kx::detail::writeWorksheetColumns(w, columns_);
    w.writeStartElement("sheetData");
    for (const KXExcelRow& row : sheetRows_)
        if (row.rowIndex() >= 1 && row.rowIndex() <= KXExcelUtilities::kMaxRows) row.writeXML(w);
    w.writeEndElement();
    kx::detail::writeWorksheetMergeCells(w, mergeCells_);
    kx::detail::writeWorksheetEnd(w, pageMargin_);
}

namespace {

// Whether a field must be quoted: it holds the tab that separates fields, a line end, a quote, or
// one of the separators other readers take for one.
bool needsQuotes(std::u16string_view field) { return field.find_first_of(u"\t\r\n\";,") != std::u16string_view::npos; }

}  // namespace

std::optional<std::u16string> KXExcelPage::creatCSV() {
    typesetRunTexts();
    std::vector<std::shared_ptr<KXExcelStringItem>> items = getStringItemsFromRuns(allRunTextArray_);
    std::uint64_t maxRow = 0;
    for (const auto& item : items) maxRow = std::max(maxRow, item->rowIndex());
    if (items.empty() || maxRow == 0) return std::nullopt;
    std::vector<std::vector<const KXExcelStringItem*>> rows(maxRow + 1);
    for (const auto& item : items) rows[item->rowIndex()].push_back(item.get());
    std::u16string text;
    for (std::uint64_t r = 1; r <= maxRow; ++r) {
        std::stable_sort(rows[r].begin(), rows[r].end(), [](const KXExcelStringItem* a, const KXExcelStringItem* b) {
            return a->columnIndex() < b->columnIndex();
        });
        std::uint64_t previous = 1;
        for (const KXExcelStringItem* item : rows[r]) {
            std::u16string field = item->content();
            if (needsQuotes(field)) {
                std::u16string quoted = u"\"";
                for (char16_t c : field) {
                    if (c == u'"') quoted += u'"';
                    quoted += c;
                }
                quoted += u'"';
                field = std::move(quoted);
            }
            if (item->columnIndex() > previous) text.append(item->columnIndex() - previous, u'\t');
            text += field;
            previous = item->columnIndex();
        }
        text += u'\n';
    }
    return text;
}
