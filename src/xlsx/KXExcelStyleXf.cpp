#include "xlsx/KXExcelStyleXf.h"

KXExcelStyleXf::KXExcelStyleXf(std::uint32_t numFmtID, std::uint32_t fontID, std::uint32_t fillID,
                               std::uint32_t borderID, const KXExcel_Xf_Alignment& algn) {
    formatedElm_.numFmtId = static_cast<std::int32_t>(numFmtID);
    formatedElm_.fontId = static_cast<std::int32_t>(fontID);
    formatedElm_.fillId = static_cast<std::int32_t>(fillID);
    formatedElm_.borderId = static_cast<std::int32_t>(borderID);
    formatedElm_.alignment.horizontal = algn.horizontal;
    formatedElm_.alignment.vertical = algn.vertical;
    formatedElm_.applyNumberFormat = true;
    formatedElm_.applyAlignment = true;
}

KXExcel_Xf KXExcelStyleXf::defaultXf() {
    KXExcel_Xf xf;
    xf.alignment.horizontal = "left";
    xf.alignment.vertical = "center";
    return xf;
}

bool KXExcelStyleXf::isEqualXf(const KXExcelStyleXf& other) const {
    const KXExcel_Xf &a = formatedElm_, &b = other.formatedElm_;
    return a.numFmtId == b.numFmtId && a.fontId == b.fontId && a.fillId == b.fillId && a.borderId == b.borderId &&
           KXExcelAlignmentEqual(a.alignment, b.alignment) && a.applyNumberFormat == b.applyNumberFormat;
}
