#pragma once
// A named cell style of the workbook. A conversion registers none.

#include "xlsx/KXExcelStyleRecords.h"

class KXExcelStyleCellStyle {
public:
    KXExcelStyleCellStyle() : cellStyle_(defaultCellStyle()) {}

    // Named "unknow", every number and flag 0.
    static KXExcel_CellStyle defaultCellStyle() {
        KXExcel_CellStyle s;
        s.name = "unknow";
        return s;
    }

    const KXExcel_CellStyle& cellStyle() const { return cellStyle_; }
    void setCellStyle(KXExcel_CellStyle v) { cellStyle_ = std::move(v); }

private:
    KXExcel_CellStyle cellStyle_;
};
