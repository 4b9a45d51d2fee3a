#pragma once
// A painted vector path as a page object. The content interpreter reports each painted path with
// its stroke and fill flags; the exporter makes one path run of it, in display space (points,
// origin at the top left of the page, y downward), with the clip paths in force, the path's points
// and its paint (KXDocxPathInfo). The DOCX page sorts path runs with the text, cleans them up, turns
// some into underlines, highlights or table rules, renders groups of them into pictures and writes
// the rest as VML shapes; the presentation writer draws them as freeform shapes.
//
// What a path run knows of itself:
//   - `runCGPath`, its sub-paths (`subCGPaths`: each closed one, or one that a later move ended),
//     whether it has curves and how many points it has (moves, lines and curve ends; closes not);
//   - `boundingBox`: the path's box, widened to the stroke width across a stroked line so that a
//     line has the thickness it is drawn with;
//   - `runLineType`, from its point list: 1 a horizontal line, 2 a vertical line, 3 an axis-aligned
//     rectangle whose larger side is below 8.1 (a small box), 4 a larger one, 0 anything else;
//   - `displayRect`: the frame of its paint record, which the page layout uses.
//
// The class operations that work on a page's path runs are grouped by what they are for:
//   KXDocxRunPath_CleanUp.cpp      backgrounds, duplicates, specks, and pieces merged into lines
//                                  and rectangles;
//   KXDocxRunPath_Borders.cpp      which table border style the runs along a ruling line draw;
//   KXDocxRunPath_Rasterising.cpp  a group of runs drawn into a PNG picture;
//   KXDocxRunPath_Writing.cpp      a run written as a VML shape.
// A run's "paint colour" is its stroke colour when stroked, else its fill colour when filled, else
// opaque black. Colours compare equal within 2 a channel (KXDocxColorIsEqual).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "docx/model/KXCGPath.h"
#include "docx/model/KXDocxPathInfo.h"
#include "docx/model/KXDocxRunPict.h"
#include "pdf/state/ClipPathChain.h"
#include "pdf/state/KXPDFClipPath.h"
#include "platform/Geometry.h"
#include "platform/Path.h"

namespace kx {
class BitmapContext;
}

class KXDocxRunPath;
using KXDocxRunPathArray = std::vector<std::shared_ptr<KXDocxRunPath>>;
using KXDocxClipPathArray = kx::ClipPathChain;

class KXDocxRunPath : public KXDocxRunPict {
public:
    enum : int {
        kLineTypeOther = 0,
        kLineTypeHorizontal = 1,
        kLineTypeVertical = 2,
        kLineTypeSmallRect = 3,
        kLineTypeRect = 4,
    };

    // No paint record, an empty path, a zero box, type 0.
    KXDocxRunPath() = default;
    ~KXDocxRunPath() override = default;

    // A run of its own: path, sub-paths, clip list, points and paint record are all the copy's.
    std::shared_ptr<KXDocxRun> copy() const override;
    std::shared_ptr<KXDocxRunPath> copyRunPath() const;
    std::string description() const;

    // ---- The run ----

    // The paint record; null until one is set.
    const KXDocxPathInfo* pictInfo() const { return pictInfo_ ? &*pictInfo_ : nullptr; }
    // Changes in place; call updateBoundingBox after changing the stroke.
    KXDocxPathInfo* pictInfo() { return pictInfo_ ? &*pictInfo_ : nullptr; }
    // Keeps the record and works the box out again.
    void setPictInfo(const KXDocxPathInfo& info);
    // The paint record's frame; the zero rectangle without one.
    kx::Rect displayRect() const override;

    const kx::Path& runCGPath() const { return runCGPath_; }
    // Keeps the path, works the box out again and splits the path into sub-paths.
    void setRunCGPath(const kx::Path& path);
    const KXDocxClipPathArray& clipBezierPaths() const { return clipBezierPaths_; }
    void setClipBezierPaths(KXDocxClipPathArray paths) { clipBezierPaths_ = std::move(paths); }
    const kx::Rect& boundingBox() const { return boundingBox_; }
    void setBoundingBox(const kx::Rect& box) { boundingBox_ = box; }
    // The path's box; for a stroked run, a side thinner than 0.01 grows by half the stroke width on
    // both of its edges. The zero rectangle for an empty path.
    void updateBoundingBox();

