#pragma once
// When shown text joins the page's last run instead of making a run of its own. Families keep a
// run per shown character: their layouts read single characters (accents over letters, raised
// text by its count of runs, blanks overprinted by text, characters stacked in columns, glyphs of
// two strings drawn over each other). A page of millions of characters (one string of megabytes)
// would then take hundreds of bytes for each of them, so past a budget of runs on a page, text
// that goes on where the page's last run ends, in its style, extends that run.

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "docx/model/KXDocxPropertyRecords.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "platform/Geometry.h"

namespace kx {

// Past this many runs on a page, text that continues the page's last run (continuesRun) goes
// into that run. Pages of ordinary size never reach it.
constexpr std::size_t kRunsBeforeExtending = 100'000;

// Where a run's text, or a string about to be shown, stands on its line.
struct RunPlace {
    const KXPDF_CTMInfo& geometry;  // its size; its baseline starts at (xBase, yBase), its top and
                                    // bottom stand at (xTop, yTop) and (xBottom, yBottom) from there
    double width;                   // how far it advances along x (display space, or its reading frame)
    const KXDocx_RPr* style;        // the shared style record (records of one style are one object)
    double spaceWidth;              // the width of a blank in its font
    int frame;                      // the reading frame of its baseline, 0 for upright text
};

// Whether `next` goes on where `last` ends, `direction` being the way `next`'s baseline runs (of
// any length; in its reading frame it runs along x, give or take a few degrees). It needs the same
// style record, space width, reading frame and size, the same top and bottom about the baseline,
// and a width not negative; then, measured along `direction`, `next` starts where `last` ends
// (within a hundredth of a point), and measured across it, on the line through `last`'s start
// (within a hundredth of the text's height, at most a hundredth of a point). Text drawn at an
// angle thus goes on whether it keeps the page's frame, each string on a baseline of its own, or
// is turned into its reading frame, where its places drift by rounding. As every string that
// joined a run started on the line through the run's start, a run stays one straight line.
inline bool continuesRun(const RunPlace& last, const RunPlace& next, kx::Point direction) {
    const KXPDF_CTMInfo& h = last.geometry;
    const KXPDF_CTMInfo& g = next.geometry;
    if (last.style != next.style || last.spaceWidth != next.spaceWidth || last.frame != next.frame ||
        h.fontSize != g.fontSize || !(next.width >= 0))
        return false;
    const double length = std::hypot(direction.x, direction.y);
    if (!(length > 0) || !std::isfinite(length) || !(direction.x > 0)) return false;
    const double cos = direction.x / length, sin = direction.y / length;
    const double height = std::hypot(g.xTop - g.xBottom, g.yTop - g.yBottom);
    const double tolerance = std::min(0.01, 0.01 * height);
    const auto near = [tolerance](double a, double b) { return std::fabs(a - b) <= tolerance; };
    if (!near(h.xTop - h.xBase, g.xTop - g.xBase) || !near(h.yTop - h.yBase, g.yTop - g.yBase) ||
        !near(h.xBottom - h.xBase, g.xBottom - g.xBase) || !near(h.yBottom - h.yBase, g.yBottom - g.yBase))
        return false;
    // From where `last` starts to where `next` starts; `last` ends `width` on in x, along the line.
    const double dx = g.xBase - h.xBase, dy = g.yBase - h.yBase;
    const double along = dx * cos + dy * sin - last.width / cos;
    const double across = dy * cos - dx * sin;
    return std::fabs(along) < 0.01 && std::fabs(across) <= tolerance;
}

}  // namespace kx
