// The grid layout of a spreadsheet page.

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "capture/OverprintedRuns.h"
#include "xlsx/ExcelLayout_p.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelPage.h"
#include "xlsx/KXExcelRunText.h"
#include "xlsx/KXExcelSortUtilities.h"
#include "xlsx/KXExcelTempColumn.h"
#include "xlsx/KXExcelTempRow.h"

using RunList = KXExcelPage::RunList;

namespace {

// The runs grouped by a key, the groups in the order of their first run.
template <class Key>
std::vector<RunList> groupedBy(const RunList& runs, Key key) {
    std::vector<RunList> groups;
    std::unordered_map<std::uint64_t, size_t> index;
    for (KXExcelRunText* r : runs) {
        auto [it, added] = index.emplace(key(r), groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(r);
    }
    return groups;
}

// ---- Row numbers over the row-first cut (page rows, columns, rows, columns) ----
// A list of rows lies one below the other: each row starts below everything numbered above it. The
// columns of a row lie side by side: each starts at the row's index, and the row ends below the
// deepest of them. A leaf's runs share its index when they stand on one line, and otherwise take
// one index each, from its last run to its first.

void numberLeafRows(const RunList& runs, std::uint64_t& maxIndex, std::uint64_t start) {
    if (runs.empty()) return;
    const bool differentLines = KXExcelPage::isRowsInRunTexts(runs);
    std::uint64_t current = start;
    for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
        (*it)->setRowIndex(current);
        if (differentLines) {
            ++current;
            maxIndex = std::max(maxIndex, current);
        } else {
            maxIndex = std::max(maxIndex, current + 1);
        }
    }
}

void numberRowsSideBySide(const std::vector<std::unique_ptr<KXExcelTempColumn>>& columns, std::uint64_t& maxIndex,
                          std::uint64_t start);

void numberRowsDownwards(const std::vector<std::unique_ptr<KXExcelTempRow>>& rows, std::uint64_t& maxIndex,
                         std::uint64_t start) {
    std::uint64_t current = start;
    for (const auto& row : rows) {
        if (row->isLeaf())
            numberLeafRows(row->runTexts(), maxIndex, current);
        else
            numberRowsSideBySide(row->tempCells(), maxIndex, current);
        current = maxIndex;
    }
}

void numberRowsSideBySide(const std::vector<std::unique_ptr<KXExcelTempColumn>>& columns, std::uint64_t& maxIndex,
                          std::uint64_t start) {
    const std::uint64_t atEntry = maxIndex;
    std::uint64_t deepest = maxIndex;
    for (const auto& column : columns) {
        std::uint64_t own = atEntry;
        if (column->isLeaf())
            numberLeafRows(column->runTexts(), own, start);
        else
            numberRowsDownwards(column->tempRows(), own, start);
        deepest = std::max(deepest, own);
    }
    maxIndex = std::max(maxIndex, deepest);
}

// ---- Column numbers over the column-first cut (page columns, rows, columns, rows) ----
// Side by side, each part starts right of everything numbered left of it; the rows of a part lie
// one below the other, each starting at the part's index; every run of a leaf row takes a column
// of its own.

void numberLeafColumns(const RunList& runs, std::uint64_t& maxIndex, std::uint64_t start) {
    std::uint64_t current = start;
    for (KXExcelRunText* r : runs) {
        r->setColumnIndex(current);
        ++current;
        maxIndex = std::max(maxIndex, current);
    }
}

void numberColumnsDownwards(const std::vector<std::unique_ptr<KXExcelTempRow>>& rows, std::uint64_t& maxIndex,
                            std::uint64_t start);

void numberColumnsSideBySide(const std::vector<std::unique_ptr<KXExcelTempColumn>>& columns, std::uint64_t& maxIndex,
                             std::uint64_t start) {
    std::uint64_t current = start;
    for (const auto& column : columns) {
        if (column->isLeaf())
            numberLeafColumns(column->runTexts(), maxIndex, current);
        else
            numberColumnsDownwards(column->tempRows(), maxIndex, current);
        current = maxIndex;
    }
}

void numberColumnsDownwards(const std::vector<std::unique_ptr<KXExcelTempRow>>& rows, std::uint64_t& maxIndex,
                            std::uint64_t start) {
    const std::uint64_t atEntry = maxIndex;
    std::uint64_t widest = maxIndex;
    for (const auto& row : rows) {
        std::uint64_t own = atEntry;
        if (row->isLeaf())
            numberLeafColumns(row->runTexts(), own, start);
        else
            numberColumnsSideBySide(row->tempCells(), own, start);
        widest = std::max(widest, own);
    }
    maxIndex = std::max(maxIndex, widest);
}

std::uint64_t cellKey(std::uint64_t row, std::uint64_t column) { return (row << 32) ^ column; }

}  // namespace

