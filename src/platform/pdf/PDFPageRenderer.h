#pragma once
// Drawing a whole PDF page into a bitmap with MuPDF's renderer (the page-capture operation).

#include <chrono>
#include <memory>

#include "platform/Geometry.h"
#include "platform/Image.h"

namespace kx {

class PDFPage;

// Draws the page (its content and the appearances of its annotations) through `transform`, which
// maps PDF user space onto a width x height bitmap whose origin is the bottom-left corner (y up), on
// a white background with anti-aliasing. The result is an opaque RGB bitmap; nullptr when the size is
// outside the bitmap budget (isBitmapSizeAllowed) or the page cannot be drawn: damaged beyond use,
// holding functions the renderer cannot evaluate safely (sample tables whose size overflows,
// calculator programs beyond the interpreter's size and nesting limits), or taking longer than the
// drawing time limit (unbounded work without a cycle, such as forms drawing forms many times over).
std::shared_ptr<Image> renderPDFPage(const PDFPage& page, const AffineTransform& transform, int width, int height);

// The longest a page may take to draw; 30 seconds unless set (tests set it lower).
void setPageDrawingTimeLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds pageDrawingTimeLimit();

}  // namespace kx
