#pragma once
// A "Square" annotation.

#include "pdf/KXPDFAnnotGeometry.h"

class KXPDFAnnotSquare : public KXPDFAnnotGeometry {
public:
    using KXPDFAnnotGeometry::KXPDFAnnotGeometry;
};
