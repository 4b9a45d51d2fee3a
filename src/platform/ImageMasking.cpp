#include "platform/ImageMasking.h"

#include <algorithm>
#include <cmath>

#include "platform/ImageDecoding.h"

namespace kx {

namespace {

// Bilinear sample of channel values at (fx, fy) in pixel units (pixel centres at whole numbers).
void sampleBilinear(const Image& img, double fx, double fy, std::uint8_t* out, int channels) {
    fx = std::clamp(fx, 0.0, static_cast<double>(img.width - 1));
    fy = std::clamp(fy, 0.0, static_cast<double>(img.height - 1));
    int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    int x1 = std::min(x0 + 1, img.width - 1), y1 = std::min(y0 + 1, img.height - 1);
    double ax = fx - x0, ay = fy - y0;
    int bpp = bytesPerPixel(img.format);
    const std::uint8_t* p00 = img.row(y0) + x0 * bpp;
    const std::uint8_t* p10 = img.row(y0) + x1 * bpp;
    const std::uint8_t* p01 = img.row(y1) + x0 * bpp;
    const std::uint8_t* p11 = img.row(y1) + x1 * bpp;
    for (int c = 0; c < channels; ++c) {
        double top = p00[c] + (p10[c] - p00[c]) * ax;
        double bottom = p01[c] + (p11[c] - p01[c]) * ax;
        out[c] = static_cast<std::uint8_t>(top + (bottom - top) * ay + 0.5);
    }
}

}  // namespace

ImageRef maskImage(const ImageRef& image, const ImageRef& mask, const AffineTransform& transform) {
    if (!image) return nullptr;
    if (!mask) return image;
    ImageRef rgba = toRGBA8(image);
    ImageRef gray = toGray8(mask);
    if (!rgba || !gray) return nullptr;
    // Compared in single precision, as sizes are elsewhere.
    int W = static_cast<float>(rgba->width) >= static_cast<float>(gray->width) ? rgba->width : gray->width;
    int H = static_cast<float>(rgba->height) >= static_cast<float>(gray->height) ? rgba->height : gray->height;
    auto out = Image::make(W, H, PixelFormat::RGBA8);
    if (!out) return nullptr;
    AffineTransform inv = transform.inverted();
    bool plain = transform.isIdentity();
    // Image and mask of the canvas's own size, unmoved: every sample falls on a pixel centre, where
    // the bilinear sample is the pixel itself.
    if (plain && rgba->width == W && rgba->height == H && gray->width == W && gray->height == H) {
        const size_t n = static_cast<size_t>(W) * static_cast<size_t>(H);
        const std::uint8_t* src = rgba->pixels.data();
        const std::uint8_t* m = gray->pixels.data();
        std::uint8_t* dst = out->pixels.data();
        for (size_t i = 0; i < n; ++i, src += 4, dst += 4) {
            dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
            dst[3] = static_cast<std::uint8_t>((src[3] * m[i] + 127) / 255);
        }
        return out;
    }
    for (int y = 0; y < H; ++y) {
        std::uint8_t* dst = out->row(y);
        for (int x = 0; x < W; ++x, dst += 4) {
            // Canvas point (y up) back into the unstretched rectangle.
            Point p{x + 0.5, H - (y + 0.5)};
            Point q = plain ? p : inv.apply(p);
            // Written so that a point that is not a number (a degenerate transform) is outside too.
            if (!(q.x >= 0 && q.y >= 0 && q.x <= W && q.y <= H)) continue;
            double u = q.x / W, v = 1.0 - q.y / H;  // 0..1 from the top left
            std::uint8_t px[4], m;
            sampleBilinear(*rgba, u * rgba->width - 0.5, v * rgba->height - 0.5, px, 4);
            sampleBilinear(*gray, u * gray->width - 0.5, v * gray->height - 0.5, &m, 1);
            dst[0] = px[0], dst[1] = px[1], dst[2] = px[2];
            dst[3] = static_cast<std::uint8_t>((px[3] * m + 127) / 255);
        }
    }
    return out;
}

ImageRef paintStencil(const ImageRef& mask, const Color& color) {
    ImageRef gray = toGray8(mask);
    if (!gray) return nullptr;
    auto out = Image::make(gray->width, gray->height, PixelFormat::RGBA8);
    if (!out) return nullptr;
    auto ch = [](double v) { return static_cast<std::uint8_t>(std::clamp(std::isnan(v) ? 0.0 : v, 0.0, 1.0) * 255 + 0.5); };
    std::uint8_t r = ch(color.red), g = ch(color.green), b = ch(color.blue);
    double a = std::clamp(std::isnan(color.alpha) ? 1.0 : color.alpha, 0.0, 1.0);
    size_t n = static_cast<size_t>(gray->width) * static_cast<size_t>(gray->height);
    for (size_t i = 0; i < n; ++i) {
        std::uint8_t* d = out->pixels.data() + 4 * i;
        d[0] = r, d[1] = g, d[2] = b;
        d[3] = static_cast<std::uint8_t>((255 - gray->pixels[i]) * a + 0.5);
    }
    return out;
}

}  // namespace kx
