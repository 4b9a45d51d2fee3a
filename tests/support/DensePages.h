#pragma once
// Dense letter pages written the way chart, map and CAD producers write them: thousands of small
// marks, each painted under the page's clip or in its own `q <plot area> re W n ... Q`. Each page
// comes with the centres of its marks, so that a rendering of the output can be checked mark by mark.

#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace kx::test {

struct DensePage {
    std::string pdf;               // the whole document: one letter page
    std::vector<kx::Point> marks;  // mark centres in PDF user space (points, origin bottom-left)
};

// The plot (and map) area of every dense page: 50, 80, 512 x 632 points.
kx::Rect densePlotArea();

// `count` 2-point squares in four colours, all under one page clip (`0 0 612 792 re W n`), or each in
// its own `q <plot area> re W n ... Q`.
DensePage denseScatter(int count, bool eachClipped);
// `count` polygons of 10 to 30 vertices, filled and stroked, each in its own
// `q <map area> re W n ... B Q`, or all under one clip of the map area.
DensePage denseMap(int count, bool eachClipped = true);
// A line chart: 20 series of `count` short segments in all, each stroked in its own
// `q <plot area> re W n ... S Q`.
DensePage denseChart(int count);
// One stroked line through `count` points across the plot, each at a random height over most of it
// (a waveform, a sensor log); every point is a mark.
DensePage denseLine(int count);

}  // namespace kx::test
