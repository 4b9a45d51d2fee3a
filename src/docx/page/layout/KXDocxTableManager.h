#pragma once
// The table finder of the DOCX page pipeline. The page hands it its painted paths once per page; the
// finder keeps the straight ones, cuts them into table lines, recognises a frame drawn round the whole
// page (a page border, or dropped), groups the other lines into table areas and returns them ordered
// and nested. After the page has built its tables, the paths that went into no table are released to
// the page again. Its class operations give the table areas, cell edges and path runs their
// geometry: the lines through a point, the lines under a cell edge, and where lines cross.
//
// One finder for the process, used from the conversion thread only; its per-page state lives from
// begainPage to endPage. `superPage` names the page in progress while table detection runs, and
// `pageSize` holds that page's size, which the cells take for their own sections.

#include <cstddef>
#include <memory>
#include <optional>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunPath.h"
#include "docx/page/layout/KXDocxTableArea.h"
#include "docx/page/layout/KXDocxTableLine.h"
#include "docx/page/layout/KXDocxTablePoint.h"

class KXDocxPage;

class KXDocxTableManager {
public:
    // A page whose candidate paths cut into more lines than this is not searched for tables: the
    // grouping compares lines with lines.
    static constexpr std::size_t kMaxTableLines = 12000;

    static KXDocxTableManager& sharedInstance();

    // Empties the candidates and lines and forgets any page border.
    void begainPage();
    void endPage() { begainPage(); }
    // Takes a path made only of straight horizontal and vertical pieces (no curve, stroke width at
    // most 6.25) as a candidate, marking it a table line; false for a path refused at once.
    bool addRunPathIfNeed(const std::shared_ptr<KXDocxRunPath>& path);
    // The lines cut from the candidates, path by path; a candidate that gives none is unmarked.
    KXDocxTableLineArray creatTableLines();
    // The table areas of the page: the lines cut, a page frame taken out (and recorded as a page
    // border when it is one), the rest grouped into areas, nested, smallest first. None with fewer
    // than 3 lines left.
    std::optional<KXDocxTableAreaArray> createAllTableAreas();
    // Unmarks the candidates that only lines of invalid areas use.
    void clearTableLineInvalidRunPaths();

    // The lines on which the point lies (or on their extension, at most 15.1 beyond an end).
    static KXDocxTableLineArray FindInterTableLines(const KXDocxTableLineArray& lines, kx::Point point);
    // The overlap of two parallel segments lying within 15.1 of each other; else 0.
    static double LineStartPoint(kx::Point startPoint, kx::Point endPoint, kx::Point point1, kx::Point point2);
    // The lines overlapping the segment between the two points by more than miniLength (at least
    // 2.0), the least overlap first.
    static KXDocxTableLineArray FindTableLines(const KXDocxTableLineArray& lines,
                                               const std::shared_ptr<KXDocxTablePoint>& point1,
                                               const std::shared_ptr<KXDocxTablePoint>& point2, double miniLength);
    // The grid points of the lines: where they cross (lengthened by 15), their ends, and the grid
    // completed; none for no lines.
    static KXDocxTablePointArray KDFindIntersectionPoints(const KXDocxTableLineArray& lines);
    // Whether the paths' boxes (cut to whole points) together fill their union exactly; false for
    // fewer than two paths.
    static bool KDIsCanMergeRects(const KXDocxRunPathArray& paths);

    KXDocxPage* superPage() const { return superPage_; }
    void setSuperPage(KXDocxPage* page) { superPage_ = page; }
    const KXDocx_PgSz& pageSize() const { return pageSize_; }
    void setPageSize(const KXDocx_PgSz& size) { pageSize_ = size; }
    const KXDocxRunPathArray& allSampleRunPaths() const { return allSampleRunPaths_; }
    const KXDocxTableLineArray& allTableLines() const { return allTableLines_; }
    int pgBorders_offsetFrom() const { return pgBorders_offsetFrom_; }
    const KXDocx_Borders& pgBorders() const { return pgBorders_; }

    KXDocxTableManager();

private:
    KXDocxPage* superPage_ = nullptr;
    KXDocx_PgSz pageSize_;
    KXDocxRunPathArray allSampleRunPaths_;
    KXDocxTableLineArray allTableLines_;
    int pgBorders_offsetFrom_ = 0;
    KXDocx_Borders pgBorders_;
};
