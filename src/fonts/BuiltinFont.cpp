#include "fonts/BuiltinFont.h"

BuiltinFont::BuiltinFont(std::string fontName, std::string encoding, double ascent, double descent, kx::Rect bbox,
                         std::shared_ptr<const BuiltinFontWidths> widths)
    : fontName_(std::move(fontName)),
      baseEncoding_(std::move(encoding)),
      ascent_(ascent),
      descent_(descent),
      bbox_(bbox),
      fontWidths_(std::move(widths)) {}
