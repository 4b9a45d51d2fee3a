#include "docx/model/KDScanLine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "platform/Numeric.h"

namespace {

constexpr float kCell = 15.0f;
// Squared merging distances: 15 between a crossing and a line's end, 6 otherwise.
constexpr float kFarSquared = 225.0f;
constexpr float kNearSquared = 36.0f;

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

// Where two crossing segments meet; (eventX, eventY) is the event being processed. Segments along one
// line meet at the scan line: the first at the event's x, two vertical ones at the event's y.
std::pair<double, double> crossingPoint(const KDScanSegment& s, const KDScanSegment& t, float eventX, float eventY) {
    const bool vs = isVertical(s), vt = isVertical(t);
    if (vs) return {s.p1.x, vt ? double(eventY) : yAt(t, s.p1.x)};
    if (vt) return {t.p1.x, yAt(s, t.p1.x)};
    const double ms = slope(s), mt = slope(t);
    if (ms == mt) return {eventX, yAt(s, eventX)};
    const double x = (t.p1.y - s.p1.y + ms * s.p1.x - mt * t.p1.x) / (ms - mt);
    return {x, yAt(s, x)};
}

// Events at one point: entering, then crossing, then leaving.
int kindRank(std::int32_t type) { return type == 0 ? 0 : type == 2 ? 1 : 2; }

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
    crossings_.reserve(segments.size());
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
        const auto k = static_cast<std::int32_t>(segments_.size());
        segments_.push_back({lengthened, given.p1, given.p2, 0});
        // A segment with an end that is not a number never enters the sweep: it could not be ordered
        // among the others.
        if (!std::isfinite(s.p1.x) || !std::isfinite(s.p1.y) || !std::isfinite(s.p2.x) || !std::isfinite(s.p2.y) ||
            !std::isfinite(lengthened.a) || !std::isfinite(lengthened.b))
            continue;
        // A segment enters at its end with the greater y, a level one at its end with the smaller x.
        const bool firstLeaves = s.p1.y < s.p2.y || (s.p1.y == s.p2.y && s.p2.x <= s.p1.x);
        const KDScanPoint& in = firstLeaves ? s.p2 : s.p1;
        const KDScanPoint& out = firstLeaves ? s.p1 : s.p2;
        m_ordHead.insert({in.x, in.y, k, k, lengthened.a, lengthened.b, 0});
        m_ordHead.insert({out.x, out.y, k, k, -1, -1, 1});
        segments_.back().enterX = in.x;
    }
    crossingsOf_.resize(segments_.size());
}

bool KDScanLine::EventOrder::operator()(const KDScanEvent& l, const KDScanEvent& r) const {
    if (l.y != r.y) return l.y > r.y;
    if (l.x != r.x) return l.x < r.x;
    return kindRank(l.type) < kindRank(r.type);
}

float KDScanLine::xOnScanLine(const Node* node, float y) const {
    if (node->segment < 0) return node->markerX;
    const Stored& s = segments_[node->segment];
    const float a = s.lengthened.a, b = s.lengthened.b;
    if (a == -1 && b <= 0) return s.enterX;
    return a * y + b;
}

KDScanLine::Node* KDScanLine::newNode() { return &nodes_.emplace_back(); }

// Left of a node whose x is greater, right otherwise; no balancing.
void KDScanLine::insertNode(Node* node, float y) {
    if (!root_) {
        root_ = node;
        return;
    }
    const float x = xOnScanLine(node, y);
    Node* at = root_;
    for (;;) {
        Node*& child = xOnScanLine(at, y) > x ? at->left : at->right;
        if (!child) {
            child = node;
            node->parent = at;
            return;
        }
        at = child;
    }
}

void KDScanLine::removeNode(Node* node) {
    auto replace = [this](Node* old, Node* by) {
        if (!old->parent)
            root_ = by;
        else if (old->parent->left == old)
            old->parent->left = by;
        else
            old->parent->right = by;
        if (by) by->parent = old->parent;
    };
    if (!node->left) {
        replace(node, node->right);
    } else if (!node->right) {
        replace(node, node->left);
    } else {
        Node* next = node->right;
        while (next->left) next = next->left;
        if (next->parent != node) {
            replace(next, next->right);
            next->right = node->right;
            next->right->parent = next;
        }
        replace(node, next);
        next->left = node->left;
        next->left->parent = next;
    }
    node->parent = node->left = node->right = nullptr;
}

KDScanLine::Node* KDScanLine::nextNode(Node* node) {
    if (node->right) {
        node = node->right;
        while (node->left) node = node->left;
        return node;
    }
    while (node->parent && node->parent->right == node) node = node->parent;
    return node->parent;
}

KDScanLine::Node* KDScanLine::previousNode(Node* node) {
    if (node->left) {
        node = node->left;
        while (node->right) node = node->right;
        return node;
    }
    while (node->parent && node->parent->left == node) node = node->parent;
    return node->parent;
}

KDScanLine::Node* KDScanLine::nextSegment(Node* node) {
    do node = nextNode(node);
    while (node && node->segment < 0);
    return node;
}

KDScanLine::Node* KDScanLine::previousSegment(Node* node) {
    do node = previousNode(node);
    while (node && node->segment < 0);
    return node;
}

