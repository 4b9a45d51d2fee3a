#include "pdf/color/KXPDFLabColorSpace.h"

#include <algorithm>
#include <cmath>

#include "pdf/color/KXPDFColorSpace_p.h"
#include "pdf/color/KXPDFDeviceRGBColorSpace.h"
#include "platform/Numeric.h"

namespace {

// XYZ to linear sRGB, row by row.
constexpr double kXYZToRGB[3][3] = {
    {3.240449, -1.537136, -0.498531},
    {-0.969265, 1.876011, 0.041556},
    {0.055643, -0.204026, 1.057229},
};

// The reciprocal that brings the white point to full intensity; a white point that maps a channel
// to zero (or to something that is not a number) leaves that channel unscaled rather than infinite.
double whiteScale(const double row[3], const double white[3]) {
    double v = row[0] * white[0] + row[1] * white[1] + row[2] * white[2];
    double k = 1.0 / v;
    return std::isfinite(k) ? k : 1.0;
}

double labInverse(double f) {
    constexpr double kEdge = 6.0 / 29.0;
    return f >= kEdge ? f * f * f : (f - 4.0 / 29.0) * (108.0 / 841.0);
}

std::int16_t channel(double v) {
    if (std::isnan(v)) return 0;
    v = std::clamp(v, 0.0, 1.0);
    return kx::toInt<std::int16_t>(255.0 * std::sqrt(v));
}

std::int16_t rangeDefault(double lo, double hi) {
    if (lo > 0) return kx::toInt<std::int16_t>(lo * 255);
    if (hi < 0) return kx::toInt<std::int16_t>(hi * 255);
    return 0;
}

}  // namespace

void KXPDFLabColorSpace::computeWhiteScale() {
    kr_ = whiteScale(kXYZToRGB[0], white_);
    kg_ = whiteScale(kXYZToRGB[1], white_);
    kb_ = whiteScale(kXYZToRGB[2], white_);
}

bool KXPDFLabColorSpace::parse(const kx::PDFObject& object) {
    kx::PDFObject dict = readCIEDictionary(object, "Lab");
    if (!dict.isDictionary()) return false;
    kx::detail::readExactNumbers(dict.dictGet("Range"), 4, range_);
    computeWhiteScale();
    return true;
}

KXPDFColor KXPDFLabColorSpace::getDefaultColor() const {
    KXPDFColor c;
    c.c[1] = rangeDefault(range_[0], range_[1]);
    c.c[2] = rangeDefault(range_[2], range_[3]);
    return c;
}

KXPDFRGB KXPDFLabColorSpace::getRGB(const KXPDFColor& color) const {
    double L = color.c[0] / 255.0, a = color.c[1] / 255.0, b = color.c[2] / 255.0;
    double fy = (L + 16) / 116;
    double fx = fy + a / 500;
    double fz = fy - b / 200;
    double X = labInverse(fx) * white_[0];
    double Y = labInverse(fy) * white_[1];
    double Z = labInverse(fz) * white_[2];
    const double k[3] = {kr_, kg_, kb_};
    std::int16_t out[3];
    for (int i = 0; i < 3; ++i) {
        double v = (kXYZToRGB[i][0] * X + kXYZToRGB[i][1] * Y + kXYZToRGB[i][2] * Z) * k[i];
        out[i] = channel(v);
    }
    return {out[0], out[1], out[2]};
}

// Not asked for outside the colour-space family; the luminance weights of DeviceRGB on our own RGB.
std::int16_t KXPDFLabColorSpace::getGray(const KXPDFColor& color) const {
    KXPDFRGB rgb = getRGB(color);
    return clip255(0.3 * rgb.r + 0.59 * rgb.g + 0.11 * rgb.b + 0.5);
}

KXPDFCMYK KXPDFLabColorSpace::getCMYK(const KXPDFColor& color) const {
    KXPDFRGB rgb = getRGB(color);
    return KXPDFDeviceRGBColorSpace::rgbToCMYK(rgb.r, rgb.g, rgb.b);
}

kx::ColorSpaceRef KXPDFLabColorSpace::CGColorSpace() const { return kx::ColorSpace::lab(white_, black_, range_); }

KXPDFColor KXPDFLabColorSpace::getDeviceN(const KXPDFColor& color) const {
    return KXPDFDeviceRGBColorSpace::deviceNFromCMYK(getCMYK(color));
}
