// Table lines: geometry, grouping of lines that touch, merging of parallel pieces, and the frame
// drawn round a whole page.

#include "docx/page/layout/KXDocxTableLine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <queue>

#include "docx/page/layout/KXDocxTableArea.h"
#include "platform/Format.h"

namespace {

// Ends (and boxes) within this of one another touch: the joins of drawn rules miss by a stroke's width.
constexpr float kTouch = 3.1f;
// Parallel lines closer than this across are strokes of one rule (a double or a thick rule), and a
// line reaching within this of a frame reaches it.
constexpr float kNear = 8.1f;
// A group of parallel strokes stays thinner than this across, and its strokes lie within this of one
// another along: beyond it they are separate rules.
constexpr float kThick = 15.1f;
// Ends differing by no more than this across are level: rounding in the content stream, not a slant.
constexpr float kSameLine = 0.25f;
// The distance reported when no line is found: farther than any page.
constexpr double kNoDistance = 99999;

float fx(const kx::Point& p) { return static_cast<float>(p.x); }
float fy(const kx::Point& p) { return static_cast<float>(p.y); }

bool within(const kx::Point& a, const kx::Point& b, float t) {
    return std::fabs(fx(a) - fx(b)) <= t && std::fabs(fy(a) - fy(b)) <= t;
}

// Appends the items of `from` (pointers to them, in order) that are set and not yet in `to`, each
// once, where it first comes. With many items, a table of the pointers held (open addressing, no
// allocation per item) finds the repeats without comparing every pair.
template <class T>
void appendUniqueOf(std::vector<std::shared_ptr<T>>& to, const std::vector<const std::shared_ptr<T>*>& from) {
    // Up to this many, comparing every pair costs less than building the table.
    constexpr size_t kFew = 32;
    if (to.size() + from.size() <= kFew) {
        for (const std::shared_ptr<T>* item : from)
            if (*item && std::find(to.begin(), to.end(), *item) == to.end()) to.push_back(*item);
        return;
    }
    int bits = 1;
    while ((size_t(1) << bits) < 2 * (to.size() + from.size())) ++bits;
    const size_t mask = (size_t(1) << bits) - 1;
    std::vector<const T*> table(mask + 1, nullptr);
    // True when p was not in the table and is now.
    auto insert = [&](const T* p) {
        size_t h = static_cast<size_t>((reinterpret_cast<std::uintptr_t>(p) * 0x9E3779B97F4A7C15ull) >> (64 - bits));
        for (; table[h]; h = (h + 1) & mask)
            if (table[h] == p) return false;
        table[h] = p;
        return true;
    };
    for (const auto& item : to)
        if (item) insert(item.get());
    for (const std::shared_ptr<T>* item : from)
        if (*item && insert(item->get())) to.push_back(*item);
}

template <class T>
void appendUnique(std::vector<std::shared_ptr<T>>& to, const std::vector<std::shared_ptr<T>>& from) {
    std::vector<const std::shared_ptr<T>*> items;
    items.reserve(from.size());
    for (const auto& item : from) items.push_back(&item);
    appendUniqueOf(to, items);
}

// The lines a line stands for, visited in place: its pieces when it is merged, else itself.
template <class F>
void forEachPiece(const std::shared_ptr<KXDocxTableLine>& line, F f) {
    if (line->subLineArray().empty()) {
        f(line);
        return;
    }
    for (const auto& piece : line->subLineArray()) f(piece);
}

// The extents of the pieces of the lines folded in so far, as BoundsOfTableLines takes them.
struct PieceBounds {
    float minX, minY, maxX, maxY;

    explicit PieceBounds(const KXDocxTableLine& first)
        : minX(first.min_x()), minY(first.min_y()), maxX(first.max_x()), maxY(first.max_y()) {}
    void add(const std::shared_ptr<KXDocxTableLine>& line) {
        forEachPiece(line, [&](const std::shared_ptr<KXDocxTableLine>& piece) {
            minX = std::min(minX, piece->min_x());
            minY = std::min(minY, piece->min_y());
            maxX = std::max(maxX, piece->max_x());
            maxY = std::max(maxY, piece->max_y());
        });
    }
    kx::Rect rect() const { return kx::Rect(minX, minY, double(maxX) - minX, double(maxY) - minY); }
};

bool lineIsHorizontalByEnds(const KXDocxTableLine& l) {
    return std::fabs(fy(l.startPoint()) - fy(l.endPoint())) <= kSameLine;
}
bool lineIsVerticalByEnds(const KXDocxTableLine& l) {
    return std::fabs(fx(l.startPoint()) - fx(l.endPoint())) <= kSameLine;
}

}  // namespace

