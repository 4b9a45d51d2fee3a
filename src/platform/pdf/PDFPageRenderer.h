#pragma once
// Drawing a whole PDF page into a bitmap with MuPDF's renderer (the page-capture operation).

#include <memory>

#include "platform/Geometry.h"
#include "platform/Image.h"

namespace kx {

class PDFPage;

// Draws the page (its content and the appearances of its annotations) through `transform`, which
// maps PDF user space onto a width x height bitmap whose origin is the bottom-left corner (y up), on
// a white background with anti-aliasing. The result is an opaque RGB bitmap; nullptr when the size is
// outside the bitmap budget (isBitmapSizeAllowed) or the page cannot be drawn.
std::shared_ptr<Image> renderPDFPage(const PDFPage& page, const AffineTransform& transform, int width, int height);

}  // namespace kx
