#include "docx/page/KXDocxTableArea.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "docx/page/KXDocxTable.h"
#include "docx/page/KXDocxTableManager.h"
#include "platform/Format.h"

namespace {

constexpr float kShortLine = 5.1f;
constexpr float kSameRow = 5.1f;
constexpr double kClusterDistance = 5.1;
constexpr double kChartReach = 0.45;
constexpr double kChartBarShare = 0.75;
constexpr float kChartLine = 15.1f;
constexpr double kShadingPath = 3.0;
constexpr double kNestedCorner = 2.0;

double areaOf(const kx::Rect& r) { return r.isNull() ? 0 : r.width() * r.height(); }

double overlapArea(const kx::Rect& a, const kx::Rect& b) { return areaOf(a.intersection(b)); }

std::uint64_t scanEnd(const KXDocxRun& run) { return run.pdfScanIndex() + run.pdfScanLength(); }

}  // namespace

KXDocxTableArea::KXDocxTableArea(const KXDocxTableLineArray& lines)
    : tableLines_(lines), bounds_(KXDocxTableLine::BoundsOfTableLines(lines)) {
    // The paths of the pieces in first-seen order, each once (a set for the check: an area of many
    // ruled cells has thousands of paths).
    std::unordered_set<const KXDocxRunPath*> seen;
    auto addPaths = [&](const KXDocxTableLine& piece) {
        for (const auto& path : piece.allRunPathArray())
            if (seen.insert(path.get()).second) allRunPathArray_.push_back(path);
    };
    for (const auto& line : lines) {
        if (line->subLineArray().empty()) {
            addPaths(*line);
        } else {
            for (const auto& piece : line->subLineArray()) addPaths(*piece);
        }
    }
    if (!allRunPathArray_.empty()) {
        minPDFScanIndex_ = allRunPathArray_.front()->pdfScanIndex();
        maxPDFScanIndex_ = scanEnd(*allRunPathArray_.front());
        for (const auto& path : allRunPathArray_) {
            minPDFScanIndex_ = std::min(minPDFScanIndex_, path->pdfScanIndex());
            maxPDFScanIndex_ = std::max(maxPDFScanIndex_, scanEnd(*path));
        }
    }
}

std::string KXDocxTableArea::description() const {
    return kx::format("<KXDocxTableArea: %p:[minPDFScanIndex:%llu, maxPDFScanIndex:%llu][bounds:[%f, %f, %f, %f]]>",
                      static_cast<const void*>(this), static_cast<unsigned long long>(minPDFScanIndex_),
                      static_cast<unsigned long long>(maxPDFScanIndex_), bounds_.origin.x, bounds_.origin.y,
                      bounds_.size.width, bounds_.size.height);
}

bool KXDocxTableArea::isValidTableLines() const {
    return tableLines_.size() >= 5 && bounds_.width() >= 6 && bounds_.height() >= 6;
}

void KXDocxTableArea::setAllTableLinesInvalid() {
    for (const auto& line : tableLines_) line->setIsInvalid(true);
    for (const auto& line : tableLines_removed_) line->setIsInvalid(true);
    for (const auto& sub : allSubAreaArray_) sub->setAllTableLinesInvalid();
}

void KXDocxTableArea::setAllTableLinesValid() {
    for (const auto& line : tableLines_) line->setIsInvalid(false);
    for (const auto& line : tableLines_removed_) line->setIsInvalid(false);
    for (const auto& sub : allSubAreaArray_) sub->setAllTableLinesValid();
}

bool KXDocxTableArea::addRunText(const std::shared_ptr<KXDocxRunText>& run) {
    if (std::find(allRunTextArray_.begin(), allRunTextArray_.end(), run) != allRunTextArray_.end()) return true;
    allRunTextArray_.push_back(run);
    // The scan range of the texts grows with each new one (only this adds to the array).
    if (allRunTextArray_.size() == 1) {
        minTextPDFScanIndex_ = run->pdfScanIndex();
        maxTextPDFScanIndex_ = scanEnd(*run);
    } else {
        minTextPDFScanIndex_ = std::min(minTextPDFScanIndex_, run->pdfScanIndex());
        maxTextPDFScanIndex_ = std::max(maxTextPDFScanIndex_, scanEnd(*run));
    }
    return true;
}

