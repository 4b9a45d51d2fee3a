#include "docx/model/KXDocxRunTextLineSpace.h"

std::shared_ptr<KXDocxRunTextLineSpace> KXDocxRunTextLineSpace::RunTextLineSpaceWithLeftRunText(
    std::shared_ptr<KXDocxRunText> left, std::shared_ptr<KXDocxRunText> right) {
    if (!left && !right) return nullptr;
    kx::Rect rect;
    if (left && right) {
        const KXPDF_CTMInfo &l = left->ctmInfo(), &r = right->ctmInfo();
        double gap = r.xLeft - l.xRight;
        rect = gap > 0 ? kx::Rect(l.xRight, l.yTop, gap, l.frame.size.height)
                       : kx::Rect(r.xLeft - 0.1, l.yTop, 0.2, l.frame.size.height);
    } else if (left) {
        const KXPDF_CTMInfo& l = left->ctmInfo();
        rect = kx::Rect(l.xRight, l.yTop, static_cast<double>(kOpenWidth), l.frame.size.height);
    } else {
        const KXPDF_CTMInfo& r = right->ctmInfo();
        rect = kx::Rect(0, r.yTop, r.xLeft, r.frame.size.height);
    }
    auto space = std::make_shared<KXDocxRunTextLineSpace>();
    space->setSpaceRect(rect);
    space->setLeftRunText(std::move(left));
    space->setRightRunText(std::move(right));
    return space;
}
