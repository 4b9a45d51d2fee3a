#pragma once
// A lattice-form triangle mesh (type 5): only the entries common to every shading are read, and it draws nothing.

#include "pdf/shading/KXPDFShading.h"

class KXPDFShadingGouraudTriangleLattice : public KXPDFShading {
public:
    void drawInContext(kx::BitmapContext&, const kx::AffineTransform&) const override {}
};