void KXExcelPage::sortAllRunTextsByX() { allRunTextArray_ = KXExcelSortUtilities::SortRunTextsByX(allRunTextArray_); }
void KXExcelPage::sortAllRunTextsByY() { allRunTextArray_ = KXExcelSortUtilities::SortRunTextsByY(allRunTextArray_); }

void KXExcelPage::creatTempRowsByY() {
    allTempRowArray_.clear();
    for (RunList& band : kx::detail::bandsByY(allRunTextArray_))
        allTempRowArray_.push_back(std::make_unique<KXExcelTempRow>(std::move(band)));
}

void KXExcelPage::creatTempColumnsByX() {
    allTempColumnArray_.clear();
    for (RunList& band : kx::detail::bandsByX(allRunTextArray_))
        allTempColumnArray_.push_back(std::make_unique<KXExcelTempColumn>(std::move(band)));
}

RunList KXExcelPage::collectAllRunTextsInArray(const std::vector<std::unique_ptr<KXExcelTempRow>>& rows) {
    RunList runs;
    for (const auto& row : rows) row->collectAllRunTexts(runs);
    return runs;
}

void KXExcelPage::typesetRunTexts() {
    // Text drawn over itself is read once (a block of the page drawn again at its place came out
    // twice over in its cells).
    kx::dropOverprintedRuns(
        allRunTextArray_, [](const KXExcelRunText* r) -> const std::u16string& { return r->text(); },
        [](const KXExcelRunText* r) { return kx::Point{r->ctmInfo().xLeft, r->ctmInfo().yBase}; },
        [](const KXExcelRunText* r) { return r->textWidth(); },
        [](const KXExcelRunText* first, const KXExcelRunText* other) {
            if (first->ctmInfo().rotation != other->ctmInfo().rotation || first->ctmInfo().flip != other->ctmInfo().flip)
                return false;
            KXExcelRunTextProperty style = other->rPr();
            style.setRgbColor(first->rPr().rgbColor());
            return first->rPr().isEqualToRPr(style);
        });
    for (KXExcelRunText* r : allRunTextArray_) {
        r->setRowIndex(0);
        r->setColumnIndex(0);
        r->setRowLength(0);
        r->setColumnLength(0);
    }
    // The capture measured text turned a quarter in its own frame: before any cut, every run stands
    // in the page's one frame.
    orientRunTexts();
    sortAllRunTextsByX();
    sortAllRunTextsByY();
    creatTempRowsByY();
    const std::int32_t option = KXExcelManager::sharedInstance().OverlapTextOption();
    for (auto& row : allTempRowArray_) row->creatTempCell1(option);
    allRunTextArray_ = collectAllRunTextsInArray(allTempRowArray_);
    sortAllRunTextsByY();
    sortAllRunTextsByX();
    creatTempColumnsByX();
    for (auto& column : allTempColumnArray_) column->creatTempRow2();
    caculateRowNumber();
    caculateColumnNumber();
    correctColumnNumber(0);
    caculateRunTextMergeLength();
}

void KXExcelPage::orientRunTexts() {
    auto frameOf = [](const KXExcelRunText* r) {
        const float rotation = r->ctmInfo().rotation;
        return rotation == 90 || rotation == 270 ? static_cast<int>(rotation) : 0;
    };
    std::unordered_map<int, std::uint64_t> characters;
    for (const KXExcelRunText* r : allRunTextArray_) characters[frameOf(r)] += r->text().size();
    int page = 0;
    for (int frame : {0, 90, 270})
        if (characters[frame] > characters[page]) page = frame;
    const kx::AffineTransform into = kx::detail::readingFrame(page, pageSize_);
    for (KXExcelRunText* r : allRunTextArray_) {
        const int own = frameOf(r);
        if (own == page) continue;
        // From the run's frame back to the page as shown, then into the page's frame. The run's
        // text reads across that frame: its baseline is taken at four fifths of its height.
        const kx::AffineTransform move = kx::detail::readingFrame(own, pageSize_).inverted().concat(into);
        KXPDF_CTMInfo g = r->ctmInfo();
        const kx::Rect box = move.apply(kx::Rect(g.xLeft, g.yTop, g.xRight - g.xLeft, g.yBottom - g.yTop)).standardized();
        g.xLeft = box.minX();
        g.xRight = box.maxX();
        g.yTop = box.minY();
        g.yBottom = box.maxY();
        g.yBase = box.minY() + 0.8 * box.height();
        r->setCtmInfo(g);
        r->setTextWidth(box.width());
    }
}

bool KXExcelPage::isRowsInRunTexts(const RunList& runs) {
    if (runs.empty()) return false;
    const double base = runs.front()->ctmInfo().yBase;
    return std::any_of(runs.begin(), runs.end(),
                       [base](const KXExcelRunText* r) { return std::fabs(r->ctmInfo().yBase - base) > 1.0; });
}

