#include "util/KXWriteCGImageToURL.h"

#include <cstdio>

bool KXWriteCGImageToURL(const kx::ImageRef& image, const std::string& path, kx::ImageFileType type, double dpiX,
                         double dpiY, float quality, int pngDeflateLevel) {
    if (!image || !image->isValid() || path.empty()) {
        std::fputs("Couldn't create image destination!\n", stderr);
        return false;
    }
    kx::ImageWriteOptions options;
    options.dpiX = dpiX;
    options.dpiY = dpiY;
    options.quality = quality;
    options.deflateLevel = pngDeflateLevel;
    switch (kx::writeImageFile(*image, path, type, options)) {
        case kx::ImageWriteStatus::Written: return true;
        case kx::ImageWriteStatus::CannotEncode: std::fputs("Couldn't create image destination!\n", stderr); return false;
        case kx::ImageWriteStatus::WriteFailed: break;
    }
    std::fputs("Couldn't write image to file!\n", stderr);
    return false;
}
