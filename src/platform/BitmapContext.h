#pragma once
// A drawing context over an RGBA bitmap (a cairo image surface underneath):
// - user space starts y-up: (0, 0) is the bottom-left pixel corner and one unit is one pixel, so the
//   flips and transform steps written in the engine's algorithms stay literal;
// - transform steps act on points before the existing transform (`concatCTM(t)` maps a point by t,
//   then by the old transform), as the path and geometry types of this layer do;
// - fill and stroke colours are separate, paths are built in user space and consumed by painting
//   and clipping, and `saveGState`/`restoreGState` save transform, clip, colours and line style;
// - images are drawn upright into a rectangle: the top row of the image lands at the rectangle's
//   top edge in user space.
// Images come back as straight (not premultiplied) RGBA8, top row first.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Path.h"

namespace kx {

enum class FillRule { NonZero, EvenOdd };
enum class LineCap { Butt = 0, Round = 1, Square = 2 };
enum class LineJoin { Miter = 0, Round = 1, Bevel = 2 };
enum class ImageInterpolation { None, Default };

// One colour of a gradient at `offset` (0 at the start geometry, 1 at the end).
struct GradientStop {
    double offset = 0;
    Color color;
};

// Simplifies a path given in device space (pixels) to the resolution of the pixels as it is fed,
// and hands the simplified path on to a sink while its edge rows stay within a limit (see
// BitmapContext::addPath): curves are flattened, a run of consecutive points within one column of
// pixels is reduced to its first, lowest, highest and last point, and then the same within one row.
// Rows are counted within the bitmap's `height` rows; the cost is BitmapContext::strokeRows for a
// stroke `strokeWidth` pixels wide, or fillRows for a negative width. What would take the cost past
// `mostRows` is cut off.
class PixelPathSimplifier {
public:
    class Sink {
    public:
        virtual ~Sink() = default;
        virtual void moveTo(Point p) = 0;
        virtual void lineTo(Point p) = 0;
        virtual void close() = 0;
    };
    PixelPathSimplifier(Sink& sink, double height, double strokeWidth, double mostRows);
    ~PixelPathSimplifier();
    PixelPathSimplifier(const PixelPathSimplifier&) = delete;
    PixelPathSimplifier& operator=(const PixelPathSimplifier&) = delete;

    void moveTo(Point p);
    void lineTo(Point p);
    void curveTo(Point c1, Point c2, Point end);
    void close();
    // Hands on what is still held; call once at the end of the path.
    void finish();

