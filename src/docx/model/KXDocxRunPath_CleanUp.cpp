// Clean-up of a page's path runs: the background rectangle and the runs that merely repeat it,
// specks, check boxes, lone frames, annotation paths, and the pieces that a producer painted as many
// paths but that stand for one line or one rectangle.

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_set>

#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxSort.h"
#include "docx/model/KXDocxUtilities.h"

namespace {

using RunSet = std::unordered_set<const KXDocxRunPath*>;

double boxArea(const KXDocxRunPath& run) { return run.boundingBox().width() * run.boundingBox().height(); }

void sortByScanIndex(KXDocxRunPathArray& runs) {
    kx::detail::stableSortByKey(runs, [](const std::shared_ptr<KXDocxRunPath>& r) { return r->pdfScanIndex(); });
}

void removeRuns(KXDocxRunPathArray& runs, const RunSet& gone) {
    std::erase_if(runs, [&gone](const std::shared_ptr<KXDocxRunPath>& r) { return gone.contains(r.get()); });
}

KXDocxRunPathArray without(const KXDocxRunPathArray& runs, const RunSet& gone) {
    KXDocxRunPathArray rest;
    rest.reserve(runs.size());
    for (const auto& r : runs)
        if (!gone.contains(r.get())) rest.push_back(r);
    return rest;
}

RunSet setOf(const KXDocxRunPathArray& runs) {
    RunSet set;
    for (const auto& r : runs) set.insert(r.get());
    return set;
}

}  // namespace

std::shared_ptr<KXDocxRunPath> KXDocxRunPath::FindBigRectangeRunPath(const KXDocxRunPathArray& runs) {
    if (runs.size() < 2) return nullptr;
    std::shared_ptr<KXDocxRunPath> best;
    for (const auto& run : runs) {
        const KXDocxPathInfo& i = run->info();
        if (!i.filled() || run->runLineType() != kLineTypeRect) continue;
        if (i.stroked() && !KXDocxColorIsEqual(i.strokeColorKX(), i.fillColorKX())) continue;
        if (!best || boxArea(*run) > boxArea(*best)) best = run;
    }
    return best;
}

KXDocxRunPathArray KXDocxRunPath::FindDuplicateRunPath(const std::shared_ptr<KXDocxRunPath>& rectangle,
                                                       const KXDocxRunPathArray& runs) {
    if (runs.empty()) return {};
    if (rectangle && rectangle->runLineType() != kLineTypeSmallRect && rectangle->runLineType() != kLineTypeRect)
        return {};
    const KXDocx_Color white{255, 255, 255, 255};
    KXDocx_Color reference = white;
    std::shared_ptr<KXDocxRunPath> under;
    if (rectangle && rectangle->info().filled() && !KXDocxColorIsEqual(rectangle->info().fillColorKX(), white)) {
        under = rectangle;
        reference = rectangle->info().fillColorKX();
    }
    KXDocxRunPathArray candidates;
    for (const auto& run : runs) {
        if (under && (run->pdfScanIndex() < under->pdfScanIndex() || !under->boundingBox().contains(run->boundingBox())))
            continue;
        if (run->IsEqualColor(reference)) candidates.push_back(run);
    }
    if (candidates.empty()) return {};
    // A candidate that covers something painted before it shows by hiding it: it stays.
    KXDocxRunPathArray rest = without(runs, setOf(candidates));
    KXDocxRunPathArray duplicates;
    for (const auto& c : candidates)
        if (!c->hideRunPaths(rest)) duplicates.push_back(c);
    return duplicates;
}

KXDocxRunPathArray KXDocxRunPath::FindSmallShapes(const KXDocxRunPathArray& runs, kx::Size maxSize) {
    const double maxWidth = std::max(maxSize.width, 0.01), maxHeight = std::max(maxSize.height, 0.01);
    KXDocxRunPathArray found;
    for (const auto& run : runs) {
        const kx::Rect r = run->displayRect();
        const double w = r.width(), h = r.height();
        if ((w < maxWidth && h < maxHeight) || w < 0.0001 || h < 0.0001) found.push_back(run);
    }
    return found;
}

