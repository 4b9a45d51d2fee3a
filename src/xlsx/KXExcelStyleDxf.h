#pragma once
// A differential format of the workbook. A conversion registers none; the styles part writes their
// count.

#include "xlsx/KXExcelStyleRecords.h"

class KXExcelStyleDxf {
public:
    KXExcelStyleDxf() : dxf_(defaultDxf()) {}

    static KXExcel_Dxf defaultDxf() { return {}; }

    const KXExcel_Dxf& dxf() const { return dxf_; }
    void setDxf(KXExcel_Dxf v) { dxf_ = std::move(v); }

private:
    KXExcel_Dxf dxf_;
};
