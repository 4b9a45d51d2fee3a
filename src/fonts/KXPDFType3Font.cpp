#include "fonts/KXPDFType3Font.h"

#include <cmath>

#include "fonts/KXFontSupport_p.h"

int KXPDFType3Font::getNextChar(const unsigned char* s, int len, std::uint32_t* code, std::uint32_t* u, int uSize,
                                int* uLen, float* dx, float* dy, float* ox, float* oy) const {
    return KXPDFSimple8BitFont::getNextChar(s, len, code, u, uSize, uLen, dx, dy, ox, oy);
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