KXDocxTableLine::KXDocxTableLine(kx::Point startPoint, kx::Point endPoint, std::shared_ptr<KXDocxRunPath> initRunPath)
    : initRunPath_(std::move(initRunPath)), startPoint_(startPoint), endPoint_(endPoint) {
    if (initRunPath_) allRunPathArray_.push_back(initRunPath_);
    updateLineInfo();
}

std::string KXDocxTableLine::description() const {
    const KXDocxPathInfo* info = initRunPath_ ? initRunPath_->pictInfo() : nullptr;
    return kx::format(
        "<KXDocxTableLine: %p:[isHorizontalLine:%d][isInvalid:%d][initRunPath:%d][isStroked:%d][isFilled:%d]"
        "[pdfScanIndex:%llu][lineWidth:%0.0f][lineLength:%0.0f][startPoint:[%f, %f]][endPoint:[%f, %f]]>",
        static_cast<const void*>(this), isHorizontalLine_, isInvalid_, initRunPath_ ? 1 : 0, isStroked(), isFilled(),
        static_cast<unsigned long long>(initRunPath_ ? initRunPath_->pdfScanIndex() : 0),
        info ? info->strokeweight() : 0.0, lineLength_, startPoint_.x, startPoint_.y, endPoint_.x, endPoint_.y);
}

float KXDocxTableLine::min_x() const { return std::min(fx(startPoint_), fx(endPoint_)); }
float KXDocxTableLine::max_x() const { return std::max(fx(startPoint_), fx(endPoint_)); }
float KXDocxTableLine::min_y() const { return std::min(fy(startPoint_), fy(endPoint_)); }
float KXDocxTableLine::max_y() const { return std::max(fy(startPoint_), fy(endPoint_)); }

void KXDocxTableLine::updateLineInfo() {
    const double dx = std::fabs(startPoint_.x - endPoint_.x), dy = std::fabs(startPoint_.y - endPoint_.y);
    isHorizontalLine_ = !(dx < 2.0);
    lineLength_ = isHorizontalLine_ ? dx : dy;
    if (!initRunPath_) {
        kx::Rect box;
        for (const auto& sub : subLineArray_) box = box.size.width <= 0 ? sub->boundingBox() : box.unionWith(sub->boundingBox());
        boundingBox_ = box;
        return;
    }
    const KXDocxPathInfo* info = initRunPath_->pictInfo();
    double w = info ? info->strokeweight() : 0;
    if (info && !info->stroked() && info->filled()) w = static_cast<double>(0.1f);
    if (isHorizontalLine_) {
        boundingBox_ = kx::Rect(min_x(), min_y() - w / 2, lineLength_, w);
    } else {
        boundingBox_ = kx::Rect(min_x() - w / 2, min_y(), w, lineLength_);
    }
}

void KXDocxTableLine::add2SubLineArray(const KXDocxTableLineArray& lines) { appendUnique(subLineArray_, lines); }

void KXDocxTableLine::add2AllRunPathArray(const KXDocxRunPathArray& paths) { appendUnique(allRunPathArray_, paths); }

void KXDocxTableLine::setIsInvalid(bool invalid) {
    isInvalid_ = invalid;
    for (const auto& sub : subLineArray_) sub->setIsInvalid(invalid);
}

bool KXDocxTableLine::isShortLine(double threshold) {
    if (lineLength_ < static_cast<double>(0.1f)) updateLineInfo();
    return lineLength_ < std::max(2.0, threshold);
}

bool KXDocxTableLine::isStroked() const {
    if (initRunPath_ && initRunPath_->pictInfo() && initRunPath_->pictInfo()->stroked()) return true;
    return std::any_of(subLineArray_.begin(), subLineArray_.end(), [](const auto& s) { return s->isStroked(); });
}

bool KXDocxTableLine::isFilled() const {
    if (initRunPath_ && initRunPath_->pictInfo() && initRunPath_->pictInfo()->filled()) return true;
    return std::any_of(subLineArray_.begin(), subLineArray_.end(), [](const auto& s) { return s->isFilled(); });
}

std::shared_ptr<KXDocxTableLine> KXDocxTableLine::isIntersectLines(const KXDocxTableLineArray& lines) const {
    for (const auto& line : lines)
        if (IsIntersect(*this, *line)) return line;
    return nullptr;
}

kx::Rect KXDocxTableLine::BoundsOfTableLines(const KXDocxTableLineArray& lines) {
    if (lines.empty()) return kx::Rect::zero();
    if (lines.size() == 1 && lines.front()->initRunPath()) {
        const kx::Rect box = lines.front()->initRunPath()->boundingBox();
        return kx::Rect(0, 0, box.width(), box.height());
    }
    PieceBounds bounds(*lines.front());
    for (const auto& line : lines) bounds.add(line);
    return bounds.rect();
}

