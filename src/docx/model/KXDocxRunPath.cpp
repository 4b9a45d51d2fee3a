// The path run: its path and sub-paths, its box and line type, and the pairwise tests of the
// clean-up passes.

#include "docx/model/KXDocxRunPath.h"

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXLineUtilites.h"
#include "platform/Format.h"

namespace {

const KXDocx_Color kOpaqueBlack{0, 0, 0, 255};

double area(const kx::Rect& r) { return r.isNull() ? 0.0 : r.width() * r.height(); }

// The part two boxes share when it is more than 1 by 1.
bool meetsByMoreThanOne(const kx::Rect& a, const kx::Rect& b) {
    const kx::Rect i = a.intersection(b);
    return !i.isNull() && i.width() > 1.0 && i.height() > 1.0;
}

bool isPainted(const KXDocxPathInfo& info) { return info.filled() || info.stroked(); }

// Stroke first, then fill, else opaque black.
KXDocx_Color paintColor(const KXDocxPathInfo& info) {
    if (info.stroked()) return info.strokeColorKX();
    if (info.filled()) return info.fillColorKX();
    return kOpaqueBlack;
}

// Fill first, then stroke, else opaque black.
KXDocx_Color areaColor(const KXDocxPathInfo& info) {
    if (info.filled()) return info.fillColorKX();
    if (info.stroked()) return info.strokeColorKX();
    return kOpaqueBlack;
}

// The run's box, worked out again when it is empty; nullopt when it stays empty.
std::optional<kx::Rect> usableBox(const KXDocxRunPath& run) {
    if (!run.boundingBox().isEmpty()) return run.boundingBox();
    KXDocxRunPath probe;
    if (const KXDocxPathInfo* info = run.pictInfo()) probe.setPictInfo(*info);
    probe.setRunCGPath(run.runCGPath());
    if (probe.boundingBox().isEmpty()) return std::nullopt;
    return probe.boundingBox();
}

}  // namespace

std::shared_ptr<KXDocxRun> KXDocxRunPath::copy() const { return copyRunPath(); }

std::shared_ptr<KXDocxRunPath> KXDocxRunPath::copyRunPath() const {
    return std::shared_ptr<KXDocxRunPath>(new KXDocxRunPath(*this));
}

std::string KXDocxRunPath::description() const {
    const KXDocxPathInfo& i = info();
    return kx::format("<KXDocxRunPath: %p:[pdfScanIndex:%llu][stroked:%d][filled:%d][isHaveCurve:%d][runLineType:%d]"
                      "[isTableLine:%d][displayRect:%f,%f,%f,%f]>",
                      static_cast<const void*>(this), static_cast<unsigned long long>(pdfScanIndex()), i.stroked(),
                      i.filled(), isHaveCurve_, runLineType_, isTableLine_, i.displayX, i.displayY, i.displayWidth,
                      i.displayHeight);
}

const KXDocxPathInfo& KXDocxRunPath::info() const {
    static const KXDocxPathInfo unpainted;
    return pictInfo_ ? *pictInfo_ : unpainted;
}

void KXDocxRunPath::setPictInfo(const KXDocxPathInfo& info) {
    pictInfo_ = info;
    updateBoundingBox();
}

kx::Rect KXDocxRunPath::displayRect() const {
    if (!pictInfo_) return kx::Rect::zero();
    return {pictInfo_->displayX, pictInfo_->displayY, pictInfo_->displayWidth, pictInfo_->displayHeight};
}

void KXDocxRunPath::updateBoundingBox() {
    if (runCGPath_.isEmpty()) {
        boundingBox_ = kx::Rect::zero();
        return;
    }
    kx::Rect box = runCGPath_.pathBoundingBox();
    if (box.isNull()) {
        boundingBox_ = kx::Rect::zero();
        return;
    }
    box = box.standardized();
    if (pictInfo_ && pictInfo_->stroked()) {
        const double w = pictInfo_->strokeweight();
        if (box.size.width < 0.01) {
            box.origin.x -= w / 2;
            box.size.width += w;
        }
        if (box.size.height < 0.01) {
            box.origin.y -= w / 2;
            box.size.height += w;
        }
    }
    boundingBox_ = box;
}