    int runLineType() const { return runLineType_; }
    void setRunLineType(int type) { runLineType_ = type; }
    const std::optional<std::vector<kx::Point>>& runLinePointArray() const { return runLinePointArray_; }
    // Keeps the points and classifies the run by them (none, or the wrong count, gives type 0).
    void setRunLinePointArray(std::optional<std::vector<kx::Point>> points);
    bool isHaveCurve() const { return isHaveCurve_; }
    void setIsHaveCurve(bool value) { isHaveCurve_ = value; }
    std::int64_t pathPointCount() const { return pathPointCount_; }
    void setPathPointCount(std::int64_t count) { pathPointCount_ = count; }
    // The sub-paths, made from the path when asked: a run keeps only its path, since a CAD layer
    // of 200,000 lines is as many sub-paths, and each held apart took five times what its two
    // elements take in the path.
    std::vector<std::shared_ptr<KXCGPath>> subCGPaths() const;
    // The open sub-path at the end of the path, which no close or move has recorded.
    std::optional<kx::Path> tempCGPath() const;

    // Set by the table finder when it takes the run as a ruling line, and its walk over the path.
    bool isTableLine() const { return isTableLine_; }
    void setIsTableLine(bool value) { isTableLine_ = value; }
    bool pathApplyFunction_isMoveToPoint() const { return pathApplyFunction_isMoveToPoint_; }
    void setPathApplyFunction_isMoveToPoint(bool value) { pathApplyFunction_isMoveToPoint_ = value; }
    kx::Point pathApplyFunction_LastPoint() const { return pathApplyFunction_LastPoint_; }
    void setPathApplyFunction_LastPoint(kx::Point point) { pathApplyFunction_LastPoint_ = point; }

    // ---- Comparisons ----

    // Both filled or both not, both stroked or both not, and when stroked the same width exactly
    // and equal stroke colours: the two draw the same table border.
    bool isBorderEqualToPath(const KXDocxRunPath& other) const;
    // False when the run is filled in another colour, or stroked in another colour.
    bool IsEqualColor(const KXDocx_Color& color) const;
    // The first of the runs painted before this one (smaller reading index) whose box meets this
    // run's box in more than 1 by 1; null when there is none.
    std::shared_ptr<KXDocxRunPath> hideRunPaths(const KXDocxRunPathArray& runs) const;
    // How much of the rectangle the sub-paths' boxes cover (the whole path's box when it has no
    // sub-path), counting only overlaps of more than 1 by 1.
    double areaIntersectionRect(const kx::Rect& rect) const;
    // A stroked rectangle (type 4) that none of the runs touches (within 1.1), other than the runs
    // lying inside it.
    bool isAloneRectWithRunPaths(const KXDocxRunPathArray& runs) const;
    // Two pieces of one rectangle: of the same colour (fill colour first), one box inside the other
    // grown by a tolerance, or the two boxes together filling their union (then `isExtend` becomes
    // true). `isExtend` is left as it is when one box holds the other.
    bool isRectOverlapRunPath(const KXDocxRunPath* other, bool& isExtend) const;
    // Two pieces of one line: of the same paint colour, one box holding the other, or end to end
    // along one direction with the same thickness.
    bool isLineExtentsRunPath(const KXDocxRunPath* other) const;

    // ---- Clean-up of a page's runs (KXDocxRunPath_CleanUp.cpp) ----
    // Each takes the runs and returns a new array; the runs are shared, and the merges change the
    // surviving run of each merged group in place.

