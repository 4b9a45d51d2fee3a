#pragma once
// A "Circle" annotation.

#include "pdf/annot/KXPDFAnnotGeometry.h"

class KXPDFAnnotCircel : public KXPDFAnnotGeometry {
public:
    using KXPDFAnnotGeometry::KXPDFAnnotGeometry;
};
