#include "docx/page/layout/KXDocxTableBorder.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/layout/KXDocxTableManager.h"

namespace {

const KXDocx_Color kWhite{255, 255, 255, 255};
constexpr float kPieceAllowance = 15.1f;
constexpr float kChildLimit = 8.1f;
constexpr double kThinPath = 6.0;
// The least overlap FindTableLines asks of a line along a border.
constexpr double kLeastOverlap = 2.0;

// Merged lines of more pieces than this are looked up in a piece index.
constexpr std::size_t kFewPieces = 16;

kx::Point at(const std::shared_ptr<KXDocxTablePoint>& p) { return p ? p->point() : kx::Point{}; }

// The span of a piece along the direction asked for: x for a horizontal one, y for a vertical one.
std::pair<double, double> along(const KXDocxTableLine& piece, bool isHorizontal) {
    const kx::Point a = piece.startPoint(), b = piece.endPoint();
    return isHorizontal ? std::pair(std::min(a.x, b.x), std::max(a.x, b.x)) : std::pair(std::min(a.y, b.y), std::max(a.y, b.y));
}

int colorSum(const KXDocx_Color& c) { return c.red + c.green + c.blue + c.alpha; }

}  // namespace

KXDocxTableBorder::KXDocxTableBorder(std::shared_ptr<KXDocxTablePoint> point1, std::shared_ptr<KXDocxTablePoint> point2,
                                     bool isHorizontal)
    : isHorizontal_(isHorizontal), borderPoint1_(std::move(point1)), borderPoint2_(std::move(point2)) {
    const kx::Point p1 = at(borderPoint1_), p2 = at(borderPoint2_);
    if (borderPoint1_ && borderPoint2_) {
        const KXDocxTableLineArray& second = borderPoint2_->tableLines();
        for (const auto& line : borderPoint1_->tableLines()) {
            if (std::find(second.begin(), second.end(), line) == second.end()) continue;
            if (line->isHorizontalLine() != isHorizontal_) continue;
            const bool before = isHorizontal_ ? line->min_y() <= p1.y - 1 && line->min_y() <= p2.y - 1
                                              : line->min_x() <= p1.x - 1 && line->min_x() <= p2.x - 1;
            if (before) continue;
            if (std::find(tableLines_.begin(), tableLines_.end(), line) == tableLines_.end()) tableLines_.push_back(line);
        }
    }
    for (const auto& line : tableLines_)
        bounds_ = bounds_.size.width <= 0 ? line->boundingBox() : bounds_.unionWith(line->boundingBox());
    if (isHorizontal_) {
        borderLength_ = std::fabs(p1.x - p2.x);
        bounds_.origin.x = std::min(p1.x, p2.x);
        bounds_.size.width = borderLength_;
    } else {
        borderLength_ = std::fabs(p1.y - p2.y);
        bounds_.origin.y = std::min(p1.y, p2.y);
        bounds_.size.height = borderLength_;
    }
}

void KXDocxTableBorder::PieceIndex::candidates(const KXDocxTableLine& line, bool isHorizontal, double low, double high,
                                               std::vector<std::size_t>& out) {
    const KXDocxTableLineArray& pieces = line.subLineArray();
    auto [it, made] = entries_[isHorizontal ? 1 : 0].try_emplace(&line);
    Entry& entry = it->second;
    if (made) {
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const KXDocxTableLine& piece = *pieces[i];
            if (piece.isHorizontalLine() != isHorizontal) continue;
            const auto [from, to] = along(piece, isHorizontal);
            if (!std::isfinite(from) || !std::isfinite(to)) {
                entry.always.push_back(i);
                continue;
            }
            entry.starts.emplace_back(from, i);
            entry.longest = std::max(entry.longest, to - from);
        }
        std::sort(entry.starts.begin(), entry.starts.end());
    }
    out.clear();
    // A piece overlaps the span only when it starts at most at `high` and ends at least at `low`,
    // so it starts no further back than its length; the slack covers the rounding.
    const double slack = 1 + 1e-9 * (std::fabs(low) + std::fabs(high) + entry.longest);
    const double first = low - entry.longest - slack, last = high + slack;
    auto start = std::lower_bound(entry.starts.begin(), entry.starts.end(), std::pair(first, std::size_t{0}));
    for (; start != entry.starts.end() && start->first <= last; ++start) out.push_back(start->second);
    out.insert(out.end(), entry.always.begin(), entry.always.end());
    std::sort(out.begin(), out.end());
}

