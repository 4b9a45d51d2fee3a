#pragma once
// A free-form triangle mesh (type 4): only the entries common to every shading are read, and it draws nothing.

#include "pdf/shading/KXPDFShading.h"

class KXPDFShadingGouraudTriangleFree : public KXPDFShading {
public:
    void drawInContext(kx::BitmapContext&, const kx::AffineTransform&) const override {}
};