KXDocxRunPathArray KXDocxRunPath::FindSmallRects(const KXDocxRunPathArray& runs) {
    KXDocxRunPathArray found;
    for (const auto& run : runs) {
        const kx::Rect r = run->displayRect();
        const double longer = std::max(r.width(), r.height()), shorter = std::min(r.width(), r.height());
        if ((longer < 8.1 && shorter > 4.05) || (longer >= 8.1 && longer < 15.1 && shorter > 8.1)) found.push_back(run);
    }
    return found;
}

namespace {

// The runs whose boxes may meet a rectangle, found through a grid of square cells laid over the
// boxes: each finite box is filed under the cells it covers, a box covering many cells (a page
// background) or one that is not finite is tried for every rectangle. Each box's extent is kept
// so that a run lying clear of the rectangle is passed over without the full test.
class BoxIndex {
public:
    explicit BoxIndex(const KXDocxRunPathArray& runs) {
        boxes_.resize(runs.size());
        bool any = false;
        for (size_t i = 0; i < runs.size(); ++i) {
            if (!runs[i]) continue;
            const kx::Rect& b = runs[i]->boundingBox();
            if (!finite(b)) continue;
            boxes_[i] = {b.minX(), b.minY(), b.maxX(), b.maxY()};
            if (!any) {
                x0_ = boxes_[i].x0, y0_ = boxes_[i].y0, x1_ = boxes_[i].x1, y1_ = boxes_[i].y1;
                any = true;
            }
            x0_ = std::min(x0_, boxes_[i].x0);
            y0_ = std::min(y0_, boxes_[i].y0);
            x1_ = std::max(x1_, boxes_[i].x1);
            y1_ = std::max(y1_, boxes_[i].y1);
        }
        cell_ = std::max({kCell, (x1_ - x0_) / double(kMaxCells), (y1_ - y0_) / double(kMaxCells)});
        columns_ = cellOf(x1_, x0_, kMaxCells + 1) + 1;
        rows_ = cellOf(y1_, y0_, kMaxCells + 1) + 1;
        cells_.resize(columns_ * rows_);
        seen_.assign(runs.size(), 0);
        for (size_t i = 0; i < runs.size(); ++i) {
            if (!runs[i]) continue;
            const kx::Rect& b = runs[i]->boundingBox();
            if (!finite(b)) {
                boxes_[i] = kUnknown;
                everywhere_.push_back(i);
                continue;
            }
            const size_t c0 = cellOf(b.minX(), x0_, columns_), c1 = cellOf(b.maxX(), x0_, columns_);
            const size_t r0 = cellOf(b.minY(), y0_, rows_), r1 = cellOf(b.maxY(), y0_, rows_);
            if ((c1 - c0 + 1) * (r1 - r0 + 1) > kWideBox) {
                everywhere_.push_back(i);
                continue;
            }
            for (size_t r = r0; r <= r1; ++r)
                for (size_t c = c0; c <= c1; ++c) cells_[r * columns_ + c].push_back(i);
        }
    }

    // True when `test` holds for the index of some run whose box may meet the rectangle, tried
    // at most once per run. A run whose box lies wholly to one side of the rectangle (which
    // kx::Rect::intersects also finds apart) is not tried.
    template <typename Test>
    bool anyMeeting(const kx::Rect& r, const Test& test) {
        ++stamp_;
        const bool whole = !finite(r);
        const Extent e = whole ? kUnknown : Extent{r.minX(), r.minY(), r.maxX(), r.maxY()};
        auto tryList = [&](const std::vector<size_t>& list) {
            for (size_t i : list) {
                if (seen_[i] == stamp_) continue;
                seen_[i] = stamp_;
                const Extent& b = boxes_[i];
                if (b.x1 < e.x0 || e.x1 < b.x0 || b.y1 < e.y0 || e.y1 < b.y0) continue;
                if (test(i)) return true;
            }
            return false;
        };
        if (whole) {
            for (const auto& list : cells_)
                if (tryList(list)) return true;
        } else {
            const size_t c0 = cellOf(r.minX(), x0_, columns_), c1 = cellOf(r.maxX(), x0_, columns_);
            for (size_t row = cellOf(r.minY(), y0_, rows_), r1 = cellOf(r.maxY(), y0_, rows_); row <= r1; ++row)
                for (size_t c = c0; c <= c1; ++c)
                    if (tryList(cells_[row * columns_ + c])) return true;
        }
        return tryList(everywhere_);
    }

private:
    static constexpr double kCell = 32;
    static constexpr size_t kMaxCells = 128;
    static constexpr size_t kWideBox = 256;

