#pragma once
// Pixels from the raw samples of an image, given its width, height, bits a component, colour space,
// decode array and masking colours.
//
// Samples are packed most significant bit first, rows start on a byte boundary
// (ceil(bits × components × width / 8) bytes a row, no further padding); 16-bit samples are
// big-endian. Each sample s of b bits maps through its component's decode pair (dmin, dmax) to
// dmin + s × (dmax − dmin) / (2^b − 1), a value in the colour space's own terms.

#include <cstdint>
#include <memory>
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

// The most pixels an image is decoded to (a 64-megapixel colour picture, 8192 x 8192): a larger
// image is decoded reduced, so that its pixels cost what the output can use and no more. The budget
// is kMaxDecodedImageBytes of decoded pixels: a grey image, a byte a pixel, is kept to three times
// the pixels (a full page scanned at 1200 dpi, 9920 x 14030, stays whole).
constexpr std::int64_t kMaxDecodedImagePixels = std::int64_t(1) << 26;
constexpr std::int64_t kMaxDecodedImageBytes = 3 * kMaxDecodedImagePixels;
// The most samples a row of an image may hold: rows are unpacked one at a time, and a row beyond
// this is refused however far the image could be reduced.
constexpr size_t kMaxSamplesPerRow = size_t(1) << 22;

// Turns rows of raw samples into rows of the pixels makeImageFromSamples makes of them, one row at
// a time.
class SampleRowUnpacker {
public:
    explicit SampleRowUnpacker(const SampleImageParams& params);
    ~SampleRowUnpacker();
    SampleRowUnpacker(const SampleRowUnpacker&) = delete;
    SampleRowUnpacker& operator=(const SampleRowUnpacker&) = delete;

    // False for parameters makeImageFromSamples refuses (any size, but rows of at most
    // kMaxSamplesPerRow samples).
    bool isValid() const { return tables_ != nullptr; }
    int width() const { return params_.width; }
    int height() const { return params_.height; }
    PixelFormat format() const { return format_; }
    // Bytes of a row of samples.
    size_t rowBytes() const { return rowBytes_; }
    // Unpacks `row` (rowBytes() bytes) into `out` (width() pixels of format()); false when the
    // colour space cannot colour them.
    bool unpackRow(const std::uint8_t* row, std::uint8_t* out);

private:
    struct Tables;
    static std::uint8_t grayByte(float v);

    SampleImageParams params_;
    int n_ = 0;
    std::vector<double> decode_;
    bool keyed_ = false;
    std::vector<std::int64_t> key_;
    bool grayOut_ = false;
    PixelFormat format_ = PixelFormat::RGB8;
    size_t rowBytes_ = 0;
    double maxSample_ = 1;
    std::unique_ptr<Tables> tables_;
};

// The factor a width x height image is reduced by when it is decoded: 1 for an image within
// kMaxDecodedImageBytes at `bytesPerPixel` decoded bytes a pixel (1 for grey, 3 for colour) and
// the bitmap's side limit; otherwise the smallest that brings it within, raised as far as the image
// keeps at least neededWidth x neededHeight pixels, the size the output shows it at (0 when not
// known). 0 for an empty size.
int sampleReductionFactor(std::int64_t width, std::int64_t height, std::int64_t neededWidth = 0,
                          std::int64_t neededHeight = 0, int bytesPerPixel = 3);

// The image makeImageFromSamples makes, reduced by `factor` in both directions while its samples
// arrive piece by piece: each pixel is the mean of a factor x factor block of the image's pixels
// (cut short at the right and bottom edges; colours under alpha weighed by it). Only a row of
// samples and a row of sums are held besides the result. Factor 1 gives the same pixels as
// makeImageFromSamples.
class ReducedSampleImage {
public:
    ReducedSampleImage(const SampleImageParams& params, int factor);
    // False when the parameters are refused, or the reduced size is outside the bitmap budget
    // (or above kMaxDecodedImagePixels for a factor above 1).
    bool isValid() const { return image_ != nullptr; }
    // The next piece of samples; false once no more are wanted (every row read, or refused).
    bool add(std::string_view data);
    // The image; rows the data did not reach read as zeros. Null when refused.
    ImageRef finish();

private:
    bool takeRow();
    // Adds a row of pixels `times` over into block sums.
    void addPixels(const std::uint8_t* pixels, std::uint64_t times, std::vector<std::uint64_t>& sums,
                   std::vector<std::uint64_t>& weighted) const;
    void emitRow();

    SampleRowUnpacker unpacker_;
    int factor_ = 1;
    std::shared_ptr<Image> image_;
    std::vector<std::uint8_t> row_;
    std::vector<std::uint8_t> pixels_;
    std::vector<std::uint64_t> sums_;
    std::vector<std::uint64_t> weighted_;
    int rowsRead_ = 0;
    bool failed_ = false;
};

}  // namespace kx
