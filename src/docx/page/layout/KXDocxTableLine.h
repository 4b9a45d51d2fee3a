#pragma once
// A ruling line of table detection: one straight horizontal or vertical piece cut from a page's
// painted path, or several such pieces lying side by side merged into one (a double rule, a rule
// drawn in pieces). The table finder cuts the lines, drops a frame drawn round the whole page,
// groups the lines that touch or cross into table areas and merges parallel pieces; cell edges find
// the lines under them and take their border style and colour from the lines' paths.
//
// The operations fall into two files:
//   KXDocxTableLine.cpp          geometry, grouping, merging and the page frame
//   KXDocxTableLine_Styles.cpp   the border style, width and colour a set of lines draws
//
// Page space, points. The extents min_x … max_y are single precision and so are the comparisons
// made with them; the thresholds 0.1, 3.1, 8.1 and 15.1 are single-precision values.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunPath.h"
#include "platform/Color.h"
#include "platform/Geometry.h"

class KXDocxTableLine;
using KXDocxTableLineArray = std::vector<std::shared_ptr<KXDocxTableLine>>;

class KXDocxTableLine {
public:
    // The page frame's four edges, as FindRemoveFrameLinesIfNeed looks for them.
    enum FrameEdge : int { kFrameTop = 1, kFrameLeft = 2, kFrameRight = 3, kFrameBottom = 4 };

    KXDocxTableLine() = default;
    // A line cut from a piece of a path: from start to end, the path its only source, its geometry
    // worked out.
    KXDocxTableLine(kx::Point startPoint, kx::Point endPoint, std::shared_ptr<KXDocxRunPath> initRunPath);

    std::string description() const;

    // ---- The line ----

    // Orientation, length and covered area from the ends: a line whose ends lie less than 2.0 apart
    // in x is vertical. A merged line covers its pieces; a cut line is as thick as its path's stroke
    // (0.1 for a filled path).
    void updateLineInfo();
    // Append what the line does not hold yet.
    void add2SubLineArray(const KXDocxTableLineArray& lines);
    void add2AllRunPathArray(const KXDocxRunPathArray& paths);
    // On the line and on its pieces.
    void setIsInvalid(bool invalid);
    // Shorter than the larger of 2.0 and the threshold (the length worked out first when it is
    // still below 0.1).
    bool isShortLine(double threshold);
    // The source path, or that of a piece, is stroked (filled).
    bool isStroked() const;
    bool isFilled() const;
    // The first of the lines that this one touches or crosses; null when none.
    std::shared_ptr<KXDocxTableLine> isIntersectLines(const KXDocxTableLineArray& lines) const;

    float min_x() const;
    float max_x() const;
    float min_y() const;
    float max_y() const;

    // ---- Sets of lines ----

    // The rectangle of the lines' ends (of the pieces of a merged line). No line: the zero
    // rectangle; one line cut from a path: its path's box moved to the origin.
    static kx::Rect BoundsOfTableLines(const KXDocxTableLineArray& lines);
    // An end within 3.1 of an end of the other, both ways; else the two boxes grown by 3.1 meet.
    static bool IsIntersect(const KXDocxTableLine& line1, const KXDocxTableLine& line2);
    // The first line and every line joined to it through lines that touch, in the order they join
    // (each time the first remaining line that touches the group).
    static KXDocxTableLineArray FindIntersectLines(const KXDocxTableLineArray& lines);
    // The lines sorted from the top, cut into groups of touching lines, each merged; a group of 2
    // lines or fewer is marked invalid and dropped; the others become areas, which gather into
    // clusters of areas lying close together. One line list per cluster.
    static std::vector<KXDocxTableLineArray> FindIntersectLinesGroups(const KXDocxTableLineArray& lines);
    // Parallel lines lying side by side become one line (merged lines are taken apart and merged
    // again): the horizontal results first, then the vertical ones. With isLengthExtend lines need
    // not overlap along their length.
    static KXDocxTableLineArray MergeParallelLinesIfNeed(const KXDocxTableLineArray& lines, bool isLengthExtend);
    // The first line and the lines that merge with it, up to a thickness of 15.1.
    static KXDocxTableLineArray FindMergeParallelLines(const KXDocxTableLineArray& lines, bool isLengthExtend);
    // The first line of `lines` that lies beside a line of the group (gap below 8.1 across, length
    // at least 8.1, same orientation); null when none.
    static std::shared_ptr<KXDocxTableLine> ContinuFindMergeParallelLines(const KXDocxTableLineArray& lines,
                                                                          const KXDocxTableLineArray& resultArray,
                                                                          bool isLengthExtend);
    // One new line over the group: the longest line's ends, widened to the group's extent along the
    // line and moved to its first long piece; the group its pieces.
    static std::shared_ptr<KXDocxTableLine> MergeParallelLines(const KXDocxTableLineArray& group);