std::shared_ptr<KXDocxTableArea> KXDocxTableArea::isIntersectAreas(const KXDocxTableAreaArray& areas,
                                                                   double factor) const {
    const kx::Rect grown = bounds_.insetBy(-factor, -factor);
    for (const auto& area : areas)
        if (area->bounds_.intersects(grown)) return area;
    return nullptr;
}

void KXDocxTableArea::caculateIntersectionPoints() {
    intersectPointArray_ = tableLines_.empty() ? KXDocxTablePointArray{}
                                               : KXDocxTableManager::KDFindIntersectionPoints(tableLines_);
    for (const auto& point : intersectPointArray_)
        point->setTableLines(KXDocxTableManager::FindInterTableLines(tableLines_, point->point()));
}

bool KXDocxTableArea::isGraphChart() const {
    for (const auto& path : allRunPathArray_excluded_) {
        if (!path->isHaveCurve() && path->runLineType() != KXDocxRunPath::kLineTypeOther) continue;
        if (path->boundingBox().contains(bounds_)) continue;
        const kx::Rect i = path->boundingBox().intersection(bounds_);
        if (i.isNull()) continue;
        if (i.width() > kChartReach * bounds_.width() || i.height() > kChartReach * bounds_.height()) return true;
    }
    KXDocxTableLineArray strokedH, strokedV, filledH, filledV;
    for (const auto& line : tableLines_) {
        if (!(line->lineLength() > static_cast<double>(kChartLine))) continue;
        if (line->isStroked()) (line->isHorizontalLine() ? strokedH : strokedV).push_back(line);
        if (line->isFilled()) (line->isHorizontalLine() ? filledH : filledV).push_back(line);
    }
    const long filledPaths = std::count_if(allRunPathArray_excluded_.begin(), allRunPathArray_excluded_.end(),
                                           [](const auto& p) { return p->pictInfo() && p->pictInfo()->filled(); });
    if (filledPaths < 3) return false;
    const long sH = static_cast<long>(strokedH.size()), fH = static_cast<long>(filledH.size());
    const long sV = static_cast<long>(strokedV.size()), fV = static_cast<long>(filledV.size());
    if (sH - fH <= 2 && KXDocxTableLine::IsHaveSameStartLines(filledH)) {
        for (const auto& line : filledH)
            if (line->lineLength() < kChartBarShare * bounds_.width()) return true;
    }
    if (sV - fV > 2) return false;
    if (!KXDocxTableLine::IsHaveSameStartLines(filledV)) return false;
    for (const auto& line : filledV)
        if (line->lineLength() < kChartBarShare * bounds_.height()) return true;
    return false;
}

