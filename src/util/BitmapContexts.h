#pragma once
// Bitmap contexts of a size given in points or pixels, as the drawing steps ask for them: the size
// is truncated to whole pixels, and a size that gives no bitmap is said on the standard error
// stream ("Context Size Zero!" for an empty one, "Context not created!" for one beyond the bitmap
// budget), the caller getting nothing.

#include <memory>

#include "platform/BitmapContext.h"

namespace kx {

// A transparent RGBA context, or with `opaque` one without alpha (it starts black).
std::unique_ptr<BitmapContext> makeBitmapContext(double width, double height, bool opaque);

}  // namespace kx
