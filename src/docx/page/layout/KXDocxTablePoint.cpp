#include "docx/page/layout/KXDocxTablePoint.h"

#include "platform/Format.h"

void KXDocxTablePoint::setType(std::uint8_t type) {
    type_ = type;
    isIntersectShow_ = (type & kIntersectShow) != 0;
    isIntersectHide_ = (type & kIntersectHide) != 0;
    isIntersect_ = isIntersectShow_ && isIntersectHide_;
    isDeleted_ = (type & kDeleted) != 0;
    isEnd_ = (type & kEnd) != 0;
}

std::string KXDocxTablePoint::description() const {
    return kx::format("<KXDocxTablePoint: %p:[point:[%f, %f]][type:%d]>", static_cast<const void*>(this), point_.x,
                      point_.y, int(type_));
}