bool KXDocxTableLine::IsIntersect(const KXDocxTableLine& a, const KXDocxTableLine& b) {
    if (within(a.startPoint_, b.startPoint_, kTouch) || within(a.endPoint_, b.endPoint_, kTouch) ||
        within(a.endPoint_, b.startPoint_, kTouch) || within(a.startPoint_, b.endPoint_, kTouch))
        return true;
    if (b.min_x() - kTouch > a.max_x() || a.min_x() - kTouch > b.max_x() || b.min_y() - kTouch > a.max_y() ||
        a.min_y() - kTouch > b.max_y())
        return false;
    return true;
}

namespace {

// The lines that may touch a line, found through a grid of square cells laid over the lines: each
// line is filed under every cell its box covers, and a line's neighbours lie in the cells its box,
// grown by a little more than 3.1, covers. A line whose box is not finite, or covers many cells (a
// thick rule across a page: filing it would take memory for every cell), is filed nowhere and is
// tried against every line; so is every line for such a line. The index does not decide which lines
// touch: it only leaves out lines that cannot.
class TouchIndex {
public:
    struct Box {
        float minX, minY, maxX, maxY;
        bool finite() const {
            return std::isfinite(minX) && std::isfinite(minY) && std::isfinite(maxX) && std::isfinite(maxY);
        }
    };

    explicit TouchIndex(const std::vector<Box>& boxes) : box_(boxes), seen_(boxes.size(), kNever) {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        bool any = false;
        for (const Box& b : box_) {
            if (!b.finite()) continue;
            if (!any) {
                x0 = b.minX, y0 = b.minY, x1 = b.maxX, y1 = b.maxY;
                any = true;
            }
            x0 = std::min(x0, double(b.minX));
            y0 = std::min(y0, double(b.minY));
            x1 = std::max(x1, double(b.maxX));
            y1 = std::max(y1, double(b.maxY));
        }
        originX_ = x0;
        originY_ = y0;
        // Cells of 32 pt (about two rows of a table, so that a rule along a row is filed in few
        // cells), fewer and larger when the lines spread far.
        cell_ = std::max({kCell, (x1 - x0) / double(kMaxCells), (y1 - y0) / double(kMaxCells)});
        columns_ = cellOf(x1, originX_, kMaxCells + 1) + 1;
        rows_ = cellOf(y1, originY_, kMaxCells + 1) + 1;
        cells_.resize(columns_ * rows_);
        placed_.assign(box_.size(), 0);
        for (size_t i = 0; i < box_.size(); ++i) {
            const Box& b = box_[i];
            if (!b.finite()) {
                unplaced_.push_back(i);
                continue;
            }
            const size_t c0 = cellOf(b.minX, originX_, columns_), c1 = cellOf(b.maxX, originX_, columns_);
            const size_t r0 = cellOf(b.minY, originY_, rows_), r1 = cellOf(b.maxY, originY_, rows_);
            if ((c1 - c0 + 1) * (r1 - r0 + 1) > kMaxCellsPerBox) {
                unplaced_.push_back(i);
                continue;
            }
            placed_[i] = 1;
            for (size_t r = r0; r <= r1; ++r)
                for (size_t c = c0; c <= c1; ++c) cells_[r * columns_ + c].push_back(i);
        }
    }

    // Calls f(j) once for each line j not yet taken that line k may touch; lines taken are dropped
    // from the cells met on the way.
    template <class F>
    void forEachCandidate(size_t k, const std::vector<char>& taken, F f) {
        const Box& b = box_[k];
        auto visit = [&](std::vector<size_t>& list) {
            std::erase_if(list, [&](size_t j) { return taken[j]; });
            for (size_t j : list) {
                if (seen_[j] == k) continue;
                seen_[j] = k;
                f(j);
            }
        };
        if (!placed_[k]) {
            for (auto& list : cells_) visit(list);
        } else {
            const double reach = double(kTouch) + 1;
            const size_t c0 = cellOf(b.minX - reach, originX_, columns_), c1 = cellOf(b.maxX + reach, originX_, columns_);
            for (size_t r = cellOf(b.minY - reach, originY_, rows_), r1 = cellOf(b.maxY + reach, originY_, rows_); r <= r1; ++r)
                for (size_t c = c0; c <= c1; ++c) visit(cells_[r * columns_ + c]);
        }
        visit(unplaced_);
    }

private:
    // The side of a cell in points: about two rows of a table (see the constructor).
    static constexpr double kCell = 32;
    // The most cells along a side, so that the grid stays small however far the lines spread.
    static constexpr size_t kMaxCells = 256;
    // The mark of a line not yet seen for any line.
    static constexpr size_t kNever = static_cast<size_t>(-1);

    // A rule across the whole grid, two cells thick, is still filed.
    static constexpr size_t kMaxCellsPerBox = 2 * kMaxCells;

