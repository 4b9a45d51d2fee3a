#pragma once
// Encoded image data made by the tests: JPEG, JPEG 2000, CCITT Group 4 and JBIG2, from plain
// samples, so that fixtures show exactly which pixels they hold.

#include <cstdint>
#include <string>
#include <vector>

namespace kx::test {

// A JPEG of interleaved 8-bit samples with 1 (gray), 3 (RGB, stored as YCbCr) or 4 (CMYK)
// components. `adobeInverted`: CMYK stored inverted behind an Adobe marker, as some programs write
// it; otherwise CMYK is stored plain without the marker.
std::string encodeJPEG(const std::vector<std::uint8_t>& samples, int width, int height, int components,
                       int quality = 95, bool adobeInverted = false);

// A lossless JPEG 2000 codestream (or a JP2 file) of interleaved 8-bit samples.
std::string encodeJPEG2000(const std::vector<std::uint8_t>& samples, int width, int height, int components,
                           bool jp2File = false);

// One-bit rows packed most significant bit first, a set bit is black.
struct Bilevel {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;  // ceil(width / 8) bytes a row
    bool black(int x, int y) const { return (bits[static_cast<size_t>(y) * ((width + 7) / 8) + x / 8] >> (7 - x % 8)) & 1; }
};
Bilevel makeBilevel(int width, int height, bool (*isBlack)(int x, int y));

// CCITT Group 4 data (K -1, no byte alignment, black is 1 in `image`).
std::string encodeCCITTG4(const Bilevel& image);
// A JBIG2 stream as PDFs embed it: a page of one generic region coded with MMR.
std::string encodeJBIG2(const Bilevel& image);

}  // namespace kx::test
