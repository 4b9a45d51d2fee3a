#pragma once
// Where a floating picture (image, text box, text along a path, shape) stands on the page: its
// display frame in points, origin at the top left of the page, y growing downward.

#include "platform/Geometry.h"

struct KXDocxRunPictInfo {
    kx::AffineTransform pdfTransform;  // the picture's transform in PDF space (identity unless set)
    double displayWidth = 0;
    double displayHeight = 0;
    double displayX = 0;  // left edge
    double displayY = 0;  // top edge

    virtual ~KXDocxRunPictInfo() = default;
};