    // The edge rows and edges of what was handed on; whether anything was, and whether the path
    // was cut short.
    double spans() const;
    double edges() const;
    bool emitted() const;
    bool cut() const;

private:
    struct Stages;
    std::unique_ptr<Stages> stages_;
    Point current_{}, start_{};
};

class BitmapContext {
public:
    // A transparent bitmap of width x height pixels; nullptr when the size fails
    // `isBitmapSizeAllowed` or the pixels cannot be allocated. An opaque context has no alpha (it
    // starts black and its images are RGB8).
    static std::unique_ptr<BitmapContext> create(std::int64_t width, std::int64_t height, bool opaque = false);
    ~BitmapContext();
    BitmapContext(const BitmapContext&) = delete;
    BitmapContext& operator=(const BitmapContext&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    bool isOpaque() const { return opaque_; }

    // Graphics state.
    void saveGState();
    void restoreGState();

    // Current transform: user space to the y-up pixel space of the bitmap.
    AffineTransform ctm() const;
    void concatCTM(const AffineTransform& t);
    void translateCTM(double tx, double ty);
    void scaleCTM(double sx, double sy);
    void rotateCTM(double angle);

    void setFillColor(const Color& c);
    void setStrokeColor(const Color& c);
    // A constant opacity applied to every later drawing operation (0 to 1).
    void setAlpha(double alpha);
    // A width of 0 or less strokes the thinnest line the bitmap shows (one pixel).
    void setLineWidth(double w);
    void setLineCap(LineCap cap);
    void setLineJoin(LineJoin join);
    void setMiterLimit(double limit);
    // Dash lengths in user space; an empty list (or one of only zeros) strokes solid lines.
    void setLineDash(double phase, const std::vector<double>& lengths);
    void setShouldAntialias(bool on);
    void setImageInterpolation(ImageInterpolation q);

    // The current path, in user space.
    void beginPath();
    void addPath(const Path& path);
    void addRect(const Rect& r);
    bool isPathEmpty() const;

    // The rows of pixels that the edges of the paths painted into one bitmap may cross, in all:
    // scan converting a path costs a step for every row of the bitmap an edge crosses (rows beyond
    // it cost nothing), and many times more where edges cross each other: a path of a few hundred
    // thousand segments crossing each other over the page costs minutes however small its file.
    // The budget grows with the bitmap's pixels, since the same drawing crosses more rows at a
    // higher resolution: kEdgeRowsPerPixel rows for each pixel, and never fewer than
    // kLeastEdgeRows. The densest real drawings (a map of 30,000 polygons, a scatter plot of
    // 100,000 markers, a sensor log of 50,000 points drawn at the bitmap's resolution) take a
    // few rows per pixel at most.
    static constexpr double kLeastEdgeRows = 16.0 * 1024 * 1024;
    static constexpr double kEdgeRowsPerPixel = 8;
    static double edgeRowBudget(std::int64_t width, std::int64_t height) {
        const double rows = kEdgeRowsPerPixel * static_cast<double>(width) * static_cast<double>(height);
        return rows > kLeastEdgeRows ? rows : kLeastEdgeRows;
    }
    // The most one path may take as it is given: where its edges cross each other, each row costs
    // many times more (a line of 50,000 points over a page at 600 dpi, 140M rows, took minutes).
    // A path beyond it is simplified to the pixels (see addPath); when that still leaves more than
    // kSimplifiedEdgesPerPixel edges for each pixel of the bitmap's width and height (points that
    // no pixel shares, as only crafted paths hold), it is cut at kMostPathRows.
    static constexpr double kMostPathRows = kLeastEdgeRows;
    static constexpr double kSimplifiedEdgesPerPixel = 8;
    // The rows of scan conversion of a path whose `edges` edges cross `spans` rows of pixels:
    // filled, or stroked `width` pixels wide (the outline follows each edge on both sides and goes
    // round its ends). Counted against the budget.
    static double fillRows(double spans, double edges) { return spans + edges; }
    static double strokeRows(double spans, double edges, double width) { return 2 * (spans + edges * (width + 1)); }
    // The budget of this bitmap, and what its paints have taken of it so far.
    double edgeRowsBudget() const;
    double edgeRowsSpent() const;

    // A path added that would take the bitmap past its budget or past kMostPathRows (stroked with
    // the line width in force) is added simplified to the bitmap's pixels (PixelPathSimplifier),
    // so that a line of a hundred thousand points over a few hundred pixels stays the band it
    // shows; such a path is stroked a few hundred edges at a time. What still does not fit is cut
    // off where the budget ends, and left out ("parts of paths past the drawing budget of a
    // picture"). Painting consumes the current path; false when it was not painted: past the budget
    // ("paths past the drawing budget of a picture"), or nothing to paint.
    bool fillPath(FillRule rule = FillRule::NonZero);
    bool strokePath();
    void fillAndStrokePath(FillRule rule = FillRule::NonZero);
    void fillRect(const Rect& r);
    // Makes the pixels of the rectangle fully transparent (black in an opaque bitmap).
    void clearRect(const Rect& r);

    // Clipping intersects the clip with the current path (and consumes it). A rectangle upright in
    // the bitmap is a box for the paints under it, which costs them nothing. Another path is scan
    // converted once, into a mask of coverage over its box that the paints under it go through,
    // and taken from the budget once; past the budget it lets nothing through ("clips past the
    // drawing budget of a picture"). While masks of clips already hold kMostClipMaskBytes, a
    // further clip path is left to the drawing library, which works through it again for every
    // paint: each paint under it is then charged the clip's rows as well.
    static constexpr std::int64_t kMostClipMaskBytes = 64 * 1024 * 1024;
    void clip(FillRule rule = FillRule::NonZero);
    void clipToRect(const Rect& r);
    // Intersects the clip with a mask stretched over `rect` (user space, drawn like an image): the
    // gray level of a gray image, or the alpha of an image with alpha, is the coverage; a colour
    // image without alpha covers by its luminance. The clip's bounding box shrinks to the pixels
    // the mask covers.
    void clipToMask(const Image& mask, const Rect& rect);
    // The smallest user-space rectangle holding everything the clip lets through; the null
    // rectangle when nothing can be painted.
    Rect clipBoundingBox() const;

    // Gradients fill the whole clip. Axial: along start → end, constant across. Radial: the
    // circles interpolated between (c0, r0) and (c1, r1). Extending a side continues its end colour
    // beyond it; an unextended side paints nothing there.
    void drawLinearGradient(const std::vector<GradientStop>& stops, Point start, Point end, bool extendStart,
                            bool extendEnd);
    void drawRadialGradient(const std::vector<GradientStop>& stops, Point c0, double r0, Point c1, double r1,
                            bool extendStart, bool extendEnd);

    // Images.
    void drawImage(const Image& image, const Rect& rect);
    // Draws the whole picture as drawImage does, to the same pixels, while converting and painting
    // only the part and the pixels next to it that the filter reaches.
    void drawImage(const PlacedImage& picture, const Rect& rect);
    // Fills the clip with `tile` stretched over `tileRect` and repeated every tileRect.size across
    // the plane of pattern space; `patternToUser` maps pattern space into user space.
    void drawTiledImage(const Image& tile, const Rect& tileRect, const AffineTransform& patternToUser);
    // The same for a shared image that does not change any more: its conversion for drawing is kept
    // while the image lives, so painting one tile over many paths converts it once.
    void drawTiledImage(const ImageRef& tile, const Rect& tileRect, const AffineTransform& patternToUser);

    // The bitmap as an image (RGBA8 straight alpha, or RGB8 for an opaque context).
    ImageRef makeImage() const;
    // A part of it, in pixels from the top-left corner, clipped to the bitmap; nullptr when
    // nothing remains.
    ImageRef makeImage(int x, int y, int w, int h) const;
    // The same part as a picture of its size held as its painted part: the smallest rectangle that
    // holds every pixel that is not fully transparent, with a transparent pixel's margin where it
    // does not reach the picture's edge (see PlacedImage). The whole picture when the painted part
    // would be most of it or the bitmap is opaque; no image when nothing remains.
    PlacedImage makePlacedImage(int x, int y, int w, int h) const;

private:
    struct Impl;
    // Paints the gradient over the clip; `parameterAt` gives the parameter of a user-space point,
    // or false where nothing is painted.
    template <typename ParameterAt>
    void paintGradient(const std::vector<GradientStop>& stops, bool extendStart, bool extendEnd,
                       ParameterAt parameterAt);
    explicit BitmapContext(std::unique_ptr<Impl> impl, int width, int height, bool opaque);

    std::unique_ptr<Impl> impl_;
    int width_ = 0;
    int height_ = 0;
    bool opaque_ = false;
};

}  // namespace kx
