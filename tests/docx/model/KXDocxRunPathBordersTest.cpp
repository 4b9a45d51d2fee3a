// Table border styles from the path runs along a ruling line: single, double, thick-thin pairs,
// triples, and the runs that draw the line.

#include <gtest/gtest.h>

#include "PathRunFixtures.h"

using namespace kx::test;

namespace {

const KXDocx_Color kWhite{255, 255, 255, 255};
const kx::Point kFrom{0, 100}, kTo{200, 100};

// A horizontal stroke along the ruling line, its middle `offset` below it.
std::shared_ptr<KXDocxRunPath> rule(double offset, double weight, std::uint64_t scan = 0,
                                    kx::Color color = {0, 0, 0, 1}, std::vector<double> dash = {}) {
    Paint p = stroked(weight, color);
    p.dash = std::move(dash);
    return pathRun(linePath(0, 100 + offset, 200, 100 + offset), p, scan);
}

}  // namespace

TEST(KXDocxRunPathBorders, TwoStrokesAlongALine) {
    struct Case {
        const char* name;
        KXDocxRunPathArray runs;
        int style;
        double gap;  // -1: not set
    };
    const Case cases[] = {
        {"equal weights 2.0 apart", {rule(0, 1, 0), rule(2, 1, 1)}, 15, -1},
        {"0.5 and 2.0, gap 2.5", {rule(0, 0.5, 0), rule(2.5 + 1.25, 2, 1)}, 17, 2.5},
        {"0.5 and 2.0, gap 1.0", {rule(0, 0.5, 0), rule(1.0 + 1.25, 2, 1)}, 18, -1},
        {"0.5 and 2.0, gap 0.5", {rule(0, 0.5, 0), rule(0.5 + 1.25, 2, 1)}, 19, -1},
        {"overlapping strokes", {rule(0, 1, 0), rule(0.5, 1, 1)}, 2, -1},
        {"touching strokes", {rule(0, 1, 0), rule(1.1, 1, 1)}, 2, -1},
        {"dashed pair", {rule(0, 1, 0, {0, 0, 0, 1}, {3, 3}), rule(2, 1, 1, {0, 0, 0, 1}, {3, 3})}, 16, -1},
        {"two colours", {rule(0, 1, 0), rule(2, 1, 1, {1, 0, 0, 1})}, 2, -1},
        {"one in the background colour", {rule(0, 1, 0, {1, 1, 1, 1}), rule(2, 1, 1)}, 2, -1},
        {"both in the background colour", {rule(0, 1, 0, {1, 1, 1, 1}), rule(2, 1, 1, {1, 1, 1, 1})}, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double gap = -1;
        EXPECT_EQ(KXDocxRunPath::BorderStyleForRunPaths(c.runs, kFrom, kTo, kWhite, &gap), c.style);
        EXPECT_NEAR(gap, c.gap, 1e-9);
    }
}

TEST(KXDocxRunPathBorders, ThreeStrokesAndOtherCounts) {
    struct Case {
        const char* name;
        KXDocxRunPathArray runs;
        int style;
    };
    const Case cases[] = {
        {"none", {}, 1},
        {"one", {rule(0, 1)}, 2},
        {"three equal, gaps 1.0 and 1.0", {rule(0, 1, 0), rule(2, 1, 1), rule(4, 1, 2)}, 23},
        {"three equal, gaps 1.0 and 0.1", {rule(0, 1, 0), rule(2, 1, 1), rule(3.1, 1, 2)}, 15},
        {"three on one place", {rule(0, 1, 0), rule(0.05, 1, 1), rule(0.1, 1, 2)}, 2},
        {"thin thick thin, wide gaps", {rule(0, 0.5, 0), rule(3.25, 2, 1), rule(6.5, 0.5, 2)}, 24},
        {"thin thick thin, medium gaps", {rule(0, 0.5, 0), rule(2.25, 2, 1), rule(4.5, 0.5, 2)}, 25},
        {"thin thick thin, small gaps", {rule(0, 0.5, 0), rule(1.75, 2, 1), rule(3.5, 0.5, 2)}, 26},
        {"a third of another colour", {rule(0, 1, 0), rule(2, 1, 1), rule(4, 1, 2, {1, 0, 0, 1})}, 15},
        {"a line and two boxes", {rule(0, 1, 0), pathRun(rectPath(0, 99, 200, 30), stroked(1), 1), rule(4, 1, 2)}, 23},
        {"four", {rule(0, 1, 0), rule(2, 1, 1), rule(4, 1, 2), rule(6, 1, 3)}, 23},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double gap = 0;
        EXPECT_EQ(KXDocxRunPath::BorderStyleForRunPaths(c.runs, kFrom, kTo, kWhite, &gap), c.style);
    }
}

TEST(KXDocxRunPathBorders, DistanceBetweenTwoTableLines) {
    struct Case {
        double distance, weight;
        int style;
        double gap;
    };
    const Case cases[] = {{0.1, 1, 2, -1}, {1.0, 1, 17, 1.0}, {0.5, 1, 18, -1}, {0.2, 1, 19, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.distance);
        double gap = -1;
        EXPECT_EQ(KXDocxRunPath::BorderStyleFor2TableLineDistance(c.distance, c.weight, &gap), c.style);
        EXPECT_EQ(gap, c.gap);
    }
    // Unequal strokes that are not lines: the distance between the table lines decides.
    double gap = -1;
    auto a = pathRun(rectPath(0, 99, 200, 2), stroked(0.5), 0), b = pathRun(rectPath(0, 105, 200, 2), stroked(2), 1);
    EXPECT_EQ(KXDocxRunPath::BorderStyleFor2RunPaths({a, b}, kFrom, kTo, kWhite, &gap, 6), 17);
    EXPECT_EQ(gap, 6);
    EXPECT_EQ(KXDocxRunPath::BorderStyleFor2RunPaths({a, b}, kFrom, kTo, kWhite, &gap, 1), 2);
    EXPECT_EQ(gap, 0);
}

TEST(KXDocxRunPathBorders, RunsThatDrawTheLine) {
    auto black = rule(0, 1, 0), sameRow = rule(0.5, 1, 1), white = rule(3, 1, 2, {1, 1, 1, 1}), second = rule(3, 2, 3);
    EXPECT_EQ(KXDocxRunPath::FindBorderRunPathArray({black, sameRow, white, second}, kFrom, kTo, kWhite),
              KXDocxRunPathArray({black, second}));
    EXPECT_TRUE(KXDocxRunPath::FindBorderRunPathArray({}, kFrom, kTo, kWhite).empty());
    EXPECT_DOUBLE_EQ(KXDocxRunPath::MaxBorderWidthForRunPaths({black, second, rule(6, 0.5)}), 2);
    EXPECT_DOUBLE_EQ(KXDocxRunPath::MaxBorderWidthForRunPaths({}), 0);

    // A filled shape of two thin bars is an area by its frame, but its top bar runs along the line.
    kx::Path bars = rectPath(0, 99.5, 200, 1);
    bars.addRect({0, 149.5, 200, 1});
    auto shape = pathRun(bars, filled(), 4);
    EXPECT_EQ(KXDocxPathInfo::BorderStyleForPathInfo(*shape->pictInfo(), kWhite), 1);
    EXPECT_EQ(shape->borderStyleForLinePoint1(kFrom, kTo, kWhite), 2);
    EXPECT_EQ(shape->borderStyleForLinePoint1({0, 125}, {200, 125}, kWhite), 1) << "no bar near this line";
    EXPECT_EQ(shape->borderStyleForLinePoint1({180, 100}, {190, 100}, kWhite), 1) << "overlaps only 10";
}
