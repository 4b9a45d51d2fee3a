#pragma once
// When shown text joins the page's last run instead of making a run of its own. Families keep a
// run per shown character: their layouts read single characters (accents over letters, raised
// text by its count of runs, blanks overprinted by text, characters stacked in columns, glyphs of
// two strings drawn over each other). A page of millions of characters (one string of megabytes)
// would then take hundreds of bytes for each of them, so past a budget of runs on a page, text
// that goes on where the page's last run ends, in its style, extends that run.

#include <cmath>
#include <cstddef>

#include "docx/model/KXDocxPropertyRecords.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"

namespace kx {

// Past this many runs on a page, text that continues the page's last run (continuesRun) goes
// into that run. Pages of ordinary size never reach it.
constexpr std::size_t kRunsBeforeExtending = 100'000;

// Where a run's text, or a string about to be shown, stands on its line.
struct RunPlace {
    const KXPDF_CTMInfo& geometry;  // its top, bottom, baseline and size
    double start;                   // where the text begins along the line (display space)
    double width;                   // how far it advances
    const KXDocx_RPr* style;        // the shared style record (records of one style are one object)
    double spaceWidth;              // the width of a blank in its font
    int frame;                      // the reading frame of its baseline, 0 for upright text
};

// Whether `next` goes on where `last` ends: the same style record, space width and reading frame,
// the same top, bottom, baseline and size, starting where `last` ends (within a hundredth of a
// point) and advancing (a width not negative).
inline bool continuesRun(const RunPlace& last, const RunPlace& next) {
    const KXPDF_CTMInfo& h = last.geometry;
    const KXPDF_CTMInfo& g = next.geometry;
    return last.style == next.style && last.spaceWidth == next.spaceWidth && last.frame == next.frame &&
           h.topLeft.y == g.topLeft.y && h.bottomLeft.y == g.bottomLeft.y && h.yTop == g.yTop &&
           h.yBottom == g.yBottom && h.yBase == g.yBase && h.fontSize == g.fontSize &&
           std::fabs(next.start - (last.start + last.width)) < 0.01 && next.width >= 0;
}

}  // namespace kx
