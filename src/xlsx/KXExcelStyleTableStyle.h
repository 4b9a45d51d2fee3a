#pragma once
// A table style of the workbook with its elements. A conversion registers none.

#include <vector>

#include "xlsx/KXExcelStyleRecords.h"
#include "xlsx/KXExcelStyleTableStyleElm.h"

class KXExcelStyleTableStyle {
public:
    KXExcelStyleTableStyle() : tableStyle_(defaultTableStyle()) {}

    static KXExcel_TableStyle defaultTableStyle() { return {}; }

    const std::vector<KXExcelStyleTableStyleElm>& elements() const { return elements_; }
    std::vector<KXExcelStyleTableStyleElm>& elements() { return elements_; }
    const KXExcel_TableStyle& tableStyle() const { return tableStyle_; }
    void setTableStyle(KXExcel_TableStyle v) { tableStyle_ = std::move(v); }

private:
    std::vector<KXExcelStyleTableStyleElm> elements_;
    KXExcel_TableStyle tableStyle_;
};
