#include "docx/page/KXDocxTableManager.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "docx/model/KDScanLine.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXLineUtilites.h"
#include "docx/page/KDRectUnion.h"
#include "platform/Numeric.h"

namespace {

constexpr double kMaxStrokeWeight = 6.25;
constexpr double kOnLine = 15.1;
constexpr int kScanTolerance = 15;
constexpr double kLeastPiece = 1.0;
constexpr double kLeastOverlap = 2.0;
constexpr int kPageBorderFound = 2;

double area(const kx::Rect& r) { return r.width() * r.height(); }

}  // namespace

KXDocxTableManager& KXDocxTableManager::sharedInstance() {
    static KXDocxTableManager instance;
    return instance;
}

KXDocxTableManager::KXDocxTableManager() : pgBorders_(KXDocxUtilities::defaultPageBordersNone()) {}

void KXDocxTableManager::begainPage() {
    pgBorders_offsetFrom_ = 0;
    pgBorders_ = KXDocxUtilities::defaultPageBordersNone();
    allSampleRunPaths_.clear();
    allTableLines_.clear();
}

bool KXDocxTableManager::addRunPathIfNeed(const std::shared_ptr<KXDocxRunPath>& path) {
    if (!path) return false;
    const double weight = path->pictInfo() ? path->pictInfo()->strokeweight() : 0;
    if (path->isHaveCurve() || weight > kMaxStrokeWeight) return false;
    // The walk keeps its state here, one walk at a time.
    bool marked = true, afterMove = false;
    kx::Point last;
    for (const kx::PathElement& e : path->runCGPath().elements()) {
        if (!marked) break;
        switch (e.type) {
            case kx::PathElementType::MoveToPoint:
                afterMove = true;
                last = e.points[0];
                break;
            case kx::PathElementType::AddLineToPoint:
                if (afterMove && KXIsAxisAlignedLine(last.x, last.y, e.points[0].x, e.points[0].y)) {
                    last = e.points[0];
                } else {
                    marked = false;
                }
                break;
            case kx::PathElementType::AddQuadCurveToPoint:
            case kx::PathElementType::AddCurveToPoint:
                marked = false;
                break;
            case kx::PathElementType::CloseSubpath:
                afterMove = false;
                last = {};
                break;
        }
    }
    path->setIsTableLine(marked);
    if (marked && std::find(allSampleRunPaths_.begin(), allSampleRunPaths_.end(), path) == allSampleRunPaths_.end())
        allSampleRunPaths_.push_back(path);
    return true;
}

KXDocxTableLineArray KXDocxTableManager::creatTableLines() {
    KXDocxTableLineArray lines;
    for (const auto& path : allSampleRunPaths_) {
        // The walk's state belongs to this walk alone.
        bool open = false;
        kx::Point start, last;
        const size_t before = lines.size();
        auto cut = [&](kx::Point a, kx::Point b) {
            if (KXPointDistance(a.x, a.y, b.x, b.y) > kLeastPiece) lines.push_back(std::make_shared<KXDocxTableLine>(a, b, path));
        };
        for (const kx::PathElement& e : path->runCGPath().elements()) {
            switch (e.type) {
                case kx::PathElementType::MoveToPoint:
                    open = true;
                    start = last = e.points[0];
                    break;
                case kx::PathElementType::AddLineToPoint:
                    if (open) cut(last, e.points[0]);
                    last = e.points[0];
                    break;
                case kx::PathElementType::CloseSubpath:
                    if (open) cut(last, start);
                    open = false;
                    start = last = {};
                    break;
                case kx::PathElementType::AddQuadCurveToPoint:
                case kx::PathElementType::AddCurveToPoint:
                    open = false;
                    start = last = {};
                    break;
            }
        }
        if (lines.size() == before) path->setIsTableLine(false);
    }
    return lines;
}

std::optional<KXDocxTableAreaArray> KXDocxTableManager::createAllTableAreas() {
    allTableLines_ = creatTableLines();
    KXDocxTableLineArray L = allTableLines_;
    if (L.size() > kMaxTableLines) {
        for (const auto& line : L) line->setIsInvalid(true);
        return std::nullopt;
    }

    if (L.size() >= 6) {
        if (std::optional<KXDocxTableLineArray> frame = KXDocxTableLine::FindRemoveFrameLinesIfNeed(L)) {
            const kx::Rect b = KXDocxTableLine::BoundsOfTableLines(*frame);
            const float A = static_cast<float>(area(b));
            const float P = pageSize_.w * pageSize_.h;
            pgBorders_offsetFrom_ = 0;
            const bool strokedOnly = std::all_of(frame->begin(), frame->end(), [](const auto& line) {
                const KXDocxPathInfo* info = line->initRunPath()->pictInfo();
                return info && info->stroked() && !info->filled();
            });
            auto leave = [&] {
                std::erase_if(L, [&](const auto& line) { return std::find(frame->begin(), frame->end(), line) != frame->end(); });
                for (const auto& line : *frame) line->setIsInvalid(false);
            };
            if (strokedOnly && pageSize_.w > 100 && pageSize_.h > 100 && A > 0.5f * P && A < 0.9f * P) {
                const auto& first = frame->front();
                const KXDocxPathInfo* info = first->initRunPath()->pictInfo();
                KXDocx_Border border = KXDocxUtilities::defaultBorder_SingleLine();
                border.sz = static_cast<float>(info->strokeweight());
                border.color = info->strokeColorKX();
                KXDocx_Border across = border, down = border;
                across.space = first->min_y();
                down.space = first->min_x();
                pgBorders_.top = across;
                pgBorders_.bottom = across;
                pgBorders_.left = down;
                pgBorders_.right = down;
                pgBorders_offsetFrom_ = kPageBorderFound;
                leave();
            } else if (A > 0.98f * P) {
                leave();
            }
        }
    }

    if (L.size() <= 2) {
        for (const auto& line : L) line->setIsInvalid(true);
        return std::nullopt;
    }

    KXDocxTableAreaArray kept;
    for (const KXDocxTableLineArray& group : KXDocxTableLine::FindIntersectLinesGroups(L)) {
        auto area = std::make_shared<KXDocxTableArea>(KXDocxTableLine::MergeParallelLinesIfNeed(group, true));
        if (area->isValidTableLines()) {
            kept.push_back(area);
        } else {
            area->setAllTableLinesInvalid();
        }
    }

    std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return area(a->bounds()) > area(b->bounds()); });
    KXDocxTableAreaArray result;
    while (!kept.empty()) {
        std::shared_ptr<KXDocxTableArea> outer = kept.front();
        kept.erase(kept.begin());
        KXDocxTableAreaArray inside = KXDocxTableArea::FindTable(*outer, kept);
        if (!inside.empty()) {
            outer->allSubAreaArray() = inside;
            std::erase_if(kept, [&](const auto& a) { return std::find(inside.begin(), inside.end(), a) != inside.end(); });
        }
        result.push_back(outer);
    }
    if (result.size() >= 2)
        std::stable_sort(result.begin(), result.end(),
                         [](const auto& a, const auto& b) { return area(a->bounds()) < area(b->bounds()); });
    return result;
}

