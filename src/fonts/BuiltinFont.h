#pragma once
// The metrics record of one of the 14 standard PDF fonts.

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "fonts/BuiltinFontWidths.h"
#include "platform/Geometry.h"

class BuiltinFont {
public:
    // The widths table is made by `makeWidths` on the first call of fontWidths(): most documents
    // name few of the 14 fonts, and a table of a few hundred names costs more to build than the
    // rest of a small conversion's set-up.
    BuiltinFont(std::string fontName, std::string encoding, double ascent, double descent, kx::Rect bbox,
                std::function<std::shared_ptr<const BuiltinFontWidths>()> makeWidths);

    const std::string& fontName() const { return fontName_; }
    const std::string& baseEncoding() const { return baseEncoding_; }
    // Text space (glyph units × 0.001).
    double ascent() const { return ascent_; }
    double descent() const { return descent_; }
    // Glyph units as the table gives them: llx, lly in the origin, urx, ury in the size.
    const kx::Rect& bbox() const { return bbox_; }
    const BuiltinFontWidths* fontWidths() const;

private:
    std::string fontName_;
    std::string baseEncoding_;
    double ascent_ = 0;
    double descent_ = 0;
    kx::Rect bbox_;
    // Shared so that the record stays movable; the table is made once, whichever thread asks first.
    struct Widths {
        std::once_flag made;
        std::function<std::shared_ptr<const BuiltinFontWidths>()> make;
        std::shared_ptr<const BuiltinFontWidths> table;
    };
    std::shared_ptr<Widths> fontWidths_;
};
