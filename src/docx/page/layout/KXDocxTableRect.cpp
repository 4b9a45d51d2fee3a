#include "docx/page/layout/KXDocxTableRect.h"

namespace {

kx::Point at(const std::shared_ptr<KXDocxTablePoint>& p) { return p ? p->point() : kx::Point{}; }

}  // namespace

KXDocxTableRect::KXDocxTableRect(std::shared_ptr<KXDocxTablePoint> topLeft,
                                 std::shared_ptr<KXDocxTablePoint> topRight,
                                 std::shared_ptr<KXDocxTablePoint> bottomLeft,
                                 std::shared_ptr<KXDocxTablePoint> bottomRight)
    : pointTopLeft_(std::move(topLeft)),
      pointTopRight_(std::move(topRight)),
      pointBottomLeft_(std::move(bottomLeft)),
      pointBottomRight_(std::move(bottomRight)) {
    const kx::Point tl = at(pointTopLeft_);
    bounds_ = kx::Rect(tl.x, tl.y, at(pointTopRight_).x - tl.x, at(pointBottomLeft_).y - tl.y);
}