void KXDocxRunPath::setRunCGPath(const kx::Path& path) {
    runCGPath_ = path;
    updateBoundingBox();
    isHaveCurve_ = false;
    pathPointCount_ = 0;
    for (const kx::PathElement& e : runCGPath_.elements()) {
        switch (e.type) {
            case kx::PathElementType::MoveToPoint:
            case kx::PathElementType::AddLineToPoint:
                ++pathPointCount_;
                break;
            case kx::PathElementType::AddQuadCurveToPoint:
            case kx::PathElementType::AddCurveToPoint:
                isHaveCurve_ = true;
                ++pathPointCount_;
                break;
            case kx::PathElementType::CloseSubpath:
                break;
        }
    }
}

template <class F>
std::optional<kx::Path> KXDocxRunPath::forEachSubPath(F&& f) const {
    return forEachSubPathOf(runCGPath_, std::forward<F>(f));
}

std::vector<std::shared_ptr<KXCGPath>> KXDocxRunPath::subCGPaths() const {
    std::vector<std::shared_ptr<KXCGPath>> subs;
    forEachSubPath([&subs](const kx::Path& sub) { subs.push_back(std::make_shared<KXCGPath>(sub)); });
    return subs;
}

std::optional<kx::Path> KXDocxRunPath::tempCGPath() const {
    return forEachSubPath([](const kx::Path&) {});
}

void KXDocxRunPath::setRunLinePointArray(std::optional<std::vector<kx::Point>> points) {
    runLinePointArray_ = std::move(points);
    runLineType_ = kLineTypeOther;
    if (!runLinePointArray_) return;
    // Kept until the page is done: no room beyond the points.
    runLinePointArray_->shrink_to_fit();
    const std::vector<kx::Point>& p = *runLinePointArray_;
    if (p.size() == 2 || p.size() == 3) {
        if (KXLineUtilites::IsHorizontalLineP1(p[0], p[1]))
            runLineType_ = kLineTypeHorizontal;
        else if (KXLineUtilites::IsVerticalLineP1(p[0], p[1]))
            runLineType_ = kLineTypeVertical;
    } else if (p.size() >= 4 && p.size() <= 6 && KXLineUtilites::IsHorizontalRectange(p)) {
        const double longer = std::max(boundingBox_.width(), boundingBox_.height());
        runLineType_ = longer < 0.0001 ? kLineTypeOther : longer < 8.1 ? kLineTypeSmallRect : kLineTypeRect;
    }
}

bool KXDocxRunPath::isBorderEqualToPath(const KXDocxRunPath& other) const {
    const KXDocxPathInfo &a = info(), &b = other.info();
    if (a.filled() != b.filled() || a.stroked() != b.stroked()) return false;
    if (!a.stroked()) return true;
    return a.strokeweight() == b.strokeweight() && KXDocxColorIsEqual(a.strokeColorKX(), b.strokeColorKX());
}

bool KXDocxRunPath::IsEqualColor(const KXDocx_Color& color) const {
    const KXDocxPathInfo& i = info();
    if (i.filled() && !KXDocxColorIsEqual(i.fillColorKX(), color)) return false;
    if (i.stroked() && !KXDocxColorIsEqual(i.strokeColorKX(), color)) return false;
    return true;
}

std::shared_ptr<KXDocxRunPath> KXDocxRunPath::hideRunPaths(const KXDocxRunPathArray& runs) const {
    for (const auto& run : runs)
        if (run && run->pdfScanIndex() < pdfScanIndex() && meetsByMoreThanOne(run->boundingBox(), boundingBox_))
            return run;
    return nullptr;
}

