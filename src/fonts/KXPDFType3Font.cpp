#include "fonts/KXPDFType3Font.h"

#include <cmath>

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
    return KXPDFSimple8BitFont::initWithDictionary(dict, objectKey);
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
