#pragma once
// A cell format of the workbook: number format, font, fill and border ids and the alignment. A
// cell's style index is the position of its format in the registry's list.

#include <cstdint>
#include <string>

#include "xlsx/KXExcelStyleRecords.h"

class KXExcelStyleXf {
public:
    KXExcelStyleXf() : formatedElm_(defaultXf()) {}
    explicit KXExcelStyleXf(KXExcel_Xf xf) : formatedElm_(std::move(xf)) {}
    // The four ids, the horizontal and vertical alignment of `algn` (nothing else of it), and the
    // number format and alignment applied.
    KXExcelStyleXf(std::uint32_t numFmtID, std::uint32_t fontID, std::uint32_t fillID, std::uint32_t borderID,
                   const KXExcel_Xf_Alignment& algn);

    // Ids 0, no flag, aligned left and centred vertically.
    static KXExcel_Xf defaultXf();

    const KXExcel_Xf& formatedElm() const { return formatedElm_; }
    void setFormatedElm(KXExcel_Xf v) { formatedElm_ = std::move(v); }
    const std::string& algnHorizontal() const { return formatedElm_.alignment.horizontal; }
    const std::string& algnVertical() const { return formatedElm_.alignment.vertical; }

    // Equal ids, alignment (horizontal, vertical, wrap) and number-format flag.
    bool isEqualXf(const KXExcelStyleXf& other) const;

private:
    KXExcel_Xf formatedElm_;
};
