#include "platform/Image.h"

#include <cstring>

namespace kx {

std::shared_ptr<Image> Image::make(int width, int height, PixelFormat format) {
    if (!isBitmapSizeAllowed(width, height)) return nullptr;
    auto img = std::make_shared<Image>();
    img->width = width;
    img->height = height;
    img->format = format;
    img->pixels.assign(img->stride() * static_cast<size_t>(height), 0);
    return img;
}

std::shared_ptr<Image> Image::withPixels(int width, int height, PixelFormat format, std::vector<std::uint8_t>&& pixels) {
    if (!isBitmapSizeAllowed(width, height)) return nullptr;
    auto img = std::make_shared<Image>();
    img->width = width;
    img->height = height;
    img->format = format;
    if (img->stride() * static_cast<size_t>(height) != pixels.size()) return nullptr;
    img->pixels = std::move(pixels);
    return img;
}

PlacedImage PlacedImage::whole(ImageRef image) {
    PlacedImage placed;
    if (image) {
        placed.width = image->width;
        placed.height = image->height;
    }
    placed.image = std::move(image);
    return placed;
}

ImageRef PlacedImage::wholeImage() const {
    if (!image || isWhole()) return image;
    if (!partFits()) return nullptr;
    auto full = Image::make(width, height, image->format);
    if (!full) return nullptr;
    full->dpiX = image->dpiX;
    full->dpiY = image->dpiY;
    const size_t bpp = static_cast<size_t>(bytesPerPixel(image->format));
    for (int y = 0; y < image->height; ++y)
        std::memcpy(full->row(top + y) + static_cast<size_t>(left) * bpp, image->row(y), image->stride());
    return full;
}

}  // namespace kx
