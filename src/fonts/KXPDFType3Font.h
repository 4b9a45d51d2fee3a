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

protected:
    bool defaultsToWinAnsi() const override { return false; }
    double widthScale(const kx::PDFObject& dict) const override;

private:
    kx::AffineTransform glyphOrientation_ = kx::AffineTransform::identity();
};