    // The cell column (row) of a coordinate, held to the grid's `count` columns (rows).
    // floor(q) > 0 exactly when q >= 1, floor(q) >= n exactly when q >= n for a whole n, and a
    // positive q truncates to its floor, so no floor need be taken.
    size_t cellOf(double v, double origin, size_t count) const {
        const double q = (v - origin) / cell_;
        if (!(q >= 1)) return 0;
        return q >= double(count - 1) ? count - 1 : static_cast<size_t>(q);
    }

    const std::vector<Box>& box_;
    std::vector<size_t> seen_;
    double originX_ = 0, originY_ = 0, cell_ = kCell;
    size_t columns_ = 0, rows_ = 0;
    std::vector<std::vector<size_t>> cells_;
    std::vector<size_t> unplaced_;
    std::vector<char> placed_;  // whether each box is filed in the grid: finite, and over few enough cells
};

// The groups of touching lines, taken one after another from the first line not yet grouped; each
// grows by the first remaining line (in the array's order) that touches one of its lines. Two lines
// touch exactly when their boxes, grown by 3.1, meet (ends within 3.1 of each other lie in such
// boxes). The lines waiting to join are taken in the array's order, so the groups and the order
// within them do not depend on the order in which the index finds the lines.
std::vector<KXDocxTableLineArray> touchingGroups(const KXDocxTableLineArray& lines, bool firstOnly) {
    std::vector<KXDocxTableLineArray> groups;
    const size_t n = lines.size();
    std::vector<TouchIndex::Box> box(n);
    for (size_t i = 0; i < n; ++i) box[i] = {lines[i]->min_x(), lines[i]->min_y(), lines[i]->max_x(), lines[i]->max_y()};
    TouchIndex index(box);
    std::vector<char> taken(n, 0);
    auto touch = [&](size_t a, size_t b) {
        return !(box[b].minX - kTouch > box[a].maxX || box[a].minX - kTouch > box[b].maxX ||
                 box[b].minY - kTouch > box[a].maxY || box[a].minY - kTouch > box[b].maxY);
    };
    for (size_t start = 0; start < n; ++start) {
        if (taken[start]) continue;
        KXDocxTableLineArray group;
        std::priority_queue<size_t, std::vector<size_t>, std::greater<size_t>> waiting;
        waiting.push(start);
        taken[start] = true;
        while (!waiting.empty()) {
            const size_t k = waiting.top();
            waiting.pop();
            group.push_back(lines[k]);
            index.forEachCandidate(k, taken, [&](size_t j) {
                if (taken[j] || !touch(k, j)) return;
                taken[j] = true;
                waiting.push(j);
            });
        }
        groups.push_back(std::move(group));
        if (firstOnly) break;
    }
    return groups;
}

}  // namespace

KXDocxTableLineArray KXDocxTableLine::FindIntersectLines(const KXDocxTableLineArray& lines) {
    if (lines.empty()) return {};
    return touchingGroups(lines, true).front();
}

std::vector<KXDocxTableLineArray> KXDocxTableLine::FindIntersectLinesGroups(const KXDocxTableLineArray& lines) {
    KXDocxTableLineArray sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a->min_y() < b->min_y(); });
    std::vector<std::shared_ptr<KXDocxTableArea>> areas;
    for (const KXDocxTableLineArray& group : touchingGroups(sorted, false)) {
        KXDocxTableLineArray merged = MergeParallelLinesIfNeed(group, true);
        if (merged.size() <= 2) {
            for (const auto& line : merged) line->setIsInvalid(true);
            continue;
        }
        areas.push_back(std::make_shared<KXDocxTableArea>(merged));
    }
    std::vector<KXDocxTableLineArray> result;
    while (!areas.empty()) {
        std::vector<std::shared_ptr<KXDocxTableArea>> cluster = KXDocxTableArea::FindIntersectTableAreas(areas);
        if (cluster.empty()) break;
        KXDocxTableLineArray clusterLines;
        for (const auto& area : cluster) {
            clusterLines.insert(clusterLines.end(), area->tableLines().begin(), area->tableLines().end());
            areas.erase(std::find(areas.begin(), areas.end(), area));
        }
        result.push_back(cluster.size() >= 2 ? MergeParallelLinesIfNeed(clusterLines, true) : clusterLines);
    }
    return result;
}

