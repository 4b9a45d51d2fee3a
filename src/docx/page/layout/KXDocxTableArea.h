#pragma once
// One candidate table of a page: a group of ruling lines that touch or cross. It answers in turn:
// are there enough lines to look at (isValidTableLines); is it a table at all and not a chart, a
// single box or a frame (isValidTableArea, which also lays the lines' crossing points into a grid);
// and which table it makes (createTable: rows and cells, with the texts, shading paths and nested
// tables handed to the cells). The page drives it and gives it the page's texts and the other paths
// lying in it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxRunText.h"
#include "docx/page/layout/KXDocxTableLine.h"
#include "docx/page/layout/KXDocxTablePoint.h"
#include "platform/Geometry.h"

class KXDocxTable;
class KXDocxTableArea;
using KXDocxTableAreaArray = std::vector<std::shared_ptr<KXDocxTableArea>>;

class KXDocxTableArea {
public:
    KXDocxTableArea() = default;
    // The area of the lines: their bounds, and the paths they were cut from with their range in the
    // page's reading order.
    explicit KXDocxTableArea(const KXDocxTableLineArray& lines);

    std::string description() const;

    // At least 5 lines, and bounds at least 6 by 6.
    bool isValidTableLines() const;
    // Marks the lines (removed ones included) and those of the sub-areas invalid (valid): their
    // paths go back to the page (stay off it).
    void setAllTableLinesInvalid();
    void setAllTableLinesValid();
    // Adds the run once and widens the texts' range in the reading order; always true.
    bool addRunText(const std::shared_ptr<KXDocxRunText>& run);
    // The first of the areas whose bounds meet this one's grown by `factor`; null when none.
    std::shared_ptr<KXDocxTableArea> isIntersectAreas(const KXDocxTableAreaArray& areas, double factor) const;
    // The crossing points of the lines, each with the lines through it.
    void caculateIntersectionPoints();
    // Bars, axes or plotted shapes: a chart rather than a table.
    bool isGraphChart() const;
    // Whether the area is a table: not too many short lines, not a chart, a grid of more than one
    // box whose rows hold equally many points and no more columns than a table may have, and not
    // two filled shapes one inside the other. Moves the short lines out and lays out the grid.
    bool isValidTableArea();
    // The table of a valid area: a row per pair of grid rows, a cell per grid rectangle, nested
    // tables from the sub-areas, the texts and the shading paths. None without a grid of at least
    // one cell, or with more columns than a table may have.
    std::shared_ptr<KXDocxTable> createTable();

    // The first area and the areas chained to it by meeting (within 5.1); an area inside another
    // (or holding it) is not chained.
    static KXDocxTableAreaArray FindIntersectTableAreas(const KXDocxTableAreaArray& areas);
    // The areas lying inside the area's bounds (an equal one counts), in order.
    static KXDocxTableAreaArray FindTable(const KXDocxTableArea& area, const KXDocxTableAreaArray& subTables);
    // The first point and every later point whose y (x) lies within 5.1 of its y (x).
    static KXDocxTablePointArray FindSameXYTablePoints(const KXDocxTablePointArray& points, bool compareY);
    // The points as a grid: rows from the top, each row from the left.
    static std::vector<KXDocxTablePointArray> SortTablePointsGroup(const KXDocxTablePointArray& points);

    const kx::Rect& bounds() const { return bounds_; }
    void setBounds(const kx::Rect& bounds) { bounds_ = bounds; }
    KXDocxTableAreaArray& allSubAreaArray() { return allSubAreaArray_; }
    const KXDocxTableAreaArray& allSubAreaArray() const { return allSubAreaArray_; }
    KXDocxRunPathArray& allRunPathArray() { return allRunPathArray_; }
    const KXDocxRunPathArray& allRunPathArray() const { return allRunPathArray_; }
    KXDocxRunTextArray& allRunTextArray() { return allRunTextArray_; }
    const KXDocxRunTextArray& allRunTextArray() const { return allRunTextArray_; }
    KXDocxTableLineArray& tableLines() { return tableLines_; }
    const KXDocxTableLineArray& tableLines() const { return tableLines_; }
    const KXDocxTableLineArray& tableLines_removed() const { return tableLines_removed_; }
    const KXDocxTablePointArray& intersectPointArray() const { return intersectPointArray_; }
    KXDocxRunPathArray& allRunPathArray_excluded() { return allRunPathArray_excluded_; }
    const KXDocxRunPathArray& allRunPathArray_excluded() const { return allRunPathArray_excluded_; }
    const std::vector<KXDocxTablePointArray>& tablePoints() const { return tablePoints_; }
    std::uint64_t minPDFScanIndex() const { return minPDFScanIndex_; }
    std::uint64_t maxPDFScanIndex() const { return maxPDFScanIndex_; }
    std::uint64_t minTextPDFScanIndex() const { return minTextPDFScanIndex_; }
    std::uint64_t maxTextPDFScanIndex() const { return maxTextPDFScanIndex_; }

private:
    // The sub-area's lines, paths and texts become the area's own, its lines invalid.
    void foldIn(KXDocxTableArea& sub);

    KXDocxTableAreaArray allSubAreaArray_;
    KXDocxRunPathArray allRunPathArray_;
    KXDocxRunTextArray allRunTextArray_;
    KXDocxTableLineArray tableLines_;
    KXDocxTableLineArray tableLines_removed_;
    KXDocxTablePointArray intersectPointArray_;
    KXDocxRunPathArray allRunPathArray_excluded_;
    std::vector<KXDocxTablePointArray> tablePoints_;
    kx::Rect bounds_;
    std::uint64_t minPDFScanIndex_ = 0;
    std::uint64_t maxPDFScanIndex_ = 0;
    std::uint64_t minTextPDFScanIndex_ = 0;
    std::uint64_t maxTextPDFScanIndex_ = 0;
};
