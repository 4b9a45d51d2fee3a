#include "docx/model/KDScanLine.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/Numeric.h"

namespace {

constexpr float kCell = 15.0f;
// Squared merging distances: 15 between a crossing and a line's end, 6 otherwise.
constexpr float kFarSquared = 225.0f;
constexpr float kNearSquared = 36.0f;

struct Box {
    float minX, minY, maxX, maxY;
};

Box boxOf(const KDScanSegment& s) {
    return {std::min(s.p1.x, s.p2.x), std::min(s.p1.y, s.p2.y), std::max(s.p1.x, s.p2.x), std::max(s.p1.y, s.p2.y)};
}

double cross(double ox, double oy, double ax, double ay, double bx, double by) {
    return (ax - ox) * (by - oy) - (ay - oy) * (bx - ox);
}

// Each segment's ends lie on different sides of the other's line, or on it.
bool segmentsCross(const KDScanSegment& s, const KDScanSegment& t) {
    const double d1 = cross(t.p1.x, t.p1.y, t.p2.x, t.p2.y, s.p1.x, s.p1.y);
    const double d2 = cross(t.p1.x, t.p1.y, t.p2.x, t.p2.y, s.p2.x, s.p2.y);
    const double d3 = cross(s.p1.x, s.p1.y, s.p2.x, s.p2.y, t.p1.x, t.p1.y);
    const double d4 = cross(s.p1.x, s.p1.y, s.p2.x, s.p2.y, t.p2.x, t.p2.y);
    return d1 * d2 <= 0 && d3 * d4 <= 0;
}

bool isVertical(const KDScanSegment& s) { return s.p1.x == s.p2.x; }

double slope(const KDScanSegment& s) { return (double(s.p2.y) - s.p1.y) / (double(s.p2.x) - s.p1.x); }

// y of the segment's line at x (the segment is not vertical).
double yAt(const KDScanSegment& s, double x) { return s.p1.y + slope(s) * (x - s.p1.x); }

// Where two crossing segments meet. Segments along one line meet where the later of the two starts:
// at its smaller x, or, for two vertical ones, at its greater y (the scan runs down from the top of
// the plane, as y grows).
KDScanPoint crossingPoint(const KDScanSegment& s, const KDScanSegment& t) {
    const Box bs = boxOf(s), bt = boxOf(t);
    const bool vs = isVertical(s), vt = isVertical(t);
    double x, y;
    if (vs && vt) {
        x = s.p1.x;
        y = std::min(bs.maxY, bt.maxY);
    } else if (vs) {
        x = s.p1.x;
        y = yAt(t, x);
    } else if (vt) {
        x = t.p1.x;
        y = yAt(s, x);
    } else if (slope(s) != slope(t)) {
        const double ms = slope(s), mt = slope(t);
        x = (t.p1.y - s.p1.y + ms * s.p1.x - mt * t.p1.x) / (ms - mt);
        y = yAt(s, x);
    } else {
        x = std::max(bs.minX, bt.minX);
        y = yAt(s, x);
    }
    return {3, static_cast<float>(x), static_cast<float>(y)};
}

std::uint64_t cellKey(std::int64_t cx, std::int64_t cy) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cx)) << 32) |
           static_cast<std::uint32_t>(cy);
}

std::int64_t cellOf(float v) { return kx::toInt<std::int32_t>(std::floor(v / kCell)); }

float squaredDistance(const KDScanPoint& a, const KDScanPoint& b) {
    const float dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

bool isClose(const KDScanPoint& a, const KDScanPoint& b) {
    const bool hidden = (a.type & 4) || (b.type & 4);
    const bool oneEnd = ((a.type & 2) != 0) != ((b.type & 2) != 0);
    return squaredDistance(a, b) < (!hidden && oneEnd ? kFarSquared : kNearSquared);
}

}  // namespace

KDScanSegment::KDScanSegment(float x1, float y1, float x2, float y2) {
    KDScanSegment s;
    s.p1 = {1, x1, y1};
    s.p2 = {1, x2, y2};
    assign(s);
}

void KDScanSegment::assign(const KDScanSegment& s) {
    p1 = s.p1;
    p2 = s.p2;
    if (p1.y == p2.y) {
        a = -1;
        b = -p1.y;
    } else {
        a = (p1.x - p2.x) / (p1.y - p2.y);
        b = (p1.y * p2.x - p2.y * p1.x) / (p1.y - p2.y);
    }
}

