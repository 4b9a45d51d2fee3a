#pragma once
// Colour spaces of images, which turn image samples into pixels. A space is made once from a PDF
// colour-space object (by the pdf layer) and shared, immutable, as ColorSpaceRef. It converts rows
// of component values to 8-bit RGB.
//
// Component values are given in the space's own terms, after an image's /Decode mapping:
// 0..1 for device, calibrated and ICC-based spaces (ICC ranges as the space declares them),
// L 0..100 and a, b within their range for Lab, the index for Indexed, tints 0..1 for DeviceN.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kx {

class ColorSpace;
using ColorSpaceRef = std::shared_ptr<const ColorSpace>;

// The colour model of a space, as the image extraction chooses default decode arrays by it.
enum class ColorSpaceModel { Unknown, Monochrome, RGB, CMYK, Lab, DeviceN, Indexed, Pattern };

enum class RenderingIntent { Default, AbsoluteColorimetric, RelativeColorimetric, Perceptual, Saturation };

// A tint transform: `inputs` values (the space's components, 0..1) to the alternate space's
// components. Called from the converting thread only.
using TintTransform = std::function<void(const double* inputs, double* outputs)>;

class ColorSpace {
public:
    enum class Kind { DeviceGray, DeviceRGB, DeviceCMYK, CalGray, CalRGB, Lab, ICCBased, Indexed, Pattern, DeviceN };

    static ColorSpaceRef deviceGray();
    static ColorSpaceRef deviceRGB();
    static ColorSpaceRef deviceCMYK();
    // White and black points are CIE XYZ triples; `matrix` is the PDF /Matrix (row by row).
    static ColorSpaceRef calibratedGray(const double white[3], const double black[3], double gamma);
    static ColorSpaceRef calibratedRGB(const double white[3], const double black[3], const double gamma[3],
                                       const double matrix[9]);
    // `range` is aMin, aMax, bMin, bMax.
    static ColorSpaceRef lab(const double white[3], const double black[3], const double range[4]);
    // An ICC-based space of `components` (1, 3 or 4) with 2 × components range values, the profile
    // bytes (converted through ICCProfile) and an alternate (may be null). Null when the profile
    // cannot be read or does not describe that many components.
    static ColorSpaceRef iccBased(int components, const double* range, std::string profile,
                                  ColorSpaceRef alternate);
    // An ICC-based space with the component count the profile declares; null when unusable.
    static ColorSpaceRef withICCData(std::string profile);
    // An indexed space over `base` with entries 0..lastIndex; `table` holds the base components of
    // each entry as bytes (0..255 over the base's range). A short table reads as zeros past its end;
    // null for a missing base or lastIndex outside 0..255.
    static ColorSpaceRef indexed(ColorSpaceRef base, int lastIndex, std::string table);
    // A pattern space, with the space of an uncoloured pattern's colour or none.
    static ColorSpaceRef pattern(ColorSpaceRef base);
    // `components` tints (1..32) turned into the alternate's components by the tint transform.
    static ColorSpaceRef deviceN(int components, ColorSpaceRef alternate, TintTransform tint);

    Kind kind() const { return kind_; }
    ColorSpaceModel model() const;
    int componentCount() const { return components_; }
    // The base of an indexed or pattern space, the alternate of an ICC-based or DeviceN space.
    const ColorSpaceRef& base() const { return base_; }
    int lastIndex() const { return lastIndex_; }
    const std::string& table() const { return table_; }
    // Component ranges (min, max pairs): ICC ranges, Lab's L and a/b ranges, 0..1 otherwise.
    double rangeMin(int component) const;
    double rangeMax(int component) const;

    // Converts `count` pixels of interleaved component values (componentCount() each) to RGB, three
    // bytes a pixel. False when the space cannot colour pixels (a pattern space).
    bool convertToRGB8(const float* components, size_t count, std::uint8_t* rgb,
                       RenderingIntent intent = RenderingIntent::Default) const;

    ~ColorSpace();
    ColorSpace(const ColorSpace&) = delete;
    ColorSpace& operator=(const ColorSpace&) = delete;

    struct Private;
    explicit ColorSpace(Kind kind);

private:
    Kind kind_;
    int components_ = 0;
    ColorSpaceRef base_;
    int lastIndex_ = 0;
    std::string table_;
    std::vector<double> range_;
    std::unique_ptr<Private> d_;
};

// The CMYK to RGB conversion shared by images and colours: a multilinear interpolation between 16
// measured corner colours (inks 0..1 in, channels 0..1 out).
void cmykToRGB(double c, double m, double y, double k, double rgb[3]);

}  // namespace kx