void KXDocxTableManager::clearTableLineInvalidRunPaths() {
    std::unordered_set<const KXDocxRunPath*> valid;
    KXDocxRunPathArray invalid;
    for (const auto& line : allTableLines_)
        for (const auto& path : line->allRunPathArray()) {
            if (line->isInvalid()) {
                invalid.push_back(path);
            } else {
                valid.insert(path.get());
            }
        }
    for (const auto& path : invalid)
        if (!valid.count(path.get())) path->setIsTableLine(false);
}

KXDocxTableLineArray KXDocxTableManager::FindInterTableLines(const KXDocxTableLineArray& lines, kx::Point point) {
    KXDocxTableLineArray through;
    for (const auto& line : lines) {
        // A point on the line, or on its extension within the tolerance, lies within its box grown by
        // the tolerance, or by the half-width of the thin ellipse round a long line in which the
        // distances to the ends add up to less than its length plus 1: a cheap test first.
        const kx::Point a = line->startPoint(), b = line->endPoint();
        // (The length along the line's direction, plus the small rise across it.)
        const double length = line->lineLength() + 2.0;
        const double reach = std::max(kOnLine, std::sqrt((2 * length + 1) / 4)) + 1;
        if (point.x < std::min(a.x, b.x) - reach || point.x > std::max(a.x, b.x) + reach ||
            point.y < std::min(a.y, b.y) - reach || point.y > std::max(a.y, b.y) + reach)
            continue;
        if (KXIsPointOnLineSegment(point, a, b, kOnLine)) through.push_back(line);
    }
    return through;
}

double KXDocxTableManager::LineStartPoint(kx::Point startPoint, kx::Point endPoint, kx::Point point1, kx::Point point2) {
    return KXParallelLinesOverlapLength(startPoint, endPoint, point1, point2, kOnLine);
}

KXDocxTableLineArray KXDocxTableManager::FindTableLines(const KXDocxTableLineArray& lines,
                                                        const std::shared_ptr<KXDocxTablePoint>& point1,
                                                        const std::shared_ptr<KXDocxTablePoint>& point2,
                                                        double miniLength) {
    const double least = std::max(miniLength, kLeastOverlap);
    const kx::Point p1 = point1 ? point1->point() : kx::Point{}, p2 = point2 ? point2->point() : kx::Point{};
    std::vector<std::pair<double, std::shared_ptr<KXDocxTableLine>>> found;
    for (const auto& line : lines) {
        const double overlap = LineStartPoint(line->startPoint(), line->endPoint(), p1, p2);
        if (overlap > least) found.emplace_back(overlap, line);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    KXDocxTableLineArray result;
    for (const auto& f : found) result.push_back(f.second);
    return result;
}

KXDocxTablePointArray KXDocxTableManager::KDFindIntersectionPoints(const KXDocxTableLineArray& lines) {
    if (lines.empty()) return {};
    std::vector<KDScanSegment> segments;
    segments.reserve(lines.size());
    for (const auto& line : lines)
        segments.emplace_back(static_cast<float>(line->startPoint().x), static_cast<float>(line->startPoint().y),
                              static_cast<float>(line->endPoint().x), static_cast<float>(line->endPoint().y));
    KDScanLine scan(segments, kScanTolerance);
    scan.scan();
    KXDocxTablePointArray points;
    for (const KDScanPoint& p : scan.intersectionPoints()) {
        auto point = std::make_shared<KXDocxTablePoint>();
        point->setType(p.type);
        point->setPoint({p.x, p.y});
        points.push_back(point);
    }
    return points;
}

bool KXDocxTableManager::KDIsCanMergeRects(const KXDocxRunPathArray& paths) {
    if (paths.size() < 2) return false;
    std::vector<KDIntRect> rects;
    for (const auto& path : paths) {
        const kx::Rect b = path->boundingBox();
        if (b.isNull()) continue;
        rects.push_back({kx::toInt<int>(b.minX()), kx::toInt<int>(b.minY()), kx::toInt<int>(b.maxX()),
                         kx::toInt<int>(b.maxY())});
    }
    return KDRectUnion(rects).isCanMerge();
}