    // The frame drawn round all the lines, when there is one: its edges at the top, left, right and
    // bottom in that order. No frame when an edge is missing, the edges' widths disagree, lines
    // inside reach an edge without being closed off, or an inner parallel frame makes it a double
    // border.
    static std::optional<KXDocxTableLineArray> FindRemoveFrameLinesIfNeed(const KXDocxTableLineArray& lines);
    static std::shared_ptr<KXDocxTableLine> FindTableLines(const KXDocxTableLineArray& lines, kx::Point point1,
                                                           kx::Point point2, int type);
    static KXDocxTableLineArray FindNearbyTableLines(const KXDocxTableLineArray& lines,
                                                     const KXDocxTableLine& tableLine, int type);
    static bool IsClosedNearbyTableLines(const KXDocxTableLineArray& lines, const KXDocxTableLine& tableLine,
                                         int type, double* distance);

    // Chart test: the filled lines (pieces) start on one common coordinate.
    static bool IsHaveSameStartLines(const KXDocxTableLineArray& lines);
    // Every line has its start or end x within 0.25 of the value, or every line its start or end y.
    static bool IsHaveSameStartLinesValue(const KXDocxTableLineArray& lines, double value);

    // ---- Border styles (KXDocxTableLine_Styles.cpp) ----
    // A border style is an index into the border-style names: below 2 no border, 2 "single",
    // 15 "double", 23 "triple", …

    // The stroke colour of the first stroked source path.
    std::optional<kx::Color> tableLineColor() const;
    // The style the line's paths draw along the segment.
    int borderStyleForLinePoint1(kx::Point linePoint1, kx::Point point2, const KXDocx_Color& backgroundColor) const;
    // The lines that draw the segment, one per parallel position.
    static KXDocxTableLineArray CreateStyleLineArray(const KXDocxTableLineArray& lines, kx::Point linePoint1,
                                                     kx::Point point2, const KXDocx_Color& backgroundColor);
    static KXDocxTableLineArray FilterStrokeStyleLines(const KXDocxTableLineArray& lines, kx::Point linePoint1,
                                                       kx::Point point2, const KXDocx_Color& backgroundColor);
    static std::shared_ptr<KXDocxTableLine> FindSameParallelStyleLine(const KXDocxTableLine& line,
                                                                      const KXDocxTableLineArray& lines);
    static KXDocxTableLineArray FilterParalleStylelLines(const KXDocxTableLineArray& lines);
    // The border style one, two or three parallel lines draw along the segment (four or more:
    // triple); `grapDistance` receives the gap between strokes where a gap style is chosen.
    static int BorderStyleForTableLines(const KXDocxTableLineArray& lines, kx::Point linePoint1, kx::Point point2,
                                        const KXDocx_Color& backgroundColor, double* grapDistance);

    // ---- Fields ----

    const KXDocxTableLineArray& subLineArray() const { return subLineArray_; }
    const std::shared_ptr<KXDocxRunPath>& initRunPath() const { return initRunPath_; }
    void setInitRunPath(std::shared_ptr<KXDocxRunPath> path) { initRunPath_ = std::move(path); }
    const KXDocxRunPathArray& allRunPathArray() const { return allRunPathArray_; }
    bool isInvalid() const { return isInvalid_; }
    bool isHorizontalLine() const { return isHorizontalLine_; }
    const kx::Point& startPoint() const { return startPoint_; }
    void setStartPoint(kx::Point p) { startPoint_ = p; }
    const kx::Point& endPoint() const { return endPoint_; }
    void setEndPoint(kx::Point p) { endPoint_ = p; }
    double lineLength() const { return lineLength_; }
    const kx::Rect& boundingBox() const { return boundingBox_; }

private:
    KXDocxTableLineArray subLineArray_;
    std::shared_ptr<KXDocxRunPath> initRunPath_;
    KXDocxRunPathArray allRunPathArray_;
    bool isInvalid_ = false;
    bool isHorizontalLine_ = false;
    kx::Point startPoint_;
    kx::Point endPoint_;
    double lineLength_ = 0;
    kx::Rect boundingBox_;
};
