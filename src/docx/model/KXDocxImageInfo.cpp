#include "docx/model/KXDocxImageInfo.h"

#include <cmath>

bool KXDocxImageInfo::isPointInImage(kx::Point p) const {
    bool inside = false;
    for (size_t i = 0, j = 3; i < 4; j = i++) {
        const kx::Point& pi = vertices[i];
        const kx::Point& pj = vertices[j];
        if ((p.y > pi.y && pj.y >= p.y) || (pi.y >= p.y && p.y > pj.y)) {
            const double xc = (pj.x - pi.x) * (p.y - pi.y) / (pj.y - pi.y) + pi.x;
            if (p.x > xc) inside = !inside;
        }
    }
    return inside;
}

void KXDocxImageInfo::becomeUprightPicture(const kx::Rect& frame, int width, int height) {
    setDisplayFrame(frame);
    pixelWidth = width;
    pixelHeight = height;
    horizontalResolution = displayWidth > 0 ? std::round(width * 72.0 / displayWidth) : 72;
    verticalResolution = displayHeight > 0 ? std::round(height * 72.0 / displayHeight) : 72;
    flipX = flipY = false;
    rotation = 0;
    pdfTransform = kx::AffineTransform::identity();
}
