#include "fonts/KXPDFType3Font.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "fonts/BuiltinFontManager.h"
#include "fonts/BuiltinFontWidths.h"
#include "fonts/KXFontSupport_p.h"

int KXPDFType3Font::getNextChar(const unsigned char* s, int len, std::uint32_t* code, std::uint32_t* u, int uSize,
                                int* uLen, float* dx, float* dy, float* ox, float* oy) const {
    return KXPDFSimple8BitFont::getNextChar(s, len, code, u, uSize, uLen, dx, dy, ox, oy);
}

bool KXPDFType3Font::initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) {
    kx::PDFObject matrix = dict.dictGet("FontMatrix");
    double m[4] = {0, 0, 0, 0};
    bool read = matrix.isArray() && matrix.arrayCount() == 6;
    for (size_t i = 0; read && i < 4; ++i) read = kx::detail::fontNumberAt(matrix, i, m[i]) && std::isfinite(m[i]);
    const double unit = read ? std::hypot(m[0], m[1]) : 0;
    if (unit > 0 && std::isfinite(unit)) {
        const kx::AffineTransform t{m[0] / unit, m[1] / unit, m[2] / unit, m[3] / unit, 0, 0};
        // A matrix that turns the glyphs into nothing (no height) leaves them upright.
        if (std::isfinite(t.c) && std::isfinite(t.d) && t.a * t.d - t.b * t.c != 0) glyphOrientation_ = t;
    }
    if (!KXPDFSimple8BitFont::initWithDictionary(dict, objectKey)) return false;
    setGlyphSize(dict, unit);
    return true;
}

void KXPDFType3Font::setGlyphSize(const kx::PDFObject& dict, double unit) {
    // Glyph space is the font's own: most Type 3 fonts draw an em of glyphs as one text space unit,
    // as every other font does, but some draw their glyphs a tenth of it, and are shown at ten times
    // the size (or the other way round). Set at the font size, such text stood ten times too large
    // in a word processor, its letters pulled together to fit. Where the box of the glyphs and their
    // advances both say so (either alone may be any size), the em is the one at which a common face
    // (Helvetica's metrics) advances over the characters of the glyphs as far as the glyphs do, so
    // that the word processor's face spans the text as the glyphs do; for glyphs without text, twice
    // their median advance (a text face's glyphs advance by about half an em).
    kx::PDFObject box = dict.dictGet("FontBBox");
    double lly = 0, ury = 0;
    if (!(unit > 0) || !box.isArray() || box.arrayCount() != 4 || !kx::detail::fontNumberAt(box, 1, lly) ||
        !kx::detail::fontNumberAt(box, 3, ury))
        return;
    const double height = std::fabs(ury - lly) * unit;
    std::vector<double> advances;
    for (size_t code = 0; code < 256; ++code)
        if (charWidths_[code] > 0 && std::isfinite(charWidths_[code])) advances.push_back(charWidths_[code]);
    if (advances.empty() || !std::isfinite(height) || !(height > 0)) return;
    const auto middle = advances.begin() + static_cast<std::ptrdiff_t>(advances.size() / 2);
    std::nth_element(advances.begin(), middle, advances.end());
    const double advance = *middle;
    if (!((height < 0.5 && advance < 0.25) || (height > 2 && advance > 1))) return;
    glyphSize_ = 2 * advance;
    const BuiltinFont* common = BuiltinFontManager::sharedManager().findBuildinFont("Helvetica");
    const BuiltinFontWidths* widths = common ? common->fontWidths() : nullptr;
    double glyphs = 0, face = 0;
    for (int code = 0; widths && code < 256; ++code) {
        const auto byte = static_cast<unsigned char>(code);
        std::uint32_t c = 0, u[16] = {};
        int uLen = 0;
        float dx = 0, dy = 0, ox = 0, oy = 0;
        getNextChar(&byte, 1, &c, u, 16, &uLen, &dx, &dy, &ox, &oy);
        std::uint16_t width = 0;
        if (uLen != 1 || u[0] > 0xFFFF || !(charWidths_[byte] > 0) ||
            !widths->getCharacter(static_cast<std::uint16_t>(u[0]), &width) || width == 0)
            continue;
        glyphs += charWidths_[byte];
        face += width * 0.001;
    }
    if (face > 0 && std::isfinite(glyphs / face)) glyphSize_ = glyphs / face;
}

double KXPDFType3Font::widthScale(const kx::PDFObject& dict) const {
    // Widths are glyph-space units; the font matrix takes them to text space. The usual matrix
    // scales by 0.001, as for every other font; TeX bitmap fonts and others use their own.
    kx::PDFObject matrix = dict.dictGet("FontMatrix");
    double a = 0;
    if (matrix.isArray() && matrix.arrayCount() == 6 && kx::detail::fontNumberAt(matrix, 0, a) && std::isfinite(a) &&
        a != 0)
        return std::fabs(a);
    return 0.001;
}
