#include "platform/Image.h"

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

}  // namespace kx
