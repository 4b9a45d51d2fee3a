#pragma once
// A "Square" annotation.

#include "pdf/annot/KXPDFAnnotGeometry.h"

class KXPDFAnnotSquare : public KXPDFAnnotGeometry {
public:
    using KXPDFAnnotGeometry::KXPDFAnnotGeometry;
};
