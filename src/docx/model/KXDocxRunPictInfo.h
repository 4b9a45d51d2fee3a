#pragma once
// Where a floating picture (image, text box, text along a path, shape) stands on the page: its
// display frame in points, origin at the top left of the page, y growing downward. Every kind of
// picture has a record of its own that extends this one with its style; records are plain values,
// copied whole.

#include <string>

#include "platform/Geometry.h"

struct KXDocxRunPictInfo {
    kx::AffineTransform pdfTransform;  // the picture's transform in PDF space (identity unless set)
    double displayWidth = 0;
    double displayHeight = 0;
    double displayX = 0;  // left edge
    double displayY = 0;  // top edge
    int wrapType = 0;     // text wrapping: 0 none, 1 top and bottom

    virtual ~KXDocxRunPictInfo() = default;

    // (displayX, displayY, displayWidth, displayHeight).
    kx::Rect displayFrame() const { return {displayX, displayY, displayWidth, displayHeight}; }
    void setDisplayFrame(const kx::Rect& frame) {
        displayX = frame.origin.x;
        displayY = frame.origin.y;
        displayWidth = frame.size.width;
        displayHeight = frame.size.height;
    }
    // "\ndisplayX: %f\r\ndisplayY: %f\r\ndisplayWidth: %f\r\ndisplayHeight: %f".
    std::string description() const;
};
