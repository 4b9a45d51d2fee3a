#include "xlsx/KXExcelTempRow.h"

#include <algorithm>

#include "xlsx/ExcelLayout_p.h"
#include "xlsx/KXExcelSortUtilities.h"
#include "xlsx/KXExcelTempColumn.h"

KXExcelTempRow::KXExcelTempRow() = default;
KXExcelTempRow::KXExcelTempRow(RunList runs) : runTexts_(std::move(runs)) {}
KXExcelTempRow::~KXExcelTempRow() = default;

void KXExcelTempRow::sortRunTextsByX() { runTexts_ = KXExcelSortUtilities::SortRunTextsByX(runTexts_); }
void KXExcelTempRow::sortRunTextsByY() { runTexts_ = KXExcelSortUtilities::SortRunTextsByY(runTexts_); }

void KXExcelTempRow::mergeRunTextsStringByX(std::int32_t option) {
    runTexts_ = kx::detail::joinedLines(runTexts_, option);
}

void KXExcelTempRow::creatTempColumnsByX() {
    tempCells_.clear();
    for (RunList& band : kx::detail::bandsByX(runTexts_))
        tempCells_.push_back(std::make_unique<KXExcelTempColumn>(std::move(band)));
}

void KXExcelTempRow::creatTempCell1(std::int32_t option) {
    sortRunTextsByX();
    mergeRunTextsStringByX(option);
    creatTempColumnsByX();
    for (auto& column : tempCells_) column->creatTempRow1();
}

void KXExcelTempRow::creatTempCell2() {
    sortRunTextsByX();
    creatTempColumnsByX();
    for (auto& column : tempCells_) column->creatRow();
}

void KXExcelTempRow::creatCell() {
    sortRunTextsByX();
    creatTempColumnsByX();
}

void KXExcelTempRow::collectAllRunTexts(RunList& into) const {
    if (isLeaf()) {
        into.insert(into.end(), runTexts_.begin(), runTexts_.end());
        return;
    }
    for (const auto& column : tempCells_) column->collectAllRunTexts(into);
}

std::size_t KXExcelTempRow::maxNumSubRows() const {
    std::size_t most = 1;
    for (const auto& column : tempCells_) most = std::max(most, column->tempRows().size());
    return most;
}