namespace {

// The extent of a line's box across its direction: y for a horizontal line, x for a vertical one.
std::pair<double, double> acrossOf(const kx::Rect& r, bool horizontal) {
    return horizontal ? std::pair(r.minY(), r.maxY()) : std::pair(r.minX(), r.maxX());
}

// The lines of one direction that may join a parallel group (at least kNear long), sorted by where
// their boxes start across the lines, so that the lines within reach of a group are found by a
// binary search rather than a walk over every line of the page. A line whose extent across is not
// finite is always offered. The index only leaves out lines that cannot join; the test decides.
class AcrossIndex {
public:
    AcrossIndex(const KXDocxTableLineArray& lines, bool horizontal) {
        for (size_t i = 0; i < lines.size(); ++i) {
            const KXDocxTableLine& line = *lines[i];
            if (line.isHorizontalLine() != horizontal || line.lineLength() < static_cast<double>(kNear)) continue;
            const auto [low, high] = acrossOf(line.boundingBox(), horizontal);
            if (!std::isfinite(low) || !std::isfinite(high)) {
                always_.push_back(i);
                continue;
            }
            starts_.push_back({low, i});
            thickest_ = std::max(thickest_, high - low);
        }
        std::sort(starts_.begin(), starts_.end());
    }

    // The lines offered to one group, in the lines' order. The span the group covers across the lines
    // only grows, so the lines within reach of it are added as it grows and never taken back.
    class Pool {
    public:
        explicit Pool(const AcrossIndex& index) : index_(index) {}

        // Offers the lines not yet grouped whose boxes may come within `reach` of the span [low, high]
        // across the lines (finite ends), besides those offered before.
        void reach(double low, double high, double reach, const std::vector<char>& grouped) {
            const auto& starts = index_.starts_;
            // A line starting below `from` ends below low - reach; one starting above `to` starts
            // above high + reach. The slack covers the rounding of the tests the lines then go through.
            const double slack = 1 + 1e-9 * (std::fabs(low) + std::fabs(high) + index_.thickest_);
            const double from = low - reach - index_.thickest_ - slack, to = high + reach + slack;
            fresh_.clear();
            auto offer = [&](size_t i) {
                if (!grouped[i]) fresh_.push_back(i);
            };
            if (!started_) {
                started_ = true;
                begin_ = end_ = static_cast<size_t>(
                    std::lower_bound(starts.begin(), starts.end(), std::pair(from, size_t{0})) - starts.begin());
                for (size_t i : index_.always_) offer(i);
            }
            for (; begin_ > 0 && starts[begin_ - 1].first >= from; --begin_) offer(starts[begin_ - 1].second);
            for (; end_ < starts.size() && starts[end_].first <= to; ++end_) offer(starts[end_].second);
            if (fresh_.empty()) return;
            std::sort(fresh_.begin(), fresh_.end());
            const size_t before = offered_.size();
            offered_.insert(offered_.end(), fresh_.begin(), fresh_.end());
            std::inplace_merge(offered_.begin(), offered_.begin() + static_cast<long>(before), offered_.end());
        }
        // The lines offered and not yet taken, ascending.
        const std::vector<size_t>& offered() const { return offered_; }
        void take(size_t position) { offered_.erase(offered_.begin() + static_cast<long>(position)); }

    private:
        const AcrossIndex& index_;
        bool started_ = false;
        size_t begin_ = 0, end_ = 0;
        std::vector<size_t> offered_, fresh_;
    };

private:
    std::vector<std::pair<double, size_t>> starts_;
    std::vector<size_t> always_;
    double thickest_ = 0;
};

// What FindMergeParallelLines makes of the lines not yet grouped (grouped[i] false), the first of
// them at `first`: the indices of its group, marked as grouped. A candidate is a line of the
// group's direction within kNear of one of its members across the lines; the first candidate in
// the lines' order joins, as long as the group stays thinner than kThick. The group's extent across
// the lines rules out, in one comparison, the lines far from every member, and the index (made for
// the lines of the front line's direction) offers only the lines near that extent.
std::vector<size_t> parallelGroup(const KXDocxTableLineArray& lines, const AcrossIndex& index,
                                  std::vector<char>& grouped, size_t first, bool isLengthExtend) {
    std::vector<size_t> group{first};
    grouped[first] = 1;
    const KXDocxTableLine& front = *lines[first];
    if (!front.initRunPath()) return group;
    const bool horizontal = front.isHorizontalLine();
    auto [low, high] = acrossOf(front.boundingBox(), horizontal);
    // A hair more than kNear: the gaps below are measured from the middles, with their rounding.
    constexpr double kFar = static_cast<double>(kNear) + 0.01;
    PieceBounds bounds(front);
    bounds.add(lines[first]);
    // Whether line i may join the group.
    auto joins = [&](size_t i) {
        const KXDocxTableLine& c = *lines[i];
        if (c.isHorizontalLine() != horizontal || c.lineLength() < static_cast<double>(kNear)) return false;
        const kx::Rect& cb = c.boundingBox();
        const auto [cLow, cHigh] = acrossOf(cb, horizontal);
        if (cLow - high >= kFar || low - cHigh >= kFar) return false;
        for (size_t member : group) {
            const KXDocxTableLine& g = *lines[member];
            const kx::Rect& gb = g.boundingBox();
            const double gap = horizontal ? std::fabs(cb.midY() - gb.midY()) - (cb.height() + gb.height()) / 2
                                          : std::fabs(cb.midX() - gb.midX()) - (cb.width() + gb.width()) / 2;
            if (!(gap < static_cast<double>(kNear))) continue;
            if (!isLengthExtend) {
                const bool overlap = horizontal ? c.min_x() - kThick <= g.max_x() && g.min_x() - kThick <= c.max_x()
                                                : c.min_y() - kThick <= g.max_y() && g.min_y() - kThick <= c.max_y();
                if (!overlap) continue;
            }
            return true;
        }
        return false;
    };
    AcrossIndex::Pool pool(index);
    for (;;) {
        std::optional<size_t> next;
        if (std::isfinite(low) && std::isfinite(high)) {
            pool.reach(low, high, kFar, grouped);
            const std::vector<size_t>& offered = pool.offered();
            for (size_t k = 0; k < offered.size(); ++k)
                if (offered[k] > first && joins(offered[k])) {
                    next = offered[k];
                    pool.take(k);
                    break;
                }
        } else {
            // A group whose extent is not finite rules out no line by it: every line is tried.
            for (size_t i = first + 1; i < lines.size() && !next; ++i)
                if (!grouped[i] && joins(i)) next = i;
        }
        if (!next) break;
        PieceBounds grown = bounds;
        grown.add(lines[*next]);
        const kx::Rect box = grown.rect();
        if ((lines[*next]->isHorizontalLine() ? box.height() : box.width()) > static_cast<double>(kThick)) break;
        bounds = grown;
        group.push_back(*next);
        grouped[*next] = 1;
        const auto [nextLow, nextHigh] = acrossOf(lines[*next]->boundingBox(), horizontal);
        low = std::min(low, nextLow);
        high = std::max(high, nextHigh);
    }
    return group;
}

}  // namespace

