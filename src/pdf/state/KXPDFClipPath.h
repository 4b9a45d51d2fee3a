#pragma once
// One clipping path of a render state: its elements in page space and its rule.

#include <memory>

#include "pdf/state/KXPDFCGPathUtilities.h"

class KXPDFClipPath {
public:
    enum : int { NonZero = 1, EvenOdd = 2 };

    KXPDFClipPath() = default;
    KXPDFClipPath(KXPDFPathElementArray pathArray, int clipType)
        : pathArray_(std::move(pathArray)), clipType_(clipType) {}

    const KXPDFPathElementArray& pathArray() const { return pathArray_; }
    void setPathArray(KXPDFPathElementArray array) { pathArray_ = std::move(array); }
    // 1 nonzero, 2 even-odd.
    int clipType() const { return clipType_; }
    void setClipType(int type) { clipType_ = type; }

    static std::shared_ptr<const KXPDFClipPath> NewClipPathArray(KXPDFPathElementArray pathArray, int clipType) {
        return std::make_shared<const KXPDFClipPath>(std::move(pathArray), clipType);
    }

private:
    KXPDFPathElementArray pathArray_;
    int clipType_ = 0;
};
