#pragma once
// Image decoding: JPEG and JPEG 2000 data of PDF image streams, and image files or data read back
// by their content (PNG, JPEG, JPEG 2000, TIFF, GIF, BMP, TGA), never by their file name.
//
// Every decoder checks the image's size against the bitmap budget (isBitmapSizeAllowed) before it
// allocates anything, and answers nothing for damaged or unsupported data.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ColorSpace.h"
#include "platform/Image.h"
#include "platform/ImageFileType.h"

namespace kx {

// Samples as a codec delivers them: 8 bits a component, interleaved, rows tightly packed, top row
// first; `model` is the codec's own idea of the colours (Monochrome, RGB, CMYK, or Unknown for
// other component counts).
struct DecodedSamples {
    int width = 0;
    int height = 0;
    int components = 0;
    ColorSpaceModel model = ColorSpaceModel::Unknown;
    std::vector<std::uint8_t> data;
};

// Baseline and progressive JPEG: gray, RGB (YCbCr), CMYK and YCCK. CMYK stored inverted, as
// programs that write an Adobe marker do, comes back as plain ink amounts (0 = no ink).
// `reduction` above 1 decodes the image smaller, by the codec's own scaling: by the first of a half,
// a quarter and an eighth that reaches it, or an eighth; such a decode must come within
// kMaxDecodedImageBytes (a byte a pixel for grey, three for colour).
std::optional<DecodedSamples> decodeJPEG(std::string_view data, int reduction = 1);

// A JPEG 2000 codestream or a JP2 file. Components are brought to the image's full size and to 8
// bits; sYCC is turned into RGB; an alpha channel is dropped.
std::optional<DecodedSamples> decodeJPEG2000(std::string_view data);

// The type the first bytes announce (TGA has no signature: Unknown).
ImageFileType detectImageType(std::string_view data);

// The first image of the data, as Gray8, GrayAlpha8, RGB8 or RGBA8; null when it cannot be read.
ImageRef readImageData(std::string_view data);
ImageRef readImageFile(const std::string& path);

// The same image as 8-bit gray (luminance 0.299 R + 0.587 G + 0.114 B; alpha dropped); a Gray8
// image is returned as it is.
ImageRef toGray8(const ImageRef& image);
// The same image as RGBA8 (gray spread to the three channels, opaque when it has no alpha).
ImageRef toRGBA8(const ImageRef& image);

}  // namespace kx