    // The filled rectangle (type 4) of largest area, stroked only in its own fill colour, when the
    // page has two runs or more: the page's background.
    static std::shared_ptr<KXDocxRunPath> FindBigRectangeRunPath(const KXDocxRunPathArray& runs);
    // The runs that repeat a background without showing anything: of the background rectangle's
    // colour (white without one, or with a white one) and inside it, painted after it, and not
    // covering anything painted before them.
    static KXDocxRunPathArray FindDuplicateRunPath(const std::shared_ptr<KXDocxRunPath>& rectangle,
                                                   const KXDocxRunPathArray& runs);
    // The runs whose frame is smaller than the size both ways (each side of it at least 0.01), or
    // without extent one way.
    static KXDocxRunPathArray FindSmallShapes(const KXDocxRunPathArray& runs, kx::Size maxSize);
    // Check boxes and similar marks: frames whose longer side is below 8.1 and shorter one above
    // 4.05, or whose longer side is from 8.1 to below 15.1 and shorter one above 8.1.
    static KXDocxRunPathArray FindSmallRects(const KXDocxRunPathArray& runs);
    // The stroked rectangles that touch no other run.
    static KXDocxRunPathArray FindAloneRects(const KXDocxRunPathArray& runs);
    // The runs of annotations, in order.
    static KXDocxRunPathArray FindAnnotionlPaths(const KXDocxRunPathArray& runs);
    // Sorts the runs by reading order; the line pieces (types 1, 2, 3) that continue each other
    // become one line; the result in reading order.
    static KXDocxRunPathArray MergeOverlapLinesIfNeed(KXDocxRunPathArray& runs);
    // Shapes thin one way become lines through their middle, as thick as they are.
    static KXDocxRunPathArray ConvertRect2LineIfNeed(const KXDocxRunPathArray& runs);
    // Filled rectangles of one colour that together make a rectangle become one; the result in
    // reading order.
    static KXDocxRunPathArray MergeOverlapRectangesIfNeed(const KXDocxRunPathArray& runs);
    // The first run and the line pieces that continue it.
    static KXDocxRunPathArray FindOverlapLineRunPaths(const KXDocxRunPathArray& runs);
    // The first line (not small box) of the group, rebuilt as one stroked line over the group's
    // union; null when the group has no line.
    static std::shared_ptr<KXDocxRunPath> CreateWithOverlapLines(const KXDocxRunPathArray& group);
    // The first run and the rectangle pieces that make one rectangle with it without painting
    // over something painted in between.
    static KXDocxRunPathArray FindOverlapRectangeRunPaths(const KXDocxRunPathArray& runs);
    // The group's last painted run, rebuilt as one filled rectangle over the group's union; null
    // for no runs.
    static std::shared_ptr<KXDocxRunPath> CreateWithOverlapRects(const KXDocxRunPathArray& group);
    // The run of largest box area, the first of equals; null for no runs.
    static std::shared_ptr<KXDocxRunPath> FindMaxAreaOverlapRectanges(const KXDocxRunPathArray& group);
    // Whether a run of the group painted at or after `minPDFScanIndex` covers one of the other runs
    // painted from then on.
    static bool IsRunPaths(const KXDocxRunPathArray& group, std::uint64_t minPDFScanIndex,
                           const KXDocxRunPathArray& hideRunPaths);

    // ---- Table border styles (KXDocxRunPath_Borders.cpp) ----
    // A border style is an index into the border-style names: 1 "nil", 2 "single", 15 "double",
    // 16 "doubleWave", 17 to 19 the thick-thin pairs (large, medium, small gap), 23 "triple",
    // 24 to 26 the thin-thick-thin triples. Below 2 the runs draw no border. The ruling line is
    // given by its two end points and the colour behind it; `grapDistance` receives the gap between
    // the strokes where a gap style is chosen.

    // The style this run alone draws along the ruling line.
    int borderStyleForLinePoint1(kx::Point linePoint1, kx::Point point2, const KXDocx_Color& backgroundColor) const;
    static int RunPath(const KXDocxRunPath& run, kx::Point linePoint1, kx::Point point2,
                       const KXDocx_Color& backgroundColor);
    // The runs that draw a border of their own, in order.
    static KXDocxRunPathArray FilterStrokePaths(const KXDocxRunPathArray& runs, kx::Point linePoint1, kx::Point point2,
                                                const KXDocx_Color& backgroundColor);
    // Whether a thin run lies at the place (across its thin direction, within 1) of one of the runs.
    static bool IsHaveSameXYPath(const KXDocxRunPath& run, const KXDocxRunPathArray& runs);
    // One run for each parallel place.
    static KXDocxRunPathArray FilterParallelPaths(const KXDocxRunPathArray& runs);
    // The runs that draw the ruling line: FilterParallelPaths of FilterStrokePaths.
    static KXDocxRunPathArray FindBorderRunPathArray(const KXDocxRunPathArray& runs, kx::Point linePoint1,
                                                     kx::Point point2, const KXDocx_Color& backgroundColor);
    // The widest stroke of the runs (the first run's width when none is wider); 0 for no runs.
    static double MaxBorderWidthForRunPaths(const KXDocxRunPathArray& runs);
    // Two rules `distance` apart drawn `maxWeight` wide: one line when they touch, else a thick-thin
    // pair whose gap says which.
    static int BorderStyleFor2TableLineDistance(double distance, double maxWeight, double* grapDistance);
    static int BorderStyleFor2RunPaths(const KXDocxRunPathArray& runs, kx::Point linePoint1, kx::Point point2,
                                       const KXDocx_Color& backgroundColor, double* grapDistance,
                                       double tableLineDistance);
    static int BorderStyleFor3RunPaths(const KXDocxRunPathArray& runs, kx::Point linePoint1, kx::Point point2,
                                       const KXDocx_Color& backgroundColor, double* grapDistance);
    // None: 1; one: its own; two or three: the rules above; more: 23.
    static int BorderStyleForRunPaths(const KXDocxRunPathArray& runs, kx::Point linePoint1, kx::Point point2,
                                      const KXDocx_Color& backgroundColor, double* grapDistance);

