// Line utilities: lines across and down the page, rectangles and thin shapes that stand for a ruled
// line, path points, stroke widths and segment tests.

#include <gtest/gtest.h>

#include "docx/model/KXLineUtilites.h"

using P = kx::Point;

TEST(KXLineUtilites, LineKinds) {
    struct Case {
        const char* what;
        P a, b;
        bool vertical, horizontal, rightAngle;
    };
    const Case cases[] = {
        {"0.5 apart both ways: a point", {0, 0}, {0.5, 0.5}, false, false, true},
        {"down the page", {10, 0}, {10.9, 50}, true, false, true},
        {"across the page", {0, 10}, {50, 10.9}, false, true, true},
        {"slanted", {0, 0}, {10, 10}, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KXLineUtilites::IsVerticalLineP1(c.a, c.b), c.vertical);
        EXPECT_EQ(KXLineUtilites::IsHorizontalLineP1(c.a, c.b), c.horizontal);
        EXPECT_EQ(KXLineUtilites::IsRightAngleLineP1(c.a, c.b), c.rightAngle);
    }
}

TEST(KXLineUtilites, PathPoints) {
    kx::Path rect;
    rect.addRect(kx::Rect(0, 0, 100, 4));
    auto points = KXLineUtilites::NSArrayFromCGPath_NoCurve(rect);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->size(), 4u);
    kx::Path curved = rect;
    curved.curveTo({1, 1}, {2, 2}, {3, 3});
    EXPECT_FALSE(KXLineUtilites::NSArrayFromCGPath_NoCurve(curved));
    EXPECT_EQ(KXLineUtilites::NSArrayFromCGPath(curved).size(), 7u) << "control points included";
    kx::Path slanted;
    slanted.moveTo({0, 0});
    slanted.lineTo({10, 10});
    EXPECT_FALSE(KXLineUtilites::NSArrayFromCGPath_NoCurve(slanted));
    kx::Path line = KXLineUtilites::CGPathFromLinePointArray({{0, 2}, {100, 2}});
    EXPECT_EQ(line.elements().size(), 2u);
}

TEST(KXLineUtilites, RectanglesAndLineLikeShapes) {
    const std::vector<P> rect{{0, 0}, {100, 0}, {100, 4}, {0, 4}};
    EXPECT_TRUE(KXLineUtilites::IsRectange(rect));
    EXPECT_FALSE(KXLineUtilites::IsRectange({{0, 0}, {0, 0}, {100, 4}, {0, 4}})) << "a corner listed twice";
    EXPECT_TRUE(KXLineUtilites::IsHorizontalRectange(rect));
    EXPECT_TRUE(KXLineUtilites::IsHorizontalRectange({{0, 0}, {0, 4}, {100, 4}, {100, 0}})) << "other winding";
    EXPECT_FALSE(KXLineUtilites::IsHorizontalRectange({{0, 0}, {100, 0}, {100, 4}})) << "three points";

    struct Case {
        const char* what;
        std::vector<P> outline;
        bool likeLine;
    };
    const Case cases[] = {
        {"100 by 5: sides under 6", {{0, 0}, {100, 0}, {100, 5}, {0, 5}}, true},
        {"100 by 7: no side under 6", {{0, 0}, {100, 0}, {100, 7}, {0, 7}}, false},
        {"a square", {{0, 0}, {5, 0}, {5, 5}, {0, 5}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KXLineUtilites::IsQuadrilateralLikeLine(c.outline, 0.5), c.likeLine);
    }

    double width = 0;
    auto line = KXLineUtilites::ConvertRectangeToLine(rect, &width);
    ASSERT_TRUE(line);
    EXPECT_EQ((*line)[0], (P{0, 2}));
    EXPECT_EQ((*line)[1], (P{100, 2}));
    EXPECT_DOUBLE_EQ(width, 4);
    EXPECT_FALSE(KXLineUtilites::ConvertRectangeToLine({{0, 0}, {1, 1}}, &width));
}

TEST(KXLineUtilites, WidthsAndSegments) {
    EXPECT_DOUBLE_EQ(KXLineUtilites::LineWidthApplyTransform(1, kx::AffineTransform::identity()), 1.0);
    EXPECT_FLOAT_EQ(static_cast<float>(KXLineUtilites::LineWidthApplyTransform(0.01, kx::AffineTransform::identity())),
                    0.1f);
    const double t = static_cast<double>(15.1f);
    struct Case {
        const char* what;
        P p;
        bool on;
    };
    const Case cases[] = {
        {"10 beyond an end", {110, 0}, true},
        {"20 beyond an end", {120, 0}, false},
        {"0.5 off the middle", {50, 0.5}, true},
        {"far off the middle", {50, 30}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KXIsPointOnLineSegment(c.p, {0, 0}, {100, 0}, t), c.on);
    }
    EXPECT_FLOAT_EQ(KXIntervalOverlapLength(0, 10, 5, 20), 5);
    EXPECT_FLOAT_EQ(KXIntervalOverlapLength(0, 10, 11, 20), 0);
    EXPECT_FLOAT_EQ(KXParallelLinesOverlapLength({0, 0}, {100, 0}, {50, 10}, {150, 10}, t), 50);
    EXPECT_FLOAT_EQ(KXParallelLinesOverlapLength({0, 0}, {100, 0}, {50, 20}, {150, 20}, t), 0);
}