void KXDocxTableBorder::initProcessTableLines(PieceIndex* pieces) {
    property_.reset();
    const double miniLength = std::max((borderLength_ - static_cast<double>(kPieceAllowance)) * 0.6, 2.0);
    // The same as FindTableLines(CreateAllChildTableLines(...)), in one pass: a long merged rule has
    // many pieces, of which a cell's border keeps the few along it, so the pieces are measured against
    // the border before the duplicate check rather than all gathered and deduplicated first.
    const double limit = std::min(miniLength, static_cast<double>(kChildLimit));
    const double least = std::max(miniLength, kLeastOverlap);
    const kx::Point p1 = at(borderPoint1_), p2 = at(borderPoint2_);
    std::vector<std::pair<double, const std::shared_ptr<KXDocxTableLine>*>> found;
    auto consider = [&](const std::shared_ptr<KXDocxTableLine>& line) {
        if (line->isHorizontalLine() != isHorizontal_ || line->isShortLine(limit)) return;
        const double overlap = KXDocxTableManager::LineStartPoint(line->startPoint(), line->endPoint(), p1, p2);
        if (overlap <= least) return;
        for (const auto& f : found)
            if (*f.second == line) return;
        found.emplace_back(overlap, &line);
    };
    // A piece of the border's orientation overlaps it only along its own direction (a piece across
    // it is no piece of it), and only where the two spans meet; one that does not meet it is left out
    // as long as the least overlap asked for is a number (a border of no length asks none).
    const double low = isHorizontal_ ? std::min(p1.x, p2.x) : std::min(p1.y, p2.y);
    const double high = isHorizontal_ ? std::max(p1.x, p2.x) : std::max(p1.y, p2.y);
    const bool indexed = pieces && std::isfinite(low) && std::isfinite(high) && !std::isnan(least);
    std::vector<std::size_t> near;
    for (const auto& line : tableLines_) {
        const KXDocxTableLineArray& subs = line->subLineArray();
        if (subs.empty()) {
            consider(line);
        } else if (indexed && subs.size() > kFewPieces) {
            pieces->candidates(*line, isHorizontal_, low, high, near);
            for (std::size_t i : near) consider(subs[i]);
        } else {
            for (const auto& sub : subs) consider(sub);
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    childLineArray_.clear();
    childLineArray_.reserve(found.size());
    for (const auto& f : found) childLineArray_.push_back(*f.second);
    allRunPaths_ = CreateAllRunPathArray(childLineArray_);
    styleLineArray_ = KXDocxTableLine::CreateStyleLineArray(childLineArray_, at(borderPoint1_), at(borderPoint2_), kWhite);
}

KXDocxRunPathArray KXDocxTableBorder::CreateAllRunPathArray(const KXDocxTableLineArray& lines) {
    KXDocxRunPathArray paths;
    for (const auto& line : lines)
        for (const auto& path : line->allRunPathArray())
            if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
    return paths;
}

KXDocxTableLineArray KXDocxTableBorder::CreateAllChildTableLines(const KXDocxTableLineArray& lines, double miniLength,
                                                                 bool isHorizontal) {
    const double limit = std::min(miniLength, static_cast<double>(kChildLimit));
    KXDocxTableLineArray children;
    auto consider = [&](const std::shared_ptr<KXDocxTableLine>& line) {
        if (line->isHorizontalLine() != isHorizontal || line->isShortLine(limit)) return;
        if (std::find(children.begin(), children.end(), line) == children.end()) children.push_back(line);
    };
    for (const auto& line : lines) {
        if (line->subLineArray().empty()) {
            consider(line);
        } else {
            for (const auto& sub : line->subLineArray()) consider(sub);
        }
    }
    return children;
}

KXDocx_Color KXDocxTableBorder::borderColor() const {
    int least = 1020;
    std::optional<KXDocx_Color> found;
    for (const auto& line : styleLineArray_) {
        if (!line->initRunPath()) continue;
        const std::optional<kx::Color> color = line->tableLineColor();
        if (!color) continue;
        const KXDocx_Color c = KXDocxUtilities::KXDocxColorFromCGColor(&*color);
        if (colorSum(c) < least) {
            least = colorSum(c);
            found = c;
        }
    }
    if (found) return *found;
    for (const auto& line : styleLineArray_) {
        const auto& path = line->initRunPath();
        if (!path || !path->pictInfo() || !path->pictInfo()->filled()) continue;
        const kx::Rect& box = path->boundingBox();
        if (!(box.width() < kThinPath || box.height() < kThinPath)) continue;
        const std::optional<kx::Color>& fill = path->pictInfo()->fillcolor();
        const KXDocx_Color c = KXDocxUtilities::KXDocxColorFromCGColor(fill ? &*fill : nullptr);
        if (colorSum(c) < least) {
            least = colorSum(c);
            found = c;
        }
    }
    if (found) return *found;
    return {0, 0, 0, 1};
}

double KXDocxTableBorder::borderWidth(const KXDocx_Color& color) const {
    KXDocxRunPathArray paths;
    for (const auto& line : styleLineArray_) {
        const auto& path = line->initRunPath();
        if (path && path->pictInfo() && KXDocxColorIsEqual(path->pictInfo()->strokeColorKX(), color)) paths.push_back(path);
    }
    return KXDocxRunPath::MaxBorderWidthForRunPaths(paths);
}

KXDocx_Border KXDocxTableBorder::borderProperty() const {
    if (!property_) property_ = makeBorderProperty();
    return *property_;
}

KXDocx_Border KXDocxTableBorder::makeBorderProperty() const {
    if (tableLines_.empty()) {
        KXDocx_Border none = KXDocxUtilities::defaultBorder_None();
        none.val = 1;
        return none;
    }
    KXDocx_Border border = KXDocxUtilities::defaultBorder_SingleLine();
    border.color = borderColor();
    double gap = 0;
    border.val = KXDocxTableLine::BorderStyleForTableLines(styleLineArray_, at(borderPoint1_), at(borderPoint2_), kWhite, &gap);
    const bool gapStyle = border.val == 17 || border.val == 20 || border.val == 24;
    border.sz = static_cast<float>(gapStyle && gap > 0.25 ? gap : borderWidth(border.color));
    return border;
}
