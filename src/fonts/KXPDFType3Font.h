#pragma once
// A Type 3 font: glyphs are content streams (/CharProcs). Its codes decode as every simple font's
// do; without an /Encoding through the standard encoding (as ASCII). Its /Widths are in the glyph
// space of its /FontMatrix, which also sets how its glyphs stand: a matrix that mirrors the glyphs
// upside down draws them upright under a text matrix that mirrors them too.

#include "fonts/KXPDFSimple8BitFont.h"

class KXPDFType3Font : public KXPDFSimple8BitFont {
public:
    std::unique_ptr<KXPDFFont> clone() const override { return std::make_unique<KXPDFType3Font>(*this); }
    int getNextChar(const unsigned char* s, int len, std::uint32_t* code, std::uint32_t* u, int uSize, int* uLen,
                    float* dx, float* dy, float* ox, float* oy) const override;
    bool initWithDictionary(const kx::PDFObject& dict, const std::string& objectKey) override;
    // The /FontMatrix without its translation, scaled so that its first axis is one unit long.
    kx::AffineTransform glyphOrientation() const override { return glyphOrientation_; }
    // Where both the height of the /FontBBox and the glyphs' advances in text space say that the
    // glyphs stand far off an em of one text space unit (a box under half of it and a median
    // advance under a quarter, or a box over twice it and a median advance over one), the em their
    // advances give (setGlyphSize); 1 otherwise.
    double glyphSize() const override { return glyphSize_; }

protected:
    bool defaultsToWinAnsi() const override { return false; }
    double widthScale(const kx::PDFObject& dict) const override;

private:
    kx::AffineTransform glyphOrientation_ = kx::AffineTransform::identity();
    double glyphSize_ = 1.0;

    void setGlyphSize(const kx::PDFObject& dict, double unit);
};
