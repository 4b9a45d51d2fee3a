#pragma once
// Encoding a bitmap into an image file: PNG, JPEG, BMP, GIF, TIFF, TGA and JPEG 2000.
//
// Each format gets the pixels it can hold: PNG, TIFF, TGA and JPEG 2000 keep gray, colour and
// alpha as they are; JPEG, BMP and GIF have no alpha, so a translucent image is laid over white
// first. CMYK bitmaps are written as RGB except in TIFF, which keeps the separation.

#include <string>

#include "platform/Image.h"
#include "platform/ImageFileType.h"

namespace kx {

struct ImageWriteOptions {
    // Resolution recorded in the file where the format has a place for it (PNG, JPEG, BMP, TIFF).
    double dpiX = 72;
    double dpiY = 72;
    // Lossy compression quality from 0 to 1 (JPEG only).
    float quality = 0.92f;
    // zlib level of the image data from 0 to 9, negative for zlib's default (PNG only).
    int deflateLevel = -1;
};

enum class ImageWriteStatus {
    Written,
    // The image is empty, outside the bitmap budget or too large for the format, or the type is
    // Unknown: nothing was written.
    CannotEncode,
    // The file could not be created or written; a partial file is removed.
    WriteFailed,
};

ImageWriteStatus writeImageFile(const Image& image, const std::string& path, ImageFileType type,
                                const ImageWriteOptions& options = {});

}  // namespace kx