// Searches of the whole tree, in order.
KDScanLine::Node* KDScanLine::findSegment(std::int32_t segment) const {
    if (!root_) return nullptr;
    Node* node = root_;
    while (node->left) node = node->left;
    for (; node; node = nextNode(node))
        if (node->segment == segment) return node;
    return nullptr;
}

KDScanLine::Node* KDScanLine::findMarker(std::int32_t i, std::int32_t j) const {
    if (!root_) return nullptr;
    Node* node = root_;
    while (node->left) node = node->left;
    for (; node; node = nextNode(node))
        if (node->segment < 0 && crossings_[node->crossing].i == i && crossings_[node->crossing].j == j) return node;
    return nullptr;
}

void KDScanLine::scan() {
    if (scanned_) return;
    scanned_ = true;
    // Events queued during the walk land behind the current one when they do not come before it.
    for (auto it = m_ordHead.begin(); it != m_ordHead.end(); ++it) {
        switch (it->type) {
            case 0: enter(*it); break;
            case 1: leave(*it); break;
            default: cross(*it); break;
        }
    }

    std::vector<bool> noted(segments_.size(), false);
    for (const Crossing& c : crossings_) {
        addPoint({3, c.x, c.y});
        noted[c.i] = noted[c.j] = true;
    }
    for (size_t i = 0; i < segments_.size(); ++i) {
        if (!noted[i]) continue;
        addPoint(segments_[i].end1);
        addPoint(segments_[i].end2);
    }
    completeGrid();
    crossings_.clear();
    crossingsOf_.clear();
    crossedPairs_.clear();
}

void KDScanLine::enter(const KDScanEvent& event) {
    Node* node = newNode();
    node->segment = event.i;
    insertNode(node, event.y);
    if (Node* before = previousSegment(node)) testSegments(before, node, event);
    if (Node* after = nextSegment(node)) testSegments(node, after, event);
}

void KDScanLine::leave(const KDScanEvent& event) {
    if (Node* node = findSegment(event.i)) {
        Node* before = previousSegment(node);
        Node* after = nextSegment(node);
        if (before && after) testSegments(before, after, event);
        removeNode(node);
    }
    for (std::int32_t k : crossingsOf_[event.i]) {
        Crossing& c = crossings_[k];
        if (c.state == 6.0f) {
            c.state = 7.0f;
        } else if (c.state == 7.0f) {
            c.state = 9.0f;
            if (Node* marker = findMarker(c.i, c.j)) removeNode(marker);
        }
    }
}

void KDScanLine::cross(const KDScanEvent& event) {
    Node* marker = findMarker(event.i, event.j);
    Node* nodeI = findSegment(event.i);
    Node* nodeJ = findSegment(event.j);
    Node* before = nodeI ? previousSegment(nodeI) : nullptr;
    Node* after = nodeJ ? nextSegment(nodeJ) : nullptr;
    switchScan(nodeI, nodeJ);
    if (!nodeI || !nodeJ) return;
    // nodeI now carries j's segment and nodeJ i's.
    if (before) testSegments(before, nodeI, event);
    if (after) testSegments(nodeJ, after, event);
    if (marker) removeNode(marker);
}

void KDScanLine::switchScan(Node* first, Node* second) {
    if (!first) {
        std::printf("switchScan()\n");
        for (const KDScanEvent& e : m_ordHead) std::printf("m_ordHead: %04.3f %4.3f %d \n", e.x, e.y, e.type);
        std::printf("Error, switchScan, m_ordHead is empty!\n");
        return;
    }
    if (!second) return;
    std::swap(first->segment, second->segment);
}

void KDScanLine::testSegments(Node* first, Node* second, const KDScanEvent& event) {
    const std::int32_t p = first->segment, q = second->segment;
    if (p == q) return;
    const std::uint64_t pair = (std::uint64_t(std::uint32_t(std::min(p, q))) << 32) | std::uint32_t(std::max(p, q));
    if (crossedPairs_.count(pair)) return;
    const KDScanSegment& s = segments_[p].lengthened;
    const KDScanSegment& t = segments_[q].lengthened;
    if (!segmentsCross(s, t)) return;
    const auto [x, y] = crossingPoint(s, t, event.x, event.y);
    crossedPairs_.insert(pair);
    const auto k = static_cast<std::int32_t>(crossings_.size());
    // i is the segment to the left on the scan line.
    const bool firstLeft = xOnScanLine(first, event.y) <= xOnScanLine(second, event.y);
    const std::int32_t i = firstLeft ? p : q, j = firstLeft ? q : p;
    crossings_.push_back({i, j, 6.0f, static_cast<float>(x), static_cast<float>(y)});
    crossingsOf_[p].push_back(k);
    crossingsOf_[q].push_back(k);
    m_ordHead.insert({static_cast<float>(x), static_cast<float>(y), i, j, -1, -1, 2});
    Node* marker = newNode();
    marker->crossing = k;
    marker->markerX = static_cast<float>(x);
    insertNode(marker, event.y);
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
    if (xs.empty()) return;
    if (xs.size() > kMaxCompletedGridPoints / ys.size()) {
        std::fprintf(stderr,
                     "KDScanLine: grid not completed: %zu x positions by %zu y positions exceed %zu points; "
                     "no hidden grid points added to the %zu points found\n",
                     xs.size(), ys.size(), kMaxCompletedGridPoints, result_.size());
        return;
    }
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
