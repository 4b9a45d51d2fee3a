#pragma once
// A border of the workbook; only the default border (no side drawn) is ever registered.

#include "xlsx/KXExcelStyleRecords.h"

class KXExcelStyleBorder {
public:
    KXExcelStyleBorder() : border_(defaultBorder()) {}

    // Every side without style and colour.
    static KXExcel_PatternBorder defaultBorder() { return {}; }

    const KXExcel_PatternBorder& border() const { return border_; }
    void setBorder(KXExcel_PatternBorder v) { border_ = std::move(v); }

private:
    KXExcel_PatternBorder border_;
};
