#pragma once
// The placement of a picture on a slide: its unrotated box in points (slide space, y down), the
// rotation about the box's centre in degrees, the flips and the opacity. The identifiers, pixel
// size and resolutions are kept for the exporter's own use.

#include <cstdint>
#include <string>

#include "platform/Geometry.h"

class KXPDFRenderState;

struct KXPPTXImageInfo {
    std::string imageID;
    std::string imageTitle;
    std::int32_t pixelWidth = 0;
    std::int32_t pixelHeight = 0;
    float opacity = 1;
    float rotation = 0;
    bool flipX = false;
    bool flipY = false;
    double displayWidth = 0;
    double displayHeight = 0;
    double horizontalResolution = 0;
    double verticalResolution = 0;
    double displayX = 0;
    double displayY = 0;

    KXPPTXImageInfo() = default;
    // Placed by setUpWithTransform.
    KXPPTXImageInfo(const kx::AffineTransform& transform, const KXPDFRenderState& state);

    // The transform maps the image's unit square into slide space: the box takes the lengths of
    // the square's two sides and is centred where the square's centre lands; the rotation is the
    // angle of its bottom side, in [0, 360); a transform that keeps the orientation of the y-up
    // unit square (positive determinant) flips it vertically on the y-down slide. The opacity is
    // the state's fill alpha.
    void setUpWithTransform(const kx::AffineTransform& transform, const KXPDFRenderState& state);
    void setDisplayRect(const kx::Rect& r);
};
