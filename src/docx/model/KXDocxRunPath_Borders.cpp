// Which table border the path runs along one ruling line draw: none, a single line, a double
// line, a thick-thin pair or a triple line, and the gap between the strokes.

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXLineUtilites.h"

namespace {

constexpr int kNil = 1, kSingle = 2, kDouble = 15, kDoubleWave = 16, kThickThinLarge = 17, kThickThinMedium = 18,
              kThickThinSmall = 19, kTriple = 23, kThinThickThinLarge = 24, kThinThickThinMedium = 25,
              kThinThickThinSmall = 26;

// Sub-paths that run along a ruling line count when they overlap it by more than this.
constexpr double kAlongLine = 12.0;
// How far from the ruling line a bar may lie.
constexpr double kNearLine = 15.1;

void setGap(double* grapDistance, double value) {
    if (grapDistance) *grapDistance = value;
}

// The distance between the strokes of two parallel lines: between their middle lines, less half
// of both thicknesses. Small boxes (type 3) have none.
double gapBetween(const KXDocxRunPath& a, const KXDocxRunPath& b) {
    const kx::Rect &p = a.boundingBox(), &q = b.boundingBox();
    if (a.runLineType() == KXDocxRunPath::kLineTypeHorizontal)
        return std::fabs(p.midY() - q.midY()) - (p.height() + q.height()) / 2;
    if (a.runLineType() == KXDocxRunPath::kLineTypeVertical)
        return std::fabs(p.midX() - q.midX()) - (p.width() + q.width()) / 2;
    return 0;
}

double weightOf(const KXDocxRunPath& run) { return run.pictInfo() ? run.pictInfo()->strokeweight() : 0; }

}  // namespace

int KXDocxRunPath::borderStyleForLinePoint1(kx::Point linePoint1, kx::Point point2,
                                            const KXDocx_Color& backgroundColor) const {
    const KXDocxPathInfo& i = info();
    const int base = KXDocxPathInfo::BorderStyleForPathInfo(i, backgroundColor);
    if (base >= kSingle) return base;
    const std::vector<std::shared_ptr<KXCGPath>> subs = subCGPaths();
    if (subs.size() < 2) return base;
    // A shape made of several thin bars draws a border where one of its bars runs along the line.
    for (const auto& sub : subs) {
        kx::Rect box = sub->CGPath().pathBoundingBox();
        if (box.isNull()) continue;
        box = box.standardized();
        if (i.stroked()) {
            const double w = i.strokeweight();
            if (box.size.width < 0.01) box = kx::Rect(box.origin.x - w / 2, box.origin.y, box.size.width + w, box.size.height);
            if (box.size.height < 0.01) box = kx::Rect(box.origin.x, box.origin.y - w / 2, box.size.width, box.size.height + w);
        }
        const bool thinAcross = box.height() < 4.0, thinDown = box.width() < 4.0;
        if (thinAcross == thinDown) continue;
        // The bar's middle line, along its length.
        const kx::Point a = thinAcross ? kx::Point{box.minX(), box.midY()} : kx::Point{box.midX(), box.minY()};
        const kx::Point b = thinAcross ? kx::Point{box.maxX(), box.midY()} : kx::Point{box.midX(), box.maxY()};
        if (KXParallelLinesOverlapLength(a, b, linePoint1, point2, kNearLine) > kAlongLine) return kSingle;
    }
    return base;
}

int KXDocxRunPath::RunPath(const KXDocxRunPath& run, kx::Point linePoint1, kx::Point point2,
                           const KXDocx_Color& backgroundColor) {
    return run.borderStyleForLinePoint1(linePoint1, point2, backgroundColor);
}

KXDocxRunPathArray KXDocxRunPath::FilterStrokePaths(const KXDocxRunPathArray& runs, kx::Point linePoint1,
                                                    kx::Point point2, const KXDocx_Color& backgroundColor) {
    KXDocxRunPathArray found;
    for (const auto& run : runs)
        if (run->borderStyleForLinePoint1(linePoint1, point2, backgroundColor) >= kSingle) found.push_back(run);
    return found;
}

