#pragma once
// A tensor-product patch mesh (type 7): only the entries common to every shading are read, and it draws nothing.

#include "pdf/shading/KXPDFShading.h"

class KXPDFShadingPathMeshTensor : public KXPDFShading {
public:
    void drawInContext(kx::BitmapContext&, const kx::AffineTransform&) const override {}
};
