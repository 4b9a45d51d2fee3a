#include "docx/model/KXCGPath.h"

void KXCGPath::_createSubCGPaths() {
    if (CGPath_.isEmpty()) return;
    subCGPaths_.clear();
    tempCGPath_ = forEachSubPathOf(CGPath_, [this](const kx::Path& sub) {
        if (!sub.isEmpty()) subCGPaths_.push_back(std::make_shared<KXCGPath>(sub));
    });
}
