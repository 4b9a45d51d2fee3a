// Crossings of ruling lines: the points a scan reports (crossings, ends, grid completion) and how
// close points merge.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "docx/model/KDScanLine.h"

namespace {

struct Expected {
    int type;
    float x, y;
};

std::string describe(const std::vector<KDScanPoint>& points) {
    std::ostringstream out;
    for (const KDScanPoint& p : points) out << "(" << int(p.type) << " " << p.x << "," << p.y << ") ";
    return out.str();
}

std::vector<KDScanPoint> scan(const std::vector<KDScanSegment>& segments, int tolerance = 15) {
    KDScanLine line(segments, tolerance);
    line.scan();
    return line.intersectionPoints();
}

}  // namespace

TEST(KDScanLine, PointsOfSegments) {
    struct Case {
        const char* what;
        std::vector<KDScanSegment> segments;
        std::vector<Expected> points;  // in the order reported
    };
    const Case cases[] = {
        {"a corner whose lines stop 10 short of each other: the ends within 15 join the crossing",
         {{0, 100, 100, 100}, {110, 0, 110, 90}},
         {{3, 110, 100}, {1, 0, 100}, {1, 110, 0}, {4, 0, 0}}},
        {"lines that do not meet even lengthened give nothing, ends included",
         {{0, 100, 100, 100}, {120, 0, 120, 80}},
         {}},
        {"a cross: its crossing, its four ends and the four corners of the grid",
         {{0, 50, 100, 50}, {50, 0, 50, 100}},
         {{3, 50, 50}, {1, 0, 50}, {1, 100, 50}, {1, 50, 0}, {1, 50, 100},
          {4, 0, 0}, {4, 0, 100}, {4, 100, 0}, {4, 100, 100}}},
        {"two crossings 5 apart are one point, at the first one met",
         {{0, 50, 100, 50}, {50, 0, 50, 100}, {55, 0, 55, 100}},
         {{3, 50, 50}, {1, 0, 50}, {1, 100, 50}, {1, 50, 0}, {1, 50, 100},
          {4, 0, 0}, {4, 0, 100}, {4, 100, 0}, {4, 100, 100}}},
        {"ends 7 apart stay two points; the crossings too",
         {{0, 50, 100, 50}, {50, 0, 50, 100}, {57, 0, 57, 100}},
         {{3, 50, 50}, {3, 57, 50}, {1, 0, 50}, {1, 100, 50}, {1, 50, 0}, {1, 50, 100}, {1, 57, 0}, {1, 57, 100},
          {4, 0, 0}, {4, 0, 100}, {4, 100, 0}, {4, 100, 100}}},
        {"a line drawn a hair off the level reaches only 15 further along itself",
         {{0, 100, 200, 100.5f}, {300, 0, 300, 200}},
         {}},
        {"a box of four lines: four crossings, every end merged into one of them",
         {{10, 10, 90, 10}, {10, 60, 90, 60}, {10, 10, 10, 60}, {90, 10, 90, 60}},
         {{3, 10, 60}, {3, 90, 60}, {3, 10, 10}, {3, 90, 10}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<KDScanPoint> got = scan(c.segments);
        ASSERT_EQ(got.size(), c.points.size()) << describe(got);
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(int(got[i].type), c.points[i].type) << i << ": " << describe(got);
            EXPECT_NEAR(got[i].x, c.points[i].x, 1e-3) << i << ": " << describe(got);
            EXPECT_NEAR(got[i].y, c.points[i].y, 1e-3) << i << ": " << describe(got);
        }
    }
}

TEST(KDScanLine, EdgeInputs) {
    EXPECT_TRUE(scan({}).empty()) << "no segment";
    EXPECT_TRUE(scan({{0, 0, 100, 0}}).empty()) << "one segment crosses nothing";
    // A negative tolerance counts as none: lines 10 apart stay apart instead of aborting.
    EXPECT_TRUE(scan({{0, 100, 100, 100}, {110, 0, 110, 90}}, -5).empty());
    // Without tolerance, lines that touch still cross.
    EXPECT_EQ(scan({{0, 50, 100, 50}, {100, 0, 100, 100}}, 0).front().x, 100.0f);

    // A table of 4 rows and 3 columns drawn with full lines: every crossing once, no hidden point.
    std::vector<KDScanSegment> grid;
    for (int r = 0; r <= 4; ++r) grid.emplace_back(0.f, r * 20.f, 300.f, r * 20.f);
    for (int c = 0; c <= 3; ++c) grid.emplace_back(c * 100.f, 0.f, c * 100.f, 80.f);
    std::vector<KDScanPoint> points = scan(grid);
    EXPECT_EQ(points.size(), 20u) << describe(points);
    EXPECT_TRUE(std::all_of(points.begin(), points.end(), [](const KDScanPoint& p) { return p.type == 3; }))
        << describe(points);
}

TEST(KDScanSegment, LineThroughTheEnds) {
    KDScanSegment level(0, 100, 50, 100);
    EXPECT_EQ(level.a, -1);
    EXPECT_EQ(level.b, -100);
    KDScanSegment vertical(20, 0, 20, 50);
    EXPECT_EQ(vertical.a, 0);
    EXPECT_EQ(vertical.b, 20);
    KDScanSegment slanted(0, 0, 10, 20);  // x = y / 2
    EXPECT_FLOAT_EQ(slanted.a, 0.5f);
    EXPECT_FLOAT_EQ(slanted.b, 0.0f);
    EXPECT_EQ(level.p1.type, 1);
    EXPECT_EQ(level.p2.type, 1);
}