KXDocxTableLineArray KXDocxTableLine::MergeParallelLinesIfNeed(const KXDocxTableLineArray& lines, bool isLengthExtend) {
    KXDocxTableLineArray horizontal, vertical;
    for (const auto& line : lines)
        forEachPiece(line, [&](const std::shared_ptr<KXDocxTableLine>& piece) {
            (piece->isHorizontalLine() ? horizontal : vertical).push_back(piece);
        });
    std::stable_sort(horizontal.begin(), horizontal.end(), [](const auto& a, const auto& b) {
        if (a->lineLength() != b->lineLength()) return a->lineLength() > b->lineLength();
        return a->startPoint().y < b->startPoint().y;
    });
    std::stable_sort(vertical.begin(), vertical.end(), [](const auto& a, const auto& b) {
        if (a->lineLength() != b->lineLength()) return a->lineLength() > b->lineLength();
        return a->startPoint().x < b->startPoint().x;
    });
    KXDocxTableLineArray result;
    for (const KXDocxTableLineArray* list : {&horizontal, &vertical}) {
        // The groups one after another, each from the first line no group has taken yet.
        std::vector<char> grouped(list->size(), 0);
        const AcrossIndex index(*list, list == &horizontal);
        for (size_t first = 0; first < list->size(); ++first) {
            if (grouped[first]) continue;
            const std::vector<size_t> members = parallelGroup(*list, index, grouped, first, isLengthExtend);
            if (members.size() == 1) {
                result.push_back((*list)[first]);
                continue;
            }
            KXDocxTableLineArray group;
            for (size_t m : members) group.push_back((*list)[m]);
            result.push_back(MergeParallelLines(group));
        }
    }
    return result;
}

KXDocxTableLineArray KXDocxTableLine::FindMergeParallelLines(const KXDocxTableLineArray& lines, bool isLengthExtend) {
    if (lines.empty()) return {};
    std::vector<char> grouped(lines.size(), 0);
    const AcrossIndex index(lines, lines.front()->isHorizontalLine());
    KXDocxTableLineArray group;
    for (size_t m : parallelGroup(lines, index, grouped, 0, isLengthExtend)) group.push_back(lines[m]);
    return group;
}

std::shared_ptr<KXDocxTableLine> KXDocxTableLine::ContinuFindMergeParallelLines(const KXDocxTableLineArray& lines,
                                                                                const KXDocxTableLineArray& group,
                                                                                bool isLengthExtend) {
    if (group.empty()) return nullptr;
    const bool horizontal = group.front()->isHorizontalLine();
    for (const auto& c : lines) {
        if (c->isHorizontalLine() != horizontal || c->lineLength() < static_cast<double>(kNear)) continue;
        const kx::Rect& cb = c->boundingBox();
        for (const auto& g : group) {
            const kx::Rect& gb = g->boundingBox();
            const double gap = horizontal ? std::fabs(cb.midY() - gb.midY()) - (cb.height() + gb.height()) / 2
                                          : std::fabs(cb.midX() - gb.midX()) - (cb.width() + gb.width()) / 2;
            if (!(gap < static_cast<double>(kNear))) continue;
            if (!isLengthExtend) {
                const bool overlap = horizontal
                                         ? c->min_x() - kThick <= g->max_x() && g->min_x() - kThick <= c->max_x()
                                         : c->min_y() - kThick <= g->max_y() && g->min_y() - kThick <= c->max_y();
                if (!overlap) continue;
            }
            return c;
        }
    }
    return nullptr;
}