bool KXDocxTableArea::isValidTableArea() {
    KXDocxTableLineArray shortLines;
    for (const auto& line : tableLines_)
        if (line->lineLength() < static_cast<double>(kShortLine)) shortLines.push_back(line);
    if (shortLines.size() > tableLines_.size() / 2) return false;
    std::erase_if(tableLines_, [&](const auto& line) {
        return std::find(shortLines.begin(), shortLines.end(), line) != shortLines.end();
    });
    tableLines_removed_.insert(tableLines_removed_.end(), shortLines.begin(), shortLines.end());
    if (isGraphChart()) return false;

    // The lines through each point are found only for a grid that can make a table: that search
    // costs points × lines.
    intersectPointArray_ = tableLines_.empty() ? KXDocxTablePointArray{}
                                               : KXDocxTableManager::KDFindIntersectionPoints(tableLines_);
    if (intersectPointArray_.size() < 4) return false;
    if (intersectPointArray_.size() <= 5) return false;  // a single box
    tablePoints_ = SortTablePointsGroup(intersectPointArray_);
    if (!tablePoints_.empty()) {
        const size_t k = tablePoints_.front().size();
        for (const auto& row : tablePoints_)
            if (row.size() != k) return false;
        // Word holds at most 63 columns: a wider grid makes no table, and its lines and texts stay
        // on the page.
        if (k > static_cast<size_t>(KXDocxTable::kMaxColumnCount) + 1) return false;
    }
    for (const auto& point : intersectPointArray_)
        point->setTableLines(KXDocxTableManager::FindInterTableLines(tableLines_, point->point()));

    if (allRunPathArray_.size() == 2) {
        const auto &a = allRunPathArray_[0], &b = allRunPathArray_[1];
        if (a->pictInfo() && b->pictInfo() && a->pictInfo()->filled() && b->pictInfo()->filled()) {
            const kx::Rect &ab = a->boundingBox(), &bb = b->boundingBox();
            if (!ab.intersects(bb)) return false;
            const double d = std::max({a->pictInfo()->strokeweight(), b->pictInfo()->strokeweight(), 3.0});
            const kx::Rect bInset = bb.insetBy(d, d), aInset = ab.insetBy(d, d);
            if (!bInset.isNull() && ab.contains(bInset)) return false;
            if (!aInset.isNull() && bb.contains(aInset)) return false;
        }
    }
    return true;
}

void KXDocxTableArea::foldIn(KXDocxTableArea& sub) {
    sub.setAllTableLinesInvalid();
    for (const auto& path : sub.allRunPathArray_)
        if (std::find(allRunPathArray_.begin(), allRunPathArray_.end(), path) == allRunPathArray_.end())
            allRunPathArray_.push_back(path);
    tableLines_.insert(tableLines_.end(), sub.tableLines_.begin(), sub.tableLines_.end());
    for (const auto& text : sub.allRunTextArray_) addRunText(text);
}