    // A box's standardized extent. NaN bounds make every comparison false, so a box not known
    // to be finite is never passed over.
    struct Extent {
        double x0, y0, x1, y1;
    };
    static constexpr Extent kUnknown{std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};

    static bool finite(const kx::Rect& r) {
        return std::isfinite(r.minX()) && std::isfinite(r.maxX()) && std::isfinite(r.minY()) && std::isfinite(r.maxY());
    }
    // The cell column (row) of a coordinate, held to the grid's `count` columns (rows).
    // floor(q) > 0 exactly when q >= 1, floor(q) >= n exactly when q >= n for a whole n, and a
    // positive q truncates to its floor, so no floor need be taken.
    size_t cellOf(double v, double origin, size_t count) const {
        const double q = (v - origin) / cell_;
        if (!(q >= 1)) return 0;
        return q >= double(count - 1) ? count - 1 : static_cast<size_t>(q);
    }

    double x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0, cell_ = kCell;
    size_t columns_ = 1, rows_ = 1;
    std::vector<Extent> boxes_;
    std::vector<std::vector<size_t>> cells_;
    std::vector<size_t> everywhere_;
    std::vector<size_t> seen_;
    size_t stamp_ = 0;
};

}  // namespace

// A stroked rectangle is alone when no other run, save those found alone before it, reaches into
// its box grown by 1.1 without lying inside the box itself (isAloneRectWithRunPaths). The index
// offers only the runs that may reach into the grown box, and the search stops at the first one
// that does.
KXDocxRunPathArray KXDocxRunPath::FindAloneRects(const KXDocxRunPathArray& runs) {
    KXDocxRunPathArray found;
    RunSet foundSet;
    std::optional<BoxIndex> index;
    for (const auto& run : runs) {
        if (run->runLineType() != kLineTypeRect || !run->info().stroked()) continue;  // never alone
        if (!index) index.emplace(runs);
        const kx::Rect& box = run->boundingBox();
        const kx::Rect grown = box.insetBy(-1.1, -1.1);
        const bool touched = index->anyMeeting(grown, [&](size_t i) {
            const KXDocxRunPath* o = runs[i].get();
            return o != run.get() && grown.intersects(o->boundingBox()) && !box.contains(o->boundingBox()) &&
                   !foundSet.contains(o);
        });
        if (!touched) {
            found.push_back(run);
            foundSet.insert(run.get());
        }
    }
    return found;
}

KXDocxRunPathArray KXDocxRunPath::FindAnnotionlPaths(const KXDocxRunPathArray& runs) {
    KXDocxRunPathArray found;
    for (const auto& run : runs)
        if (run->isAnnotion()) found.push_back(run);
    return found;
}

// ---- Lines ----

KXDocxRunPathArray KXDocxRunPath::MergeOverlapLinesIfNeed(KXDocxRunPathArray& runs) {
    sortByScanIndex(runs);
    KXDocxRunPathArray result, work;
    for (const auto& run : runs) {
        const int t = run->runLineType();
        (t == kLineTypeHorizontal || t == kLineTypeVertical || t == kLineTypeSmallRect ? work : result).push_back(run);
    }
    while (!work.empty()) {
        KXDocxRunPathArray group = FindOverlapLineRunPaths(work);
        std::shared_ptr<KXDocxRunPath> merged = group.size() >= 2 ? CreateWithOverlapLines(group) : nullptr;
        if (!merged) {
            // One run alone (or pieces with no line among them): it is done.
            result.push_back(group.front());
            work.erase(std::find(work.begin(), work.end(), group.front()));
            continue;
        }
        // The merged line stays in the work list and may take up more pieces.
        RunSet gone = setOf(group);
        gone.erase(merged.get());
        removeRuns(work, gone);
    }
    sortByScanIndex(result);
    return result;
}