double KXDocxRunPath::areaIntersectionRect(const kx::Rect& rect) const {
    if (runCGPath_.isEmpty()) return 0;
    auto covered = [&rect](const kx::Path& path) {
        const kx::Rect i = path.pathBoundingBox().intersection(rect);
        return !i.isNull() && i.width() > 1.0 && i.height() > 1.0 ? area(i) : 0.0;
    };
    double sum = 0;
    bool any = false;
    forEachSubPath([&](const kx::Path& sub) {
        any = true;
        sum += covered(sub);
    });
    return any ? sum : covered(runCGPath_);
}

bool KXDocxRunPath::isAloneRectWithRunPaths(const KXDocxRunPathArray& runs) const {
    if (runLineType_ != kLineTypeRect || !info().stroked()) return false;
    const kx::Rect grown = boundingBox_.insetBy(-1.1, -1.1);
    for (const auto& run : runs) {
        if (!run || boundingBox_.contains(run->boundingBox())) continue;
        if (grown.intersects(run->boundingBox())) return false;
    }
    return true;
}

bool KXDocxRunPath::isRectOverlapRunPath(const KXDocxRunPath* other, bool& isExtend) const {
    if (!other || runCGPath_.isEmpty() || other->runCGPath_.isEmpty()) return false;
    const std::optional<kx::Rect> mine = usableBox(*this), theirs = usableBox(*other);
    if (!mine || !theirs) return false;
    const KXDocxPathInfo &a = info(), &b = other->info();
    if (isPainted(b) && !KXDocxColorIsEqual(areaColor(a), areaColor(b))) return false;
    double t = 0.75;
    if (a.filled() && b.filled())
        t = 1.0;
    else if (a.strokeweight() < 0.5 && b.strokeweight() < 0.5)
        t = 0.375;
    else if (a.strokeweight() < 1.0 && b.strokeweight() < 1.0)
        t = 0.5;
    if (theirs->insetBy(-t, -t).contains(*mine) || mine->insetBy(-t, -t).contains(*theirs)) return true;
    isExtend = false;
    const kx::Rect u = mine->unionWith(*theirs), i = mine->intersection(*theirs);
    if (std::fabs(area(*mine) + area(*theirs) - (area(i) + area(u))) < 8.1) {
        isExtend = true;
        return true;
    }
    return false;
}

bool KXDocxRunPath::isLineExtentsRunPath(const KXDocxRunPath* other) const {
    if (!other || runCGPath_.isEmpty() || other->runCGPath_.isEmpty()) return false;
    const std::optional<kx::Rect> mine = usableBox(*this), theirs = usableBox(*other);
    if (!mine || !theirs) return false;
    const KXDocxPathInfo &a = info(), &b = other->info();
    if (isPainted(b) && !KXDocxColorIsEqual(paintColor(a), paintColor(b))) return false;
    const kx::Rect u = mine->unionWith(*theirs);
    if (KXRectEqualWithTolerance(u, *theirs, 0.1) || KXRectEqualWithTolerance(u, *mine, 0.1)) return true;
    const auto either = [&](int type) { return runLineType_ == type || other->runLineType_ == type; };
    if (either(kLineTypeHorizontal)) {
        if (std::fabs(mine->height() - theirs->height()) > 0.25) return false;
        if (!theirs->insetBy(-1.0, 0).intersects(*mine) && !mine->insetBy(-1.0, 0).intersects(*theirs)) return false;
    } else if (either(kLineTypeVertical)) {
        if (std::fabs(mine->width() - theirs->width()) > 0.25) return false;
        if (!theirs->insetBy(0, -1.0).intersects(*mine) && !mine->insetBy(0, -1.0).intersects(*theirs)) return false;
    } else {
        return false;
    }
    const bool wider = u.width() > std::max(mine->width(), theirs->width()) + 0.2;
    const bool higher = u.height() > std::max(mine->height(), theirs->height()) + 0.2;
    return !(wider && higher);
}
