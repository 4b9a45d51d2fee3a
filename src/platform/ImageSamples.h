#pragma once
// Pixels from the raw samples of an image, given its width, height, bits a component, colour space,
// decode array and masking colours.
//
// Samples are packed most significant bit first, rows start on a byte boundary
// (ceil(bits × components × width / 8) bytes a row, no further padding); 16-bit samples are
// big-endian. Each sample s of b bits maps through its component's decode pair (dmin, dmax) to
// dmin + s × (dmax − dmin) / (2^b − 1), a value in the colour space's own terms.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/ColorSpace.h"
#include "platform/Image.h"

namespace kx {

struct SampleImageParams {
    int width = 0;
    int height = 0;
    int bitsPerComponent = 8;  // 1, 2, 4, 8 or 16
    // The samples' colour space; null for a one-channel mask (see `isMask`).
    ColorSpaceRef colorSpace;
    // Two numbers a component. Missing pairs take the defaults (defaultDecode), extra numbers are
    // ignored.
    std::vector<double> decode;
    // A one-channel image read as gray coverage without colour conversion (stencil and soft
    // masks): value 0 black, 1 white after decoding.
    bool isMask = false;
    // Colour-key masking: a min, max pair of raw sample values (before decoding) per component;
    // a pixel whose every sample lies inside its pair becomes transparent; missing pairs are
    // [0 0]. Empty: no masking.
    std::vector<std::int64_t> colorKey;
    RenderingIntent intent = RenderingIntent::Default;
};

// The decode array used when an image gives none: the space's component ranges (0 1 for device
// spaces, the declared ranges of ICC-based and Lab spaces), 0 and 2^bits − 1 for an indexed space.
std::vector<double> defaultDecode(const ColorSpace* colorSpace, int bitsPerComponent);

// The image: Gray8 for masks and gray device spaces, RGB8 otherwise, RGBA8 with a colour key.
// Data shorter than the image needs reads as zeros. Null for sizes outside the bitmap budget, bit
// depths other than 1, 2, 4, 8, 16, or a colour space that cannot colour pixels.
ImageRef makeImageFromSamples(const SampleImageParams& params, std::string_view data);

}  // namespace kx
