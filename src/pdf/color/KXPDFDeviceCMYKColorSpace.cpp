#include "pdf/color/KXPDFDeviceCMYKColorSpace.h"

#include "pdf/color/KXPDFDeviceRGBColorSpace.h"

namespace {

// RGB of each corner of the ink cube, indexed by cyan, magenta, yellow, black bits (c m y k).
constexpr double kCorners[16][3] = {
    {1, 1, 1},                  // 0 0 0 0
    {0.1373, 0.1216, 0.1255},   // 0 0 0 1
    {1, 0.949, 0},              // 0 0 1 0
    {0.1098, 0.102, 0},         // 0 0 1 1
    {0.9255, 0, 0.549},         // 0 1 0 0
    {0.1412, 0, 0},             // 0 1 0 1
    {0.9294, 0.1098, 0.1412},   // 0 1 1 0
    {0.1333, 0, 0},             // 0 1 1 1
    {0, 0.6784, 0.9373},        // 1 0 0 0
    {0, 0.0588, 0.1412},        // 1 0 0 1
    {0, 0.651, 0.3137},         // 1 0 1 0
    {0, 0.0745, 0},             // 1 0 1 1
    {0.1804, 0.1922, 0.5725},   // 1 1 0 0
    {0, 0, 0.0078},             // 1 1 0 1
    {0.2118, 0.2119, 0.2235},   // 1 1 1 0
    {0, 0, 0},                  // 1 1 1 1
};

}  // namespace

KXPDFColor KXPDFDeviceCMYKColorSpace::getDefaultColor() const {
    KXPDFColor c;
    c.c[3] = 255;
    return c;
}

std::int16_t KXPDFDeviceCMYKColorSpace::getGray(const KXPDFColor& color) const {
    return clip255(255.0 - color.c[3] - 0.3 * color.c[0] - 0.59 * color.c[1] - 0.11 * color.c[2] + 0.5);
}

KXPDFRGB KXPDFDeviceCMYKColorSpace::cmykToRGB(double c, double m, double y, double k) {
    double ink[4] = {c / 255, m / 255, y / 255, k / 255};
    double rgb[3] = {0, 0, 0};
    for (int corner = 0; corner < 16; ++corner) {
        double w = 1;
        for (int i = 0; i < 4; ++i) {
            bool on = corner & (8 >> i);
            w *= on ? ink[i] : 1 - ink[i];
        }
        for (int ch = 0; ch < 3; ++ch) rgb[ch] += w * kCorners[corner][ch];
    }
    return {clip255(rgb[0] * 255), clip255(rgb[1] * 255), clip255(rgb[2] * 255)};
}

KXPDFRGB KXPDFDeviceCMYKColorSpace::getRGB(const KXPDFColor& color) const {
    return cmykToRGB(color.c[0], color.c[1], color.c[2], color.c[3]);
}

KXPDFCMYK KXPDFDeviceCMYKColorSpace::getCMYK(const KXPDFColor& color) const {
    return {clip255(color.c[0]), clip255(color.c[1]), clip255(color.c[2]), clip255(color.c[3])};
}

KXPDFColor KXPDFDeviceCMYKColorSpace::getDeviceN(const KXPDFColor& color) const {
    return KXPDFDeviceRGBColorSpace::deviceNFromCMYK(getCMYK(color));
}
