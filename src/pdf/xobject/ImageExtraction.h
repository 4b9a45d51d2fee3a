#pragma once
// Image and mask extraction: an image stream with its colour space, decode array and masks becomes
// an image file that the exporters copy or redraw. Files go to the conversion's temporary folder;
// their names say what they hold: "IMG_<uuid>.jpeg" for JPEG data written as JPEG, "IMG_<uuid>.png"
// for other images, "IMG_Masked_<uuid>.png" for images with a mask, each made unique once more.

#include <string>

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/pdf/PDFObject.h"

namespace kx {

// A fresh path for the image stream's file, named as above.
std::string imagePathForStream(const PDFObject& stream);
// Decodes the image stream (with the resources' colour-space dictionary for named colour spaces,
// or the null object) and writes it to `path`: JPEG at `jpegQuality` when the stream holds JPEG
// data and nothing masks it, PNG otherwise (always for masks). A stencil mask (ImageMask) paints
// `stencilColor` (black when null) and leaves the rest transparent. False, and no file, when the
// image cannot be decoded. A PNG made while a KXPictureStore::Deferral is active is held in memory
// under `path` instead of written.
bool extractImageStream(const PDFObject& stream, const PDFObject& colorSpaces, const std::string& path,
                        float jpegQuality, bool isMaskStream, const Color* stencilColor = nullptr);
// What came of an image stream.
enum class ImageExtraction {
    Written,     // its file is written (or held)
    Failed,      // damaged or unsupported: no file
    OverBudget,  // no reduction brings it within the decode budget: no file
};
// extractImageStream for an image the output shows at `needed` pixels (zero when not known): an
// image beyond the decode budget (kMaxDecodedImageBytes) is decoded reduced, down to that size at
// most, its mask with it.
ImageExtraction extractImageStreamWithin(const PDFObject& stream, const PDFObject& colorSpaces, const std::string& path,
                                         float jpegQuality, bool isMaskStream, const Color* stencilColor, Size needed);
// The factor extractImageStreamWithin reduces the image of `stream` by (1: not reduced).
int imageDecodeReduction(const PDFObject& stream, const PDFObject& colorSpaces, Size needed);
// Writes a mask stream as a gray PNG ("SMask_<uuid>.png") and returns the path, written or not.
std::string extractMaskStream(const PDFObject& stream);

}  // namespace kx
