#include "docx/model/KXDocxImageInfo.h"

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
