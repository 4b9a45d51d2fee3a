#include "xlsx/KXExcelTempColumn.h"

#include "xlsx/ExcelLayout_p.h"
#include "xlsx/KXExcelSortUtilities.h"
#include "xlsx/KXExcelTempRow.h"

KXExcelTempColumn::KXExcelTempColumn() = default;
KXExcelTempColumn::KXExcelTempColumn(RunList runs) : runTexts_(std::move(runs)) {}
KXExcelTempColumn::~KXExcelTempColumn() = default;

void KXExcelTempColumn::sortRunTextsByX() { runTexts_ = KXExcelSortUtilities::SortRunTextsByX(runTexts_); }
void KXExcelTempColumn::sortRunTextsByY() { runTexts_ = KXExcelSortUtilities::SortRunTextsByY(runTexts_); }

void KXExcelTempColumn::mergeRunTextsStringByY() { runTexts_ = kx::detail::joinedCells(runTexts_); }

void KXExcelTempColumn::creatTempRowsByY() {
    tempRows_.clear();
    for (RunList& band : kx::detail::bandsByY(runTexts_))
        tempRows_.push_back(std::make_unique<KXExcelTempRow>(std::move(band)));
}

void KXExcelTempColumn::creatTempRow1() {
    sortRunTextsByY();
    mergeRunTextsStringByY();
    creatTempRowsByY();
    for (auto& row : tempRows_) row->creatCell();
}

void KXExcelTempColumn::creatTempRow2() {
    sortRunTextsByY();
    creatTempRowsByY();
    for (auto& row : tempRows_) row->creatTempCell2();
}

void KXExcelTempColumn::creatRow() {
    sortRunTextsByY();
    creatTempRowsByY();
    // The pieces of a line that touch each other stand in one row here; ordered by their tops, a
    // piece that reaches higher (a larger size, a taller font) would take its column before the
    // pieces left of it.
    for (auto& row : tempRows_) row->sortRunTextsByX();
}

void KXExcelTempColumn::collectAllRunTexts(RunList& into) const {
    if (isLeaf()) {
        into.insert(into.end(), runTexts_.begin(), runTexts_.end());
        return;
    }
    for (const auto& row : tempRows_) row->collectAllRunTexts(into);
}
