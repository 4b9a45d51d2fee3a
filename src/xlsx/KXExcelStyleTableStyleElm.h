#pragma once
// One element of a table style: which part of a table it formats, with which differential format.

#include "xlsx/KXExcelStyleRecords.h"

class KXExcelStyleTableStyleElm {
public:
    KXExcelStyleTableStyleElm() : element_(defaultElement()) {}

    static KXExcel_TableStyleElm defaultElement() { return {}; }

    const KXExcel_TableStyleElm& element() const { return element_; }
    void setElement(KXExcel_TableStyleElm v) { element_ = std::move(v); }

private:
    KXExcel_TableStyleElm element_;
};
