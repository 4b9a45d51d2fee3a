#pragma once
// A Coons patch mesh (type 6): only the entries common to every shading are read, and it draws nothing.

#include "pdf/shading/KXPDFShading.h"

class KXPDFShadingPatchMeshCoons : public KXPDFShading {
public:
    void drawInContext(kx::BitmapContext&, const kx::AffineTransform&) const override {}
};