std::shared_ptr<KXDocxTableLine> KXDocxTableLine::MergeParallelLines(const KXDocxTableLineArray& group) {
    auto merged = std::make_shared<KXDocxTableLine>();
    if (group.empty()) return merged;
    std::shared_ptr<KXDocxTableLine> longest = group.front();
    for (const auto& line : group)
        if (line->lineLength() > longest->lineLength()) longest = line;
    merged->startPoint_ = longest->startPoint_;
    merged->endPoint_ = longest->endPoint_;
    merged->add2SubLineArray(group);
    if (group.size() > 1) {
        std::vector<const std::shared_ptr<KXDocxRunPath>*> paths;
        if (lineIsHorizontalByEnds(*merged)) {
            for (const auto& line : group) {
                float y = merged->min_y();
                if (line->lineLength() > static_cast<double>(kNear)) y = std::min(y, line->min_y());
                const float x0 = std::min(merged->min_x(), line->min_x());
                const float x1 = std::max(merged->max_x(), line->max_x());
                merged->startPoint_ = {x0, y};
                merged->endPoint_ = {x1, y};
                for (const auto& path : line->allRunPathArray()) paths.push_back(&path);
            }
        } else if (lineIsVerticalByEnds(*merged)) {
            for (const auto& line : group) {
                float x = merged->min_x();
                if (line->lineLength() > static_cast<double>(kNear)) x = std::min(x, line->min_x());
                const float y0 = std::min(merged->min_y(), line->min_y());
                const float y1 = std::max(merged->max_y(), line->max_y());
                merged->startPoint_ = {x, y0};
                merged->endPoint_ = {x, y1};
                for (const auto& path : line->allRunPathArray()) paths.push_back(&path);
            }
        }
        // The run paths of all the lines at once, as adding each line's in turn would give them.
        appendUniqueOf(merged->allRunPathArray_, paths);
    }
    merged->updateLineInfo();
    return merged;
}

std::optional<KXDocxTableLineArray> KXDocxTableLine::FindRemoveFrameLinesIfNeed(const KXDocxTableLineArray& lines) {
    const kx::Rect b = BoundsOfTableLines(lines);
    const kx::Point tl{b.minX(), b.minY()}, tr{b.maxX(), b.minY()}, bl{b.minX(), b.maxY()}, br{b.maxX(), b.maxY()};
    KXDocxTableLineArray frame{FindTableLines(lines, tl, tr, kFrameTop), FindTableLines(lines, tl, bl, kFrameLeft),
                               FindTableLines(lines, tr, br, kFrameRight), FindTableLines(lines, bl, br, kFrameBottom)};
    if (std::any_of(frame.begin(), frame.end(), [](const auto& l) { return !l; })) return std::nullopt;
    auto weight = [](const std::shared_ptr<KXDocxTableLine>& l) {
        const KXDocxPathInfo* info = l->initRunPath()->pictInfo();
        return info ? info->strokeweight() : 0.0;
    };
    if (std::fabs(weight(frame[0]) - weight(frame[1])) > static_cast<double>(kSameLine) ||
        std::fabs(weight(frame[2]) - weight(frame[3])) > static_cast<double>(kSameLine))
        return std::nullopt;
    KXDocxTableLineArray others;
    for (const auto& line : lines)
        if (std::find(frame.begin(), frame.end(), line) == frame.end()) others.push_back(line);
    double distance[4] = {0, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        const int type = k + 1;
        const KXDocxTableLineArray nearby = FindNearbyTableLines(others, *frame[static_cast<size_t>(k)], type);
        if (!IsClosedNearbyTableLines(nearby, *frame[static_cast<size_t>(k)], type, &distance[k])) return std::nullopt;
    }
    const bool inner = std::all_of(distance, distance + 4, [](double d) { return d > 0 && d < static_cast<double>(kNear); });
    if (inner && std::fabs(distance[0] - distance[1]) < 2 && std::fabs(distance[2] - distance[3]) < 2) return std::nullopt;
    return frame;
}

