#pragma once
// One edge of a table cell, between two grid points: the ruling lines that run along it, and the
// Word border they draw (style, width and colour), judged from the paths that drew them. A cell
// makes its four edges when it is made (gathering the lines through both end points), works out
// their pieces and style lines later (initProcessTableLines), and asks them for their border records
// when it makes its properties.

#include <cstddef>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunPath.h"
#include "docx/page/layout/KXDocxTableLine.h"
#include "docx/page/layout/KXDocxTablePoint.h"
#include "platform/Geometry.h"

class KXDocxTableBorder {
public:
    KXDocxTableBorder() = default;
    // The edge from point1 to point2: the lines of the orientation asked for that run through both
    // points, except those lying 1 pt or more before both points across the edge.
    KXDocxTableBorder(std::shared_ptr<KXDocxTablePoint> point1, std::shared_ptr<KXDocxTablePoint> point2,
                      bool isHorizontal);

    // The pieces of merged lines sorted along their lines, so that an edge finds the few pieces of a
    // long rule that lie along it without measuring every piece of the rule. One index serves the
    // edges of one table, made while its lines stay as they are; it only leaves out pieces that
    // cannot overlap an edge.
    class PieceIndex {
    public:
        // The positions in the line's pieces, ascending, of those of the orientation asked for that
        // may overlap the span [low, high] along it (finite ends).
        void candidates(const KXDocxTableLine& line, bool isHorizontal, double low, double high,
                        std::vector<std::size_t>& out);

    private:
        struct Entry {
            std::vector<std::pair<double, std::size_t>> starts;  // where each piece starts, sorted
            std::vector<std::size_t> always;                     // pieces whose ends are not finite
            double longest = 0;
        };
        std::unordered_map<const KXDocxTableLine*, Entry> entries_[2];
    };

    // The pieces of the lines that overlap the edge, their source paths, and the lines that decide
    // the edge's style (against a white background). With an index, the pieces of a long merged line
    // are looked up in it.
    void initProcessTableLines(PieceIndex* pieces = nullptr);
    // No line under the edge: no border ("nil"). Otherwise a border of the style the style lines
    // draw, in their darkest colour, as wide as their widest stroke of that colour (or, for a
    // thick-thin pair with a gap above 0.25, as wide as the gap).
    KXDocx_Border borderProperty() const;
    // The darkest stroke colour of the style lines; else the fill of a thin filled line (under 6 pt
    // one way); else black.
    KXDocx_Color borderColor() const;
    // The widest stroke among the style lines' paths of that colour.
    double borderWidth(const KXDocx_Color& color) const;

    // The source paths of the lines, each once.
    static KXDocxRunPathArray CreateAllRunPathArray(const KXDocxTableLineArray& lines);
    // The lines (the pieces of merged ones) of the orientation asked for that are not shorter than
    // min(miniLength, 8.1).
    static KXDocxTableLineArray CreateAllChildTableLines(const KXDocxTableLineArray& lines, double miniLength,
                                                        bool isHorizontal);

    bool isHorizontal() const { return isHorizontal_; }
    double borderLength() const { return borderLength_; }
    const std::shared_ptr<KXDocxTablePoint>& borderPoint1() const { return borderPoint1_; }
    const std::shared_ptr<KXDocxTablePoint>& borderPoint2() const { return borderPoint2_; }
    const kx::Rect& bounds() const { return bounds_; }
    KXDocxTableLineArray& tableLines() {
        property_.reset();
        return tableLines_;
    }
    const KXDocxTableLineArray& tableLines() const { return tableLines_; }
    const KXDocxTableLineArray& childLineArray() const { return childLineArray_; }
    const KXDocxTableLineArray& styleLineArray() const { return styleLineArray_; }
    const KXDocxRunPathArray& allRunPaths() const { return allRunPaths_; }

private:
    KXDocx_Border makeBorderProperty() const;

    bool isHorizontal_ = false;
    double borderLength_ = 0;
    std::shared_ptr<KXDocxTablePoint> borderPoint1_;
    std::shared_ptr<KXDocxTablePoint> borderPoint2_;
    kx::Rect bounds_;
    KXDocxTableLineArray tableLines_;
    KXDocxTableLineArray childLineArray_;
    KXDocxTableLineArray styleLineArray_;
    KXDocxRunPathArray allRunPaths_;
    // The border record once worked out: the two cells on either side of an edge both ask for it.
    mutable std::optional<KXDocx_Border> property_;
};