bool KXDocxRunPath::IsHaveSameXYPath(const KXDocxRunPath& run, const KXDocxRunPathArray& runs) {
    if (runs.empty()) return false;
    const kx::Rect r = run.displayRect();
    if (r.height() < 6.0)
        return std::any_of(runs.begin(), runs.end(),
                           [&r](const auto& o) { return std::fabs(o->displayRect().origin.y - r.origin.y) < 1.0; });
    if (r.width() < 6.0)
        return std::any_of(runs.begin(), runs.end(),
                           [&r](const auto& o) { return std::fabs(o->displayRect().origin.x - r.origin.x) < 1.0; });
    return false;
}

KXDocxRunPathArray KXDocxRunPath::FilterParallelPaths(const KXDocxRunPathArray& runs) {
    if (runs.empty()) return {};
    KXDocxRunPathArray result{runs.front()};
    for (size_t k = 1; k < runs.size(); ++k)
        if (!IsHaveSameXYPath(*runs[k], result)) result.push_back(runs[k]);
    return result;
}

KXDocxRunPathArray KXDocxRunPath::FindBorderRunPathArray(const KXDocxRunPathArray& runs, kx::Point linePoint1,
                                                         kx::Point point2, const KXDocx_Color& backgroundColor) {
    return FilterParallelPaths(FilterStrokePaths(runs, linePoint1, point2, backgroundColor));
}

double KXDocxRunPath::MaxBorderWidthForRunPaths(const KXDocxRunPathArray& runs) {
    if (runs.empty()) return 0;
    double widest = weightOf(*runs.front());
    for (const auto& run : runs)
        if (weightOf(*run) > 0 && weightOf(*run) > widest) widest = weightOf(*run);
    return widest;
}

int KXDocxRunPath::BorderStyleFor2TableLineDistance(double distance, double maxWeight, double* grapDistance) {
    if (distance < 0.2) return kSingle;
    if (distance > maxWeight - 0.2) {
        setGap(grapDistance, distance);
        return kThickThinLarge;
    }
    return distance > maxWeight / 2 - 0.2 ? kThickThinMedium : kThickThinSmall;
}

int KXDocxRunPath::BorderStyleFor2RunPaths(const KXDocxRunPathArray& runs, kx::Point linePoint1, kx::Point point2,
                                           const KXDocx_Color& backgroundColor, double* grapDistance,
                                           double tableLineDistance) {
    if (runs.size() != 2) return kNil;
    const KXDocxRunPath &a = *runs[0], &b = *runs[1];
    const double w1 = std::min(weightOf(a), weightOf(b)), w2 = std::max(weightOf(a), weightOf(b));
    int fallback = kDouble;
    if (std::fabs(w1 - w2) / 2 >= 0.2) fallback = BorderStyleFor2TableLineDistance(tableLineDistance, w2, grapDistance);

    const int type = a.runLineType();
    if (type != b.runLineType() || (type != kLineTypeHorizontal && type != kLineTypeVertical)) {
        if ((w1 + w2) / 2 + 0.1 <= tableLineDistance) return fallback;
        setGap(grapDistance, 0);
        return kSingle;
    }

    const int s1 = a.borderStyleForLinePoint1(linePoint1, point2, backgroundColor);
    const int s2 = b.borderStyleForLinePoint1(linePoint1, point2, backgroundColor);
    if (s1 < kSingle) return s2 == 0 ? kNil : s2;
    if (s2 < kSingle) return s1;

    // One stroke painted over the other: the later one is the border.
    const KXDocxRunPath &later = b.pdfScanIndex() > a.pdfScanIndex() ? b : a, &earlier = &later == &a ? b : a;
    const kx::Rect cover = type == kLineTypeHorizontal ? later.boundingBox().insetBy(-1.0, -0.1)
                                                       : later.boundingBox().insetBy(-0.1, -1.0);
    if (cover.contains(earlier.boundingBox())) return s1;
    if (!KXDocxColorIsEqual(a.info().strokeColorKX(), b.info().strokeColorKX())) return s1;
    if (!a.info().strokeDashPattern().empty() || !b.info().strokeDashPattern().empty()) return kDoubleWave;

    const double g = gapBetween(a, b);
    if (g < 0.2) return kSingle;  // the strokes touch: one line
    if (std::fabs(w1 - w2) / 2 < 0.2) return kDouble;
    if (g > w2 - 0.2) {
        setGap(grapDistance, g);
        return kThickThinLarge;
    }
    return g > w2 / 2 - 0.2 ? kThickThinMedium : kThickThinSmall;
}