std::shared_ptr<KXDocxTableLine> KXDocxTableLine::FindTableLines(const KXDocxTableLineArray& lines, kx::Point point1,
                                                                 kx::Point point2, int type) {
    std::shared_ptr<KXDocxTableLine> found;
    for (const auto& line : lines) {
        if (!line->initRunPath()) continue;
        const bool fits = (within(line->startPoint(), point1, kNear) && within(line->endPoint(), point2, kNear)) ||
                          (within(line->startPoint(), point2, kNear) && within(line->endPoint(), point1, kNear));
        if (!fits) continue;
        if (!found) {
            found = line;
            continue;
        }
        const kx::Point s = line->startPoint(), f = found->startPoint();
        const bool better = (type == kFrameTop && fy(s) < fy(f)) || (type == kFrameLeft && fx(s) < fx(f)) ||
                            (type == kFrameRight && fx(s) > fx(f)) || (type == kFrameBottom && fy(s) > fy(f));
        if (better) found = line;
    }
    return found;
}

KXDocxTableLineArray KXDocxTableLine::FindNearbyTableLines(const KXDocxTableLineArray& lines,
                                                           const KXDocxTableLine& frame, int type) {
    KXDocxTableLineArray nearby;
    const kx::Point s = frame.startPoint();
    for (const auto& line : lines) {
        const auto& path = line->initRunPath();
        if (!path || !path->pictInfo() || !path->pictInfo()->stroked()) continue;
        const kx::Point a = line->startPoint(), b = line->endPoint();
        bool reaches = false;
        switch (type) {
            case kFrameTop: reaches = fy(a) < fy(s) + kNear || fy(b) < fy(s) + kNear; break;
            case kFrameLeft: reaches = fx(a) < fx(s) + kNear || fx(b) < fx(s) + kNear; break;
            case kFrameRight: reaches = fx(a) > fx(s) - kNear || fx(b) > fx(s) - kNear; break;
            case kFrameBottom: reaches = fy(a) > fy(s) - kNear || fy(b) > fy(s) - kNear; break;
            default: break;
        }
        if (reaches) nearby.push_back(line);
    }
    return nearby;
}

bool KXDocxTableLine::IsClosedNearbyTableLines(const KXDocxTableLineArray& lines, const KXDocxTableLine& frame,
                                               int type, double* distance) {
    if (lines.empty()) return true;
    double d = 0;
    KXDocxTableLineArray horizontal, vertical;
    for (const auto& line : lines) (line->isHorizontalLine() ? horizontal : vertical).push_back(line);
    bool closed = true;
    if (type == kFrameLeft || type == kFrameRight) {
        for (const auto& h : horizontal) {
            const bool inside = std::any_of(vertical.begin(), vertical.end(), [&](const auto& v) {
                return v->min_y() - kNear <= h->min_y() && h->max_y() <= v->max_y() + kNear;
            });
            if (!inside) closed = false;
        }
        d = kNoDistance;
        for (const auto& v : vertical) d = std::min(d, double(std::fabs(v->min_x() - frame.min_x())));
    } else if (type == kFrameTop || type == kFrameBottom) {
        for (const auto& v : vertical) {
            const bool inside = std::any_of(horizontal.begin(), horizontal.end(), [&](const auto& h) {
                return h->min_x() - kNear <= v->min_x() && v->max_x() <= h->max_x() + kNear;
            });
            if (!inside) closed = false;
        }
        d = kNoDistance;
        for (const auto& h : horizontal) d = std::min(d, double(std::fabs(h->min_y() - frame.min_y())));
    } else {
        d = kNoDistance;
    }
    if (distance) *distance = d;
    return closed;
}

bool KXDocxTableLine::IsHaveSameStartLinesValue(const KXDocxTableLineArray& lines, double value) {
    if (lines.empty()) return false;
    const float v = static_cast<float>(value);
    auto near = [v](float a) { return std::fabs(a - v) <= kSameLine; };
    const bool allX = std::all_of(lines.begin(), lines.end(),
                                  [&](const auto& l) { return near(fx(l->startPoint())) || near(fx(l->endPoint())); });
    const bool allY = std::all_of(lines.begin(), lines.end(),
                                  [&](const auto& l) { return near(fy(l->startPoint())) || near(fy(l->endPoint())); });
    return allX || allY;
}

bool KXDocxTableLine::IsHaveSameStartLines(const KXDocxTableLineArray& lines) {
    KXDocxTableLineArray filled;
    for (const auto& line : lines) {
        if (!line->subLineArray().empty()) {
            for (const auto& sub : line->subLineArray())
                if (sub->isFilled()) filled.push_back(sub);
        } else if (line->isFilled()) {
            filled.push_back(line);
        }
    }
    if (filled.empty()) return false;
    const std::shared_ptr<KXDocxTableLine> first = filled.front();
    const KXDocxTableLineArray rest(filled.begin() + 1, filled.end());
    for (double value : {first->startPoint().x, first->startPoint().y, first->endPoint().x, first->endPoint().y})
        if (IsHaveSameStartLinesValue(rest, value)) return true;
    return false;
}
