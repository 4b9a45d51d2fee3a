#pragma once
// A function-based shading (type 1): only the entries common to every shading are read, and it draws nothing.

#include "pdf/shading/KXPDFShading.h"

class KXPDFShadingFunction : public KXPDFShading {
public:
    void drawInContext(kx::BitmapContext&, const kx::AffineTransform&) const override {}
};