int KXDocxRunPath::BorderStyleFor3RunPaths(const KXDocxRunPathArray& runs, kx::Point linePoint1, kx::Point point2,
                                           const KXDocx_Color& backgroundColor, double* grapDistance) {
    if (runs.size() != 3) return kNil;
    const KXDocxRunPath &a = *runs[0], &b = *runs[1], &c = *runs[2];
    const int type = a.runLineType();
    if (type != b.runLineType() || type != c.runLineType() || type == kLineTypeOther || type == kLineTypeRect)
        return kTriple;
    const int s1 = a.borderStyleForLinePoint1(linePoint1, point2, backgroundColor);
    const int s2 = b.borderStyleForLinePoint1(linePoint1, point2, backgroundColor);
    const int s3 = c.borderStyleForLinePoint1(linePoint1, point2, backgroundColor);
    const bool sameColour = KXDocxColorIsEqual(a.info().strokeColorKX(), b.info().strokeColorKX()) &&
                            KXDocxColorIsEqual(a.info().strokeColorKX(), c.info().strokeColorKX());
    if (!(s1 >= kSingle && s2 >= kSingle && s3 >= kSingle && sameColour)) {
        const std::pair<const std::shared_ptr<KXDocxRunPath>*, int> pairs[3][2] = {
            {{&runs[0], s1}, {&runs[1], s2}}, {{&runs[0], s1}, {&runs[2], s3}}, {{&runs[1], s2}, {&runs[2], s3}}};
        for (const auto& pair : pairs) {
            if (pair[0].second < kSingle || pair[1].second < kSingle) continue;
            const int style = BorderStyleFor2RunPaths({*pair[0].first, *pair[1].first}, linePoint1, point2,
                                                      backgroundColor, grapDistance, 0);
            if (style > 14) return style;
        }
        if (s1 >= kSingle) return s1;
        if (s2 >= kSingle) return s2;
        return s3 != 0 ? s3 : kNil;
    }
    const double gaps[3] = {gapBetween(a, b), gapBetween(a, c), gapBetween(b, c)};
    const double largest = *std::max_element(gaps, gaps + 3), smallest = *std::min_element(gaps, gaps + 3);
    if (largest < 0.2) return kSingle;
    if (smallest < 0.2) return kDouble;
    const double weights[3] = {weightOf(a), weightOf(b), weightOf(c)};
    const double w1 = *std::min_element(weights, weights + 3), w2 = *std::max_element(weights, weights + 3);
    if (std::fabs(w1 - w2) / 2 < 0.2) return kTriple;
    if (smallest > w2 - 0.2) {
        setGap(grapDistance, smallest);
        return kThinThickThinLarge;
    }
    return smallest > w2 / 2 - 0.2 ? kThinThickThinMedium : kThinThickThinSmall;
}

int KXDocxRunPath::BorderStyleForRunPaths(const KXDocxRunPathArray& runs, kx::Point linePoint1, kx::Point point2,
                                          const KXDocx_Color& backgroundColor, double* grapDistance) {
    switch (runs.size()) {
        case 0: return kNil;
        case 1: return runs.front()->borderStyleForLinePoint1(linePoint1, point2, backgroundColor);
        case 2: return BorderStyleFor2RunPaths(runs, linePoint1, point2, backgroundColor, grapDistance, 0);
        case 3: return BorderStyleFor3RunPaths(runs, linePoint1, point2, backgroundColor, grapDistance);
        default: return kTriple;
    }
}
