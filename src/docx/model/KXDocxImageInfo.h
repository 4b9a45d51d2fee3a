#pragma once
// Where an image run stands on the page and what its file holds: the frame (from the placement
// record), the pixel size and resolution of the file, its turn, mirroring and opacity, and the four
// corners of the image on the page.

#include <array>
#include <string>

#include "docx/model/KXDocxRunPictInfo.h"
#include "platform/Geometry.h"

struct KXDocxImageInfo : KXDocxRunPictInfo {
    std::string imageID;     // the image's name as its maker gives it
    std::string imageTitle;  // written as the picture's title
    int pixelWidth = 0;
    int pixelHeight = 0;
    // 0 to 1; a plain picture has 1 (below 1 the writer adds an opacity fill).
    float opacity = 0;
    float rotation = 0;  // degrees
    bool flipX = false;
    bool flipY = false;
    kx::Point center;
    double horizontalResolution = 0;  // pixels per inch across
    double verticalResolution = 0;    // pixels per inch down
    // The image's corners on the page, in the order (0,0), (1,0), (1,1), (0,1) of its unit square.
    std::array<kx::Point, 4> vertices{};

    // Even-odd test of the point against the quadrilateral of the four corners.
    bool isPointInImage(kx::Point p) const;

    // The record of a picture drawn anew upright over `frame` with the given pixels: no turn, no
    // mirroring, no transform left, and the resolution the pixels have over the frame (72 where the
    // frame has no size).
    void becomeUprightPicture(const kx::Rect& frame, int width, int height);
};
