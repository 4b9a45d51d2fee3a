#pragma once
// A border from an annotation's /Border array: [horizontal-radius vertical-radius width [dash]].

#include "pdf/annot/KXPDFBorder.h"

class KXPDFBorderArray : public KXPDFBorder {
public:
    KXPDFBorderArray() = default;
    // A malformed array gives width 0, which the drawn kinds treat as no border.
    explicit KXPDFBorderArray(const kx::PDFObject& array);

    double horizontalCorner() const { return horizontalCorner_; }
    void setHorizontalCorner(double v) { horizontalCorner_ = v; }
    double verticalCorner() const { return verticalCorner_; }
    void setVerticalCorner(double v) { verticalCorner_ = v; }

private:
    double horizontalCorner_ = 0;
    double verticalCorner_ = 0;
};
