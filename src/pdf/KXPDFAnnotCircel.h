#pragma once
// A "Circle" annotation.

#include "pdf/KXPDFAnnotGeometry.h"

class KXPDFAnnotCircel : public KXPDFAnnotGeometry {
public:
    using KXPDFAnnotGeometry::KXPDFAnnotGeometry;
};