KDScanLine::KDScanLine(const std::vector<KDScanSegment>& segments, int wucha) : m_wucha(std::max(wucha, 0)) {
    segments_.reserve(segments.size());
    const float w = static_cast<float>(m_wucha);
    for (const KDScanSegment& given : segments) {
        KDScanSegment s;
        s.assign(given);
        // Lengthened along the segment: for a level or vertical segment that moves the ends by the
        // tolerance along x or y; a segment drawn a hair off the level also reaches only that much
        // further (lengthening it by the tolerance in y would carry it across the page).
        const double dx = double(s.p2.x) - s.p1.x, dy = double(s.p2.y) - s.p1.y;
        const double length = std::hypot(dx, dy);
        if (length > 0) {
            const double ux = dx / length * w, uy = dy / length * w;
            s.p1.x = static_cast<float>(s.p1.x - ux);
            s.p1.y = static_cast<float>(s.p1.y - uy);
            s.p2.x = static_cast<float>(s.p2.x + ux);
            s.p2.y = static_cast<float>(s.p2.y + uy);
        }
        KDScanSegment lengthened;
        lengthened.assign(s);
        segments_.push_back({lengthened, given.p1, given.p2});
    }
}

void KDScanLine::scan() {
    if (scanned_) return;
    scanned_ = true;
    const size_t n = segments_.size();
    if (n == 0) return;

    // Pairs whose boxes meet are tested, found by a sweep over x.
    std::vector<Box> boxes(n);
    std::vector<std::uint32_t> order(n);
    for (size_t i = 0; i < n; ++i) {
        boxes[i] = boxOf(segments_[i].lengthened);
        order[i] = static_cast<std::uint32_t>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](auto a, auto b) { return boxes[a].minX < boxes[b].minX; });
    struct Crossing {
        KDScanPoint point;
        std::uint32_t i, j;
    };
    std::vector<Crossing> crossings;
    for (size_t k = 0; k < n; ++k) {
        const std::uint32_t i = order[k];
        for (size_t l = k + 1; l < n && boxes[order[l]].minX <= boxes[i].maxX; ++l) {
            const std::uint32_t j = order[l];
            if (boxes[j].minY > boxes[i].maxY || boxes[i].minY > boxes[j].maxY) continue;
            const KDScanSegment& s = segments_[std::min(i, j)].lengthened;
            const KDScanSegment& t = segments_[std::max(i, j)].lengthened;
            if (!segmentsCross(s, t)) continue;
            crossings.push_back({crossingPoint(s, t), std::min(i, j), std::max(i, j)});
        }
    }
    // In the order a scan from the top of the plane downwards meets them.
    std::stable_sort(crossings.begin(), crossings.end(), [](const Crossing& a, const Crossing& b) {
        if (a.point.y != b.point.y) return a.point.y > b.point.y;
        if (a.point.x != b.point.x) return a.point.x < b.point.x;
        return a.i != b.i ? a.i < b.i : a.j < b.j;
    });

    std::vector<bool> noted(n, false);
    for (const Crossing& c : crossings) {
        addPoint(c.point);
        noted[c.i] = noted[c.j] = true;
    }
    for (size_t i = 0; i < n; ++i) {
        if (!noted[i]) continue;
        addPoint(segments_[i].end1);
        addPoint(segments_[i].end2);
    }
    completeGrid();
}

void KDScanLine::addPoint(const KDScanPoint& point) {
    const std::int64_t cx = cellOf(point.x), cy = cellOf(point.y);
    std::uint32_t found = UINT32_MAX;
    for (std::int64_t dx = -1; dx <= 1; ++dx)
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            auto it = cells_.find(cellKey(cx + dx, cy + dy));
            if (it == cells_.end()) continue;
            for (std::uint32_t k : it->second)
                if (k < found && isClose(result_[k], point)) found = k;
        }
    if (found != UINT32_MAX) {
        result_[found].type |= point.type;
        return;
    }
    cells_[cellKey(cx, cy)].push_back(static_cast<std::uint32_t>(result_.size()));
    result_.push_back(point);
}

void KDScanLine::completeGrid() {
    std::set<int> xs, ys;
    for (const KDScanPoint& p : result_) {
        xs.insert(kx::toInt<int>(p.x));
        ys.insert(kx::toInt<int>(p.y));
    }
    if (xs.empty() || xs.size() > kMaxCompletedGridPoints / ys.size()) return;
    for (int x : xs)
        for (int y : ys) {
            const KDScanPoint candidate{4, static_cast<float>(x), static_cast<float>(y)};
            const std::int64_t cx = cellOf(candidate.x), cy = cellOf(candidate.y);
            bool taken = false;
            for (std::int64_t dx = -1; dx <= 1 && !taken; ++dx)
                for (std::int64_t dy = -1; dy <= 1 && !taken; ++dy) {
                    auto it = cells_.find(cellKey(cx + dx, cy + dy));
                    if (it == cells_.end()) continue;
                    for (std::uint32_t k : it->second)
                        if (squaredDistance(result_[k], candidate) < kNearSquared) {
                            taken = true;
                            break;
                        }
                }
            if (taken) continue;
            cells_[cellKey(cx, cy)].push_back(static_cast<std::uint32_t>(result_.size()));
            result_.push_back(candidate);
        }
}