void KXExcelPage::caculateRowNumber() {
    std::uint64_t maxIndex = 0;
    numberRowsDownwards(allTempRowArray_, maxIndex, 1);
}

void KXExcelPage::caculateColumnNumber() {
    std::uint64_t maxIndex = 0;
    numberColumnsSideBySide(allTempColumnArray_, maxIndex, 1);
}

void KXExcelPage::correctColumnNumber(int depth) {
    // Groups of one column index, in the order of their leftmost runs.
    const RunList byLeft =
        KXExcelSortUtilities::SortRunTextsByX(KXExcelSortUtilities::SortRunTextsByY(allRunTextArray_));
    const std::vector<RunList> groups = groupedBy(byLeft, [](const KXExcelRunText* r) { return r->columnIndex(); });
    if (groups.size() < 2) return;
    // A run moves only into a cell of its row that no run holds: two texts that the page shows apart
    // never end up in one cell.
    std::unordered_map<std::uint64_t, int> taken;
    for (const KXExcelRunText* r : allRunTextArray_) ++taken[cellKey(r->rowIndex(), r->columnIndex())];
    bool changed = false;
    for (size_t g = 0; g + 1 < groups.size(); ++g) {
        const double minRight = KXExcelSortUtilities::GetMinxRightInRunTexts(groups[g]);
        const double maxLeft = KXExcelSortUtilities::GetMaxxLeftInRunTexts(groups[g]);
        const double nextLeft = KXExcelSortUtilities::GetMinxLeftInRunTexts(groups[g + 1]);
        for (KXExcelRunText* r : groups[g]) {
            const double left = r->ctmInfo().xLeft;
            if (!(left >= maxLeft && left + 0.5 * r->textWidth() > nextLeft && left > minRight)) continue;
            const std::uint64_t to = cellKey(r->rowIndex(), r->columnIndex() + 1);
            if (taken.count(to) && taken[to] > 0) continue;
            --taken[cellKey(r->rowIndex(), r->columnIndex())];
            ++taken[to];
            r->setColumnIndex(r->columnIndex() + 1);
            changed = true;
        }
    }
    if (changed && depth <= 19) correctColumnNumber(depth + 1);
}

KXExcelRunText* KXExcelPage::runTextAtRow(std::uint64_t row, std::uint64_t column) const {
    for (KXExcelRunText* r : allRunTextArray_)
        if (r->rowIndex() == row && r->columnIndex() == column) return r;
    return nullptr;
}

void KXExcelPage::caculateRunTextMergeLength() {
    const RunList byTop =
        KXExcelSortUtilities::SortRunTextsByY(KXExcelSortUtilities::SortRunTextsByX(allRunTextArray_));
    std::vector<float> rowTops;
    for (const RunList& g : groupedBy(byTop, [](const KXExcelRunText* r) { return r->rowIndex(); }))
        rowTops.push_back(static_cast<float>(KXExcelSortUtilities::GetMinxTopInRunTexts(g)));
    const RunList byLeft =
        KXExcelSortUtilities::SortRunTextsByX(KXExcelSortUtilities::SortRunTextsByY(allRunTextArray_));
    std::vector<float> colLefts;
    for (const RunList& g : groupedBy(byLeft, [](const KXExcelRunText* r) { return r->columnIndex(); }))
        colLefts.push_back(static_cast<float>(KXExcelSortUtilities::GetMinxLeftInRunTexts(g)));

    // The cells that hold a run.
    std::unordered_map<std::uint64_t, char> taken;
    for (const KXExcelRunText* r : allRunTextArray_) taken.emplace(cellKey(r->rowIndex(), r->columnIndex()), 1);
    auto free = [&taken](std::uint64_t row, std::uint64_t column) { return !taken.count(cellKey(row, column)); };

    for (KXExcelRunText* r : allRunTextArray_) {
        const std::uint64_t row = r->rowIndex(), column = r->columnIndex();
        // Downwards, a whole row of the range at a time (the range is one column wide here).
        for (std::uint64_t k = row; k < rowTops.size() && r->ctmInfo().yBottom > rowTops[k]; ++k) {
            if (!free(row + r->rowLength() + 1, column)) break;
            r->setRowLength(r->rowLength() + 1);
        }
        // To the right, a whole column of the range at a time.
        for (std::uint64_t k = column; k < colLefts.size() && r->ctmInfo().xRight > colLefts[k]; ++k) {
            const std::uint64_t next = column + r->columnLength() + 1;
            bool stripFree = true;
            for (std::uint64_t y = row; y <= row + r->rowLength() && stripFree; ++y) stripFree = free(y, next);
            if (!stripFree) break;
            r->setColumnLength(r->columnLength() + 1);
        }
    }
}