std::shared_ptr<KXDocxTable> KXDocxTableArea::createTable() {
    const std::vector<KXDocxTablePointArray>& G = tablePoints_;
    if (G.size() < 2 || G.front().size() < 2) return nullptr;
    const size_t R = G.size(), K = G.front().size();
    if (K - 1 > static_cast<size_t>(KXDocxTable::kMaxColumnCount)) return nullptr;
    for (const auto& row : G)
        if (row.size() != K) return nullptr;

    auto table = std::make_shared<KXDocxTable>();
    table->setPdfScanIndex(minPDFScanIndex_);
    table->setPdfScanIndex_orignal(minPDFScanIndex_);
    table->setPdfScanLength(1);
    table->setBounds(bounds_);
    table->setMinPDFScanIndex(minPDFScanIndex_);
    table->setMaxPDFScanIndex(maxPDFScanIndex_);
    table->setMinTextPDFScanIndex(minTextPDFScanIndex_);
    table->setMaxTextPDFScanIndex(maxTextPDFScanIndex_);

    // One border per edge of the grid, shared by the cells on either side of it: a cell's right
    // (bottom) border is its neighbour's left (top) one. An edge gives up the lines that the next
    // edge of its kind, to its right (below it), also runs along.
    auto removeShared = [](KXDocxTableBorder& from, const KXDocxTableBorder& other) {
        const KXDocxTableLineArray& theirs = other.tableLines();
        std::erase_if(from.tableLines(),
                      [&](const auto& line) { return std::find(theirs.begin(), theirs.end(), line) != theirs.end(); });
    };
    std::vector<std::shared_ptr<KXDocxTableBorder>> across(R * (K - 1)), down((R - 1) * K);
    auto acrossAt = [&](size_t r, size_t c) -> std::shared_ptr<KXDocxTableBorder>& { return across[r * (K - 1) + c]; };
    auto downAt = [&](size_t r, size_t c) -> std::shared_ptr<KXDocxTableBorder>& { return down[r * K + c]; };
    for (size_t r = 0; r < R; ++r)
        for (size_t c = 0; c + 1 < K; ++c) acrossAt(r, c) = std::make_shared<KXDocxTableBorder>(G[r][c], G[r][c + 1], true);
    for (size_t r = 0; r + 1 < R; ++r)
        for (size_t c = 0; c < K; ++c) downAt(r, c) = std::make_shared<KXDocxTableBorder>(G[r][c], G[r + 1][c], false);
    // From the top (left): the next edge still holds all its lines when this one gives them up.
    for (size_t r = 0; r + 1 < R; ++r)
        for (size_t c = 0; c + 1 < K; ++c) removeShared(*acrossAt(r, c), *acrossAt(r + 1, c));
    for (size_t r = 0; r + 1 < R; ++r)
        for (size_t c = 0; c + 1 < K; ++c) removeShared(*downAt(r, c), *downAt(r, c + 1));
    KXDocxTableBorder::PieceIndex pieces;
    for (const auto& border : across) border->initProcessTableLines(&pieces);
    for (const auto& border : down) border->initProcessTableLines(&pieces);

    KXDocxTableCellArray allCells;
    for (size_t r = 0; r + 1 < R; ++r) {
        auto row = std::make_shared<KXDocxTableRow>(G[r][0], G[r][K - 1], G[r + 1][0], G[r + 1][K - 1]);
        row->setRowIndex(static_cast<std::int64_t>(table->tableRowArray().size()));
        row->setSuperTable(table.get());
        for (size_t c = 0; c + 1 < K; ++c) {
            auto cell = std::make_shared<KXDocxTableCell>(G[r][c], G[r][c + 1], G[r + 1][c], G[r + 1][c + 1],
                                                          acrossAt(r, c), acrossAt(r + 1, c), downAt(r, c),
                                                          downAt(r, c + 1));
            cell->setSuperTableRow(row.get());
            cell->setRowRange({static_cast<std::uint64_t>(row->rowIndex()), 1});
            cell->setColumnRange({c, 1});
            row->tableCellArray().push_back(cell);
            allCells.push_back(cell);
        }
        table->tableRowArray().push_back(row);
    }
    const KXDocxTableRowArray& rows = table->tableRowArray();

    // Nested tables. A sub-area is validated first; one that is no table, or makes none with a row,
    // gives its lines, paths and texts back to this area.
    for (const auto& sub : allSubAreaArray_) {
        std::shared_ptr<KXDocxTable> nested = sub->isValidTableArea() ? sub->createTable() : nullptr;
        if (!nested || !nested->isWritable()) {
            foldIn(*sub);
            continue;
        }
        nested->setSuperTable(table.get());
        table->allSubTableArray().push_back(nested);
        const kx::Point corner{nested->bounds().origin.x + kNestedCorner, nested->bounds().origin.y + kNestedCorner};
        for (const auto& cell : allCells)
            if (cell->bounds().contains(corner)) cell->allSubTableArray().push_back(nested);
    }

    // Texts. A text goes to the cell holding more than half of it; one lying across cells with none
    // holding half goes to the cell it overlaps most; one on no cell stays on the page.
    // The rows a text may overlap are found by their tops, which grow down the table.
    std::vector<double> rowTops;
    for (const auto& row : rows) rowTops.push_back(row->bounds().minY());
    auto cellsNear = [&](const kx::Rect& d) {
        KXDocxTableCellArray near;
        size_t r = static_cast<size_t>(std::upper_bound(rowTops.begin(), rowTops.end(), d.minY()) - rowTops.begin());
        r = r > 0 ? r - 1 : 0;
        for (; r < rows.size() && rowTops[r] <= d.maxY(); ++r)
            near.insert(near.end(), rows[r]->tableCellArray().begin(), rows[r]->tableCellArray().end());
        return near;
    };
    KXDocxRunTextArray kept;
    for (const auto& run : allRunTextArray_) {
        const kx::Rect d = run->displayRect();
        const double half = areaOf(d) * 0.5;
        bool placed = false;
        std::shared_ptr<KXDocxTableCell> most;
        double mostArea = 0;
        const KXDocxTableCellArray near = cellsNear(d.standardized());
        for (const auto& cell : near) {
            const double a = overlapArea(cell->bounds(), d);
            if (a > half && a > 0) {
                cell->addRunTextIfNeed(run);
                placed = true;
            }
            if (a > mostArea) {
                mostArea = a;
                most = cell;
            }
        }
        if (!placed && !most && areaOf(d) == 0) {
            const kx::Point centre{d.midX(), d.midY()};
            for (const auto& cell : near)
                if (cell->bounds().contains(centre)) {
                    most = cell;
                    break;
                }
        }
        if (!placed && most) {
            most->addRunTextIfNeed(run);
            placed = true;
        }
        if (placed) kept.push_back(run);
    }
    table->setAllRunTextArray(std::move(kept));

    for (const auto& path : allRunPathArray_) {
        if (!path->pictInfo() || !path->pictInfo()->filled()) continue;
        const kx::Rect& box = path->boundingBox();
        if (!(box.width() > kShadingPath && box.height() > kShadingPath)) continue;
        for (const auto& cell : allCells) {
            const kx::Rect& b = cell->bounds();
            const kx::Rect inner = b.insetBy(b.width() / 4, b.height() / 4);
            if (!inner.isNull() && box.contains(inner)) cell->addTableShadingRunPathIfNeed(path);
        }
    }
    return table;
}