KXDocxRunPathArray KXDocxRunPath::FindOverlapLineRunPaths(const KXDocxRunPathArray& runs) {
    if (runs.empty()) return {};
    KXDocxRunPathArray group{runs.front()};
    int type = runs.front()->runLineType();
    for (size_t k = 1; k < runs.size(); ++k) {
        const auto& c = runs[k];
        const int ct = c->runLineType();
        const bool fits = type == kLineTypeSmallRect ? (ct == kLineTypeHorizontal || ct == kLineTypeVertical)
                                                     : (ct == type || ct == kLineTypeSmallRect);
        if (!fits) continue;
        const bool continues =
            std::any_of(group.begin(), group.end(), [&c](const auto& g) { return g->isLineExtentsRunPath(c.get()); });
        if (!continues) continue;
        group.push_back(c);
        if (type == kLineTypeSmallRect) type = ct;
    }
    return group;
}

std::shared_ptr<KXDocxRunPath> KXDocxRunPath::CreateWithOverlapLines(const KXDocxRunPathArray& group) {
    kx::Rect b = kx::Rect::null();
    std::shared_ptr<KXDocxRunPath> host;
    for (const auto& run : group) {
        b = b.unionWith(run->boundingBox());
        if (!host && run->runLineType() != kLineTypeSmallRect) host = run;
    }
    if (!host) return nullptr;
    if (!host->pictInfo_) host->pictInfo_.emplace();
    KXDocxPathInfo& i = *host->pictInfo_;
    i.displayX = b.origin.x;
    i.displayY = b.origin.y;
    i.displayWidth = b.size.width;
    i.displayHeight = b.size.height;
    if (!i.stroked()) {
        i.setStroked(true);
        if (i.filled()) {
            // The line shows what the filled shape showed: its colour and its alpha.
            i.setStrokeAlpha(i.fillAlpha());
            i.setStrokecolor(i.fillcolor());
        }
    }
    i.setFilled(false);
    kx::Path line;
    if (b.size.width > b.size.height) {
        line.moveTo({b.origin.x, b.midY()});
        line.lineTo({b.maxX(), b.midY()});
        i.setStrokeweight(b.size.height);
        host->setRunLineType(kLineTypeHorizontal);
    } else {
        line.moveTo({b.midX(), b.origin.y});
        line.lineTo({b.midX(), b.maxY()});
        i.setStrokeweight(b.size.width);
        host->setRunLineType(kLineTypeVertical);
    }
    host->setRunCGPath(line);
    return host;
}

KXDocxRunPathArray KXDocxRunPath::ConvertRect2LineIfNeed(const KXDocxRunPathArray& runs) {
    KXDocxRunPathArray result;
    result.reserve(runs.size());
    for (const auto& run : runs) {
        result.push_back(run);
        const int t = run->runLineType();
        if (t == kLineTypeHorizontal || t == kLineTypeVertical) continue;
        const bool shape = t == kLineTypeOther;
        const double a = shape ? 1.01 : 5.01, b = shape ? 2.02 : 10.02;
        const kx::Rect& box = run->boundingBox();
        if (box.width() < a && box.height() > b)
            run->setRunLineType(kLineTypeVertical);
        else if (box.height() < a && box.width() > b)
            run->setRunLineType(kLineTypeHorizontal);
        else
            continue;
        CreateWithOverlapLines({run});
    }
    return result;
}

// ---- Rectangles ----

