#include "xlsx/KXExcelStyleFill.h"

#include <cmath>

#include "util/KXHexColor.h"

KXExcelStyleFill::KXExcelStyleFill() : patternFill_(defaultFill()) {}

KXExcelStyleFill::KXExcelStyleFill(const kx::Rect& frame, const std::optional<kx::Color>& color)
    : fgRGBColor_(KXHexColor::getHexColorFromCGColor(color)), rect_(frame) {
    patternFill_.patternType = "solid";
}

KXExcel_PatternFill KXExcelStyleFill::defaultFill() {
    KXExcel_PatternFill fill;
    fill.patternType = "none";
    return fill;
}

// The top edge is held to the same tolerance as the left one: a rectangle painted twice is one fill.
bool KXExcelStyleFill::isEqualToFill(const KXExcelStyleFill& other) const {
    if (patternFill_.patternType != other.patternFill_.patternType || fgRGBColor_ != other.fgRGBColor_) return false;
    const kx::Rect a = rect_.standardized(), b = other.rect_.standardized();
    return std::fabs(a.minX() - b.minX()) < 2.0 && std::fabs(a.minY() - b.minY()) < 2.0 &&
           std::fabs(a.maxX() - b.maxX()) < 4.0 && std::fabs(a.maxY() - b.maxY()) < 4.0;
}
