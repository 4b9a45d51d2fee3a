#pragma once
// A fill of the workbook: a solid colour painted over a rectangle of a page (display space, y down),
// or one of the two fixed fills every workbook starts with ("none" and "gray125"), which cover no
// rectangle.

#include <optional>
#include <string>

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "xlsx/KXExcelStyleRecords.h"

class KXExcelStyleFill {
public:
    // Pattern "none", no colour, an empty rectangle.
    KXExcelStyleFill();
    // A solid fill of the colour over the rectangle.
    KXExcelStyleFill(const kx::Rect& frame, const std::optional<kx::Color>& color);

    static KXExcel_PatternFill defaultFill();

    // Six hexadecimal digits, or none.
    const std::optional<std::string>& fgRGBColor() const { return fgRGBColor_; }
    void setFgRGBColor(std::optional<std::string> v) { fgRGBColor_ = std::move(v); }
    const kx::Rect& rect() const { return rect_; }
    void setRect(const kx::Rect& r) { rect_ = r; }
    const KXExcel_PatternFill& patternFill() const { return patternFill_; }
    void setPatternFill(KXExcel_PatternFill v) { patternFill_ = std::move(v); }

    // The same pattern and colour over nearly the same rectangle: left and top edges less than 2
    // points apart, right and bottom edges less than 4.
    bool isEqualToFill(const KXExcelStyleFill& other) const;

private:
    std::optional<std::string> fgRGBColor_;
    kx::Rect rect_;
    KXExcel_PatternFill patternFill_;
};
