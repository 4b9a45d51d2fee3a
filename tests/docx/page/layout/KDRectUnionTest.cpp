// The rectangle-union test: rectangles that fill their bounding rectangle exactly, and the ways they
// fail to (gaps, notches), with rectangles without area and inputs larger than any fixed tree.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "docx/page/layout/KDRectUnion.h"

TEST(KDRectUnion, FillsItsBounds) {
    struct Case {
        const char* what;
        std::vector<KDIntRect> rects;  // left, top, right, bottom
        bool canMerge;
    };
    const Case cases[] = {
        {"side by side, touching at x = 10", {{0, 0, 10, 5}, {10, 0, 20, 5}}, true},
        {"a gap from x = 10 to 11", {{0, 0, 10, 5}, {11, 0, 20, 5}}, false},
        {"stacked without a gap", {{0, 0, 10, 5}, {0, 5, 10, 10}}, true},
        {"stacked with a gap from y = 5 to 6", {{0, 0, 10, 5}, {0, 6, 10, 10}}, false},
        {"an L shape", {{0, 0, 10, 5}, {0, 5, 5, 10}}, false},
        {"one inside another", {{0, 0, 10, 10}, {2, 2, 5, 5}}, true},
        {"overlapping into one rectangle", {{0, 0, 12, 10}, {8, 0, 20, 10}}, true},
        {"a notch at the top right", {{0, 2, 20, 10}, {0, 0, 10, 2}}, false},
        {"one rectangle", {{3, 4, 5, 6}}, true},
        {"ends given in either order", {{10, 5, 0, 0}, {20, 0, 10, 5}}, true},
        {"nothing", {}, true},
        // Rectangles without area cover nothing and reach nothing.
        {"only a line", {{0, 3, 10, 3}}, true},
        {"a line beside a rectangle does not widen it", {{0, 0, 10, 5}, {0, 20, 40, 20}}, true},
        {"a zero-width line across a gap does not close it", {{0, 0, 10, 5}, {11, 0, 20, 5}, {10, 0, 10, 5}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KDRectUnion(c.rects).isCanMerge(), c.canMerge);
    }
}

TEST(KDRectUnion, ManyRectangles) {
    // 60 columns, each cut into pieces at its own heights: some 2000 distinct y values and 3000
    // rectangles, far more than a fixed tree of 4096 nodes holds. Whole, they fill their bounds; with
    // one piece missing they do not.
    std::vector<KDIntRect> pieces;
    for (int c = 0; c < 60; ++c) {
        int top = 0;
        for (int cut = c + 1; top < 2000; cut += 41) {
            const int bottom = std::min(cut, 2000);
            pieces.push_back({c * 7, top, c * 7 + 7, bottom});
            top = bottom;
        }
    }
    ASSERT_GT(pieces.size(), 2900u);
    EXPECT_TRUE(KDRectUnion(pieces).isCanMerge());
    pieces.erase(pieces.begin() + static_cast<long>(pieces.size() / 2));
    EXPECT_FALSE(KDRectUnion(pieces).isCanMerge());
}
