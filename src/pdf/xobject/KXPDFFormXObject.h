#pragma once
// A form XObject: a content stream of its own with a matrix, a bounding box and an optional
// transparency group. The interpreter runs it in a nested interpreter.

#include <array>

#include "pdf/xobject/KXPDFXObject.h"

class KXPDFColorSpace;

class KXPDFFormXObject : public KXPDFXObject {
public:
    explicit KXPDFFormXObject(kx::PDFObject stream);
    std::int64_t getType() const override { return Form; }

    // Reads FormType, BBox, Matrix and Group. A FormType other than 1 stops the reading (the form
    // keeps an identity matrix and is still run); so does a BBox that is not four elements.
    void parse(const kx::PDFObject& stream);
    kx::AffineTransform matrixTransform() const { return {matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]}; }

    std::int64_t formType = 0;
    // [a b c d e f]; identity when absent or not six numbers.
    std::array<double, 6> matrix{1, 0, 0, 1, 0, 0};
    // As given; zero when absent.
    std::array<double, 4> bbox{0, 0, 0, 0};
    // A Group whose S is not Image.
    bool transpGroup = false;
    bool isolated = false;
    bool knockout = false;
    std::shared_ptr<const KXPDFColorSpace> blendingColorSpace;
};
