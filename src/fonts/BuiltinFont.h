#pragma once
// The metrics record of one of the 14 standard PDF fonts.

#include <memory>
#include <string>

#include "fonts/BuiltinFontWidths.h"
#include "platform/Geometry.h"

class BuiltinFont {
public:
    BuiltinFont(std::string fontName, std::string encoding, double ascent, double descent, kx::Rect bbox,
                std::shared_ptr<const BuiltinFontWidths> widths);

    const std::string& fontName() const { return fontName_; }
    const std::string& baseEncoding() const { return baseEncoding_; }
    // Text space (glyph units × 0.001).
    double ascent() const { return ascent_; }
    double descent() const { return descent_; }
    // Glyph units as the table gives them: llx, lly in the origin, urx, ury in the size.
    const kx::Rect& bbox() const { return bbox_; }
    const BuiltinFontWidths* fontWidths() const { return fontWidths_.get(); }

private:
    std::string fontName_;
    std::string baseEncoding_;
    double ascent_ = 0;
    double descent_ = 0;
    kx::Rect bbox_;
    std::shared_ptr<const BuiltinFontWidths> fontWidths_;
};
