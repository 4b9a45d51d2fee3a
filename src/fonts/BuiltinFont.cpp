#include "fonts/BuiltinFont.h"

BuiltinFont::BuiltinFont(std::string fontName, std::string encoding, double ascent, double descent, kx::Rect bbox,
                         std::function<std::shared_ptr<const BuiltinFontWidths>()> makeWidths)
    : fontName_(std::move(fontName)),
      baseEncoding_(std::move(encoding)),
      ascent_(ascent),
      descent_(descent),
      bbox_(bbox),
      fontWidths_(std::make_shared<Widths>()) {
    fontWidths_->make = std::move(makeWidths);
}

const BuiltinFontWidths* BuiltinFont::fontWidths() const {
    Widths& w = *fontWidths_;
    std::call_once(w.made, [&w] {
        if (w.make) w.table = w.make();
        w.make = nullptr;
    });
    return w.table.get();
}