KXDocxTableAreaArray KXDocxTableArea::FindIntersectTableAreas(const KXDocxTableAreaArray& areas) {
    if (areas.empty()) return {};
    KXDocxTableAreaArray cluster{areas.front()};
    KXDocxTableAreaArray rest(areas.begin() + 1, areas.end());
    while (!rest.empty()) {
        auto it = std::find_if(rest.begin(), rest.end(),
                               [&](const auto& a) { return a->isIntersectAreas(cluster, kClusterDistance) != nullptr; });
        if (it == rest.end()) break;
        cluster.push_back(*it);
        rest.erase(it);
    }
    return cluster;
}

KXDocxTableAreaArray KXDocxTableArea::FindTable(const KXDocxTableArea& area, const KXDocxTableAreaArray& subTables) {
    KXDocxTableAreaArray inside;
    for (const auto& sub : subTables)
        if (area.bounds_.contains(sub->bounds_)) inside.push_back(sub);
    return inside;
}

KXDocxTablePointArray KXDocxTableArea::FindSameXYTablePoints(const KXDocxTablePointArray& points, bool compareY) {
    if (points.size() <= 1) return points;
    const kx::Point first = points.front()->point();
    KXDocxTablePointArray same{points.front()};
    for (size_t i = 1; i < points.size(); ++i) {
        const kx::Point p = points[i]->point();
        const float d = compareY ? static_cast<float>(p.y - first.y) : static_cast<float>(p.x - first.x);
        if (std::fabs(d) < kSameRow) same.push_back(points[i]);
    }
    return same;
}

std::vector<KXDocxTablePointArray> KXDocxTableArea::SortTablePointsGroup(const KXDocxTablePointArray& points) {
    KXDocxTablePointArray sorted = points;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a->point().y < b->point().y; });
    std::vector<KXDocxTablePointArray> rows;
    // Sorted by y, the points within 5.1 below the first remaining one follow it directly.
    size_t start = 0;
    while (start < sorted.size()) {
        const double top = sorted[start]->point().y;
        size_t end = start + 1;
        while (end < sorted.size() && std::fabs(static_cast<float>(sorted[end]->point().y - top)) < kSameRow) ++end;
        KXDocxTablePointArray row(sorted.begin() + static_cast<long>(start), sorted.begin() + static_cast<long>(end));
        std::stable_sort(row.begin(), row.end(), [](const auto& a, const auto& b) { return a->point().x < b->point().x; });
        rows.push_back(std::move(row));
        start = end;
    }
    return rows;
}
