#pragma once
// A decoded bitmap: a page capture, an extracted PDF image, a rasterised shape. Immutable once
// made; shared as std::shared_ptr<const Image>. Rows are tightly packed, top row first. Alpha is
// straight (not premultiplied).

#include <cstdint>
#include <memory>
#include <vector>

namespace kx {

enum class PixelFormat { Gray8, GrayAlpha8, RGB8, RGBA8, CMYK8 };

constexpr int bytesPerPixel(PixelFormat f) {
    switch (f) {
        case PixelFormat::Gray8: return 1;
        case PixelFormat::GrayAlpha8: return 2;
        case PixelFormat::RGB8: return 3;
        case PixelFormat::RGBA8: return 4;
        case PixelFormat::CMYK8: return 4;
    }
    return 4;
}

constexpr bool hasAlpha(PixelFormat f) { return f == PixelFormat::GrayAlpha8 || f == PixelFormat::RGBA8; }

// The largest bitmap the program makes or decodes: 2^28 pixels (a 16384 x 16384 square), and no
// side above 32767 (cairo's limit). Larger requests fail through the caller's failure path.
constexpr std::int64_t kMaxBitmapPixels = std::int64_t(1) << 28;
constexpr int kMaxBitmapSide = 32767;

constexpr bool isBitmapSizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
           width * height <= kMaxBitmapPixels;
}

struct Image {
    int width = 0;
    int height = 0;
    PixelFormat format = PixelFormat::RGBA8;
    std::vector<std::uint8_t> pixels;  // width * height * bytesPerPixel(format)
    // Resolution recorded in files written from the image (dots per inch).
    double dpiX = 72;
    double dpiY = 72;

    size_t stride() const { return static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel(format)); }
    const std::uint8_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * stride(); }
    std::uint8_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * stride(); }
    bool isValid() const {
        return isBitmapSizeAllowed(width, height) && pixels.size() == stride() * static_cast<size_t>(height);
    }

    // A blank image (zeros), or nullptr when the size is not allowed.
    static std::shared_ptr<Image> make(int width, int height, PixelFormat format);
    // An image of these pixels (taken, not copied, and not zeroed first), or nullptr when the size
    // is not allowed or the pixels do not fill it exactly.
    static std::shared_ptr<Image> withPixels(int width, int height, PixelFormat format, std::vector<std::uint8_t>&& pixels);
};

using ImageRef = std::shared_ptr<const Image>;

// A picture of width x height pixels that is mostly transparent, kept as the part of it that holds
// every pixel that is not: `image`, its top-left corner at (left, top) in the picture. Every pixel
// outside the part is transparent black, and so is every edge row and column of the part that does
// not lie on the picture's own edge, so the part padded at its edges shows the same pixels as the
// whole picture padded at its edges. A whole image is its own part at (0, 0).
struct PlacedImage {
    ImageRef image;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    static PlacedImage whole(ImageRef image);
    bool isWhole() const {
        return image && left == 0 && top == 0 && image->width == width && image->height == height;
    }
    // Whether the part lies inside the picture.
    bool partFits() const {
        return image && left >= 0 && top >= 0 && image->width <= width - left && image->height <= height - top;
    }
    // The whole picture: the part itself when it is whole, else the part copied into a blank image
    // (nullptr without a part or for a part that does not fit the size).
    ImageRef wholeImage() const;
};

}  // namespace kx
