#pragma once
// Masks applied to decoded images: a gray soft mask as coverage, and a stencil mask painted in a
// colour.

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Image.h"

namespace kx {

// The image drawn over a canvas of the larger width by the larger height of the two images, both
// stretched over the canvas rectangle after `transform` (canvas pixels, y up), with the mask's gray
// level as coverage (its alpha, when it has one, is ignored). RGBA8. The image itself when the
// mask is null; null when the image is null or the canvas is outside the bitmap budget.
ImageRef maskImage(const ImageRef& image, const ImageRef& mask, const AffineTransform& transform);

// A stencil mask (gray: 0 where the mask paints, 255 where it does not) as an RGBA8 image: the
// colour where it paints, transparent elsewhere (coverage 1 − gray).
ImageRef paintStencil(const ImageRef& mask, const Color& color);

}  // namespace kx