    // ---- Rasterising (KXDocxRunPath_Rasterising.cpp) ----

    // Draws the run (already in display space) into the context, clipped by its clip paths (taken
    // into display space by `pageTransform`) when asked; false without a context or a path.
    bool drawInContext(kx::BitmapContext* context, const kx::AffineTransform& pageTransform, bool needClip) const;
    // The runs drawn at `imageDPI` and written as a PNG picture; its path, or none when there is
    // nothing to draw, the picture would be too large, or it could not be written. With `needClip`
    // only the runs' common box is drawn and `clipRect` receives it (display space); without, the
    // whole `contextSize` is drawn and `clipRect` is left alone.
    static std::optional<std::string> CreateImageFromRunPaths(const KXDocxRunPathArray& runs, kx::Size contextSize,
                                                              const kx::AffineTransform& pageTransform, int imageDPI,
                                                              bool needClip, kx::Rect* clipRect);
    // Whether the runs are dense enough to be worth a picture: more points than the longer side of
    // their common box / 8.1 + 6.
    static bool IsVaildImageRunPaths(const KXDocxRunPathArray& runs);
    // Whether this run meets the group's common box, or meets one of the group's runs once its own
    // box is inset by `insertSize` (a negative size grows it); overlaps count above 1 by 1.
    bool isIntersectRunPaths(const KXDocxRunPathArray& group, kx::Size insertSize) const;
    // The union of the runs' boxes; the zero rectangle for no runs.
    static kx::Rect BoundsOfRunPaths(const KXDocxRunPathArray& runs);
    // The runs' points in all.
    static std::int64_t CountOfPoints(const KXDocxRunPathArray& runs);

    // ---- Writing (KXDocxRunPath_Writing.cpp) ----

    // A w:r with the run properties and a w:pict holding the VML shape. Thin filled bars are
    // written as stroked lines, and the record changes with them.
    void writeWithXMLWriter(XMLFileWriter& writer) override;
    void _writePath2006(XMLFileWriter& writer);
    void _writePath2010(XMLFileWriter& writer) { _writePath2006(writer); }
    // The VML path text of a path in twentieths of a point: "m", "l", "c" and "x" commands, then "e".
    static std::string VMLPathString(const kx::Path& path);

protected:
    KXDocxRunPath(const KXDocxRunPath&) = default;
    KXDocxRunPath& operator=(const KXDocxRunPath&) = default;

private:
    // The record to read: the paint record, or an unpainted one.
    const KXDocxPathInfo& info() const;

    // Calls `f` with each sub-path of the path (each closed one, or one that a later move ended),
    // built in turn in one path; answers the open sub-path at the end, if any.
    template <class F>
    std::optional<kx::Path> forEachSubPath(F&& f) const;

    std::optional<KXDocxPathInfo> pictInfo_;
    kx::Rect boundingBox_;
    kx::Path runCGPath_;
    KXDocxClipPathArray clipBezierPaths_;
    bool isHaveCurve_ = false;
    std::int64_t pathPointCount_ = 0;
    int runLineType_ = kLineTypeOther;
    std::optional<std::vector<kx::Point>> runLinePointArray_;
    bool isTableLine_ = false;
    bool pathApplyFunction_isMoveToPoint_ = false;
    kx::Point pathApplyFunction_LastPoint_;
};