KXDocxRunPathArray KXDocxRunPath::MergeOverlapRectangesIfNeed(const KXDocxRunPathArray& runs) {
    KXDocxRunPathArray result, work;
    for (const auto& run : runs) {
        const KXDocxPathInfo& i = run->info();
        const int t = run->runLineType();
        const bool rect = t == kLineTypeSmallRect || t == kLineTypeRect;
        const bool plainFill =
            i.filled() && (!i.stroked() || KXDocxColorIsEqual(i.strokeColorKX(), i.fillColorKX()));
        (rect && plainFill ? work : result).push_back(run);
    }
    if (work.size() < 2) {
        result.insert(result.end(), work.begin(), work.end());
        work.clear();
    }
    while (!work.empty()) {
        KXDocxRunPathArray group = FindOverlapRectangeRunPaths(work);
        if (group.empty()) break;
        if (group.size() == 1) {
            result.push_back(group.front());
            work.erase(std::find(work.begin(), work.end(), group.front()));
            continue;
        }
        std::shared_ptr<KXDocxRunPath> merged = CreateWithOverlapRects(group);
        RunSet gone = setOf(group);
        gone.erase(merged.get());
        removeRuns(work, gone);
    }
    sortByScanIndex(result);
    return result;
}

KXDocxRunPathArray KXDocxRunPath::FindOverlapRectangeRunPaths(const KXDocxRunPathArray& runs) {
    if (runs.empty()) return {};
    KXDocxRunPathArray group{runs.front()};
    for (size_t k = 1; k < runs.size(); ++k) {
        const auto& c = runs[k];
        const KXDocxRunPathArray before = group;
        for (const auto& g : before) {
            bool isExtend = false;
            if (!g->isRectOverlapRunPath(c.get(), isExtend)) continue;
            group.push_back(c);
            // Merging is safe when the pieces were painted one after the other, when the largest
            // piece was painted last, or when nothing painted in between lies under them.
            const bool inSequence = IsPDFScanIndexContinue(group);
            const auto largest = FindMaxAreaOverlapRectanges(group);
            const bool largestLast = !inSequence && FindMaxPDFScanIndex(group)->pdfScanIndex() <= largest->pdfScanIndex();
            const bool hidesNothing =
                !inSequence && !largestLast && !IsRunPaths(group, largest->pdfScanIndex(), without(runs, setOf(group)));
            if (inSequence || hidesNothing) {
                if (isExtend) return group;  // the union is a new rectangle: start again with it
                break;
            }
            if (largestLast) break;
            group.erase(std::find(group.begin(), group.end(), c));
        }
    }
    return group;
}

std::shared_ptr<KXDocxRunPath> KXDocxRunPath::CreateWithOverlapRects(const KXDocxRunPathArray& group) {
    if (group.empty()) return nullptr;
    KXDocxRunPathArray ordered = group;
    sortByScanIndex(ordered);
    kx::Rect b = kx::Rect::null();
    for (const auto& run : ordered) b = b.unionWith(run->boundingBox());
    std::shared_ptr<KXDocxRunPath> host = ordered.back();
    if (!host->pictInfo_) host->pictInfo_.emplace();
    KXDocxPathInfo& i = *host->pictInfo_;
    host->setBoundingBox(b);
    i.displayX = b.origin.x;
    i.displayY = b.origin.y;
    i.displayWidth = b.size.width;
    i.displayHeight = b.size.height;
    if (i.stroked() && !i.filled()) {
        i.setFillAlpha(i.strokeAlpha());
        i.setFillcolor(i.strokecolor());
    }
    i.setStrokeweight(0);
    i.setStroked(false);
    i.setFilled(true);
    kx::Path rect;
    rect.addRect(b);
    host->setRunCGPath(rect);
    host->setRunLineType(kLineTypeRect);
    return host;
}

std::shared_ptr<KXDocxRunPath> KXDocxRunPath::FindMaxAreaOverlapRectanges(const KXDocxRunPathArray& group) {
    std::shared_ptr<KXDocxRunPath> best;
    for (const auto& run : group)
        if (!best || boxArea(*run) > boxArea(*best)) best = run;
    return best;
}

bool KXDocxRunPath::IsRunPaths(const KXDocxRunPathArray& group, std::uint64_t minPDFScanIndex,
                               const KXDocxRunPathArray& hideRunPaths) {
    if (group.empty() || hideRunPaths.empty()) return false;
    KXDocxRunPathArray later;
    for (const auto& r : hideRunPaths)
        if (r->pdfScanIndex() >= minPDFScanIndex) later.push_back(r);
    if (later.empty()) return false;
    for (const auto& g : group)
        if (g->pdfScanIndex() >= minPDFScanIndex && g->hideRunPaths(later)) return true;
    return false;
}
