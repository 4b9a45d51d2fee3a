#include "docx/model/KXCGPath.h"

void KXCGPath::_createSubCGPaths() {
    if (CGPath_.isEmpty()) return;
    tempCGPath_.reset();
    subCGPaths_.clear();
    auto keep = [this] {
        if (tempCGPath_ && !tempCGPath_->isEmpty()) subCGPaths_.push_back(std::make_shared<KXCGPath>(*tempCGPath_));
        tempCGPath_.reset();
    };
    for (const kx::PathElement& e : CGPath_.elements()) {
        switch (e.type) {
            case kx::PathElementType::MoveToPoint:
                keep();
                tempCGPath_.emplace();
                tempCGPath_->moveTo(e.points[0]);
                break;
            case kx::PathElementType::AddLineToPoint:
            case kx::PathElementType::AddQuadCurveToPoint:
            case kx::PathElementType::AddCurveToPoint:
                // Drawing needs a sub-path begun by a move (after a close there is none).
                if (tempCGPath_) tempCGPath_->addElement(e);
                break;
            case kx::PathElementType::CloseSubpath:
                if (tempCGPath_) {
                    tempCGPath_->closeSubpath();
                    keep();
                }
                break;
        }
    }
}
