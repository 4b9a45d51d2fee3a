#pragma once
// The one image-file writer of the program: page images, extracted pictures, rasterised shapes and
// temporary bitmaps all reach disk through it.

#include <string>

#include "platform/Image.h"
#include "platform/image/ImageWriter.h"

// Encodes `image` into the file at `path` as `type`, recording the resolution where the format
// holds one (JPEG 2000 gets none) and using `quality` (0 to 1) for JPEG. False, after a message on
// the standard error stream, when there is no image to write ("Couldn't create image destination!")
// or the file could not be written ("Couldn't write image to file!"); no partial file is left.
// `pngDeflateLevel` is the zlib level of a PNG's data (negative: zlib's default).
bool KXWriteCGImageToURL(const kx::ImageRef& image, const std::string& path, kx::ImageFileType type, double dpiX,
                         double dpiY, float quality, int pngDeflateLevel = -1);

// Pictures made for an office package, which is deflated again as a whole, take a quick level:
// the default level's search costs several times as much for a few per cent of size.
inline constexpr int kKXPackagePictureDeflateLevel = 3;
