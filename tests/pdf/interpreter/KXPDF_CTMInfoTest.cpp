// The text geometry record and the angle, font-size and page-rotation functions.

#include <gtest/gtest.h>

#include <cmath>

#include "pdf/interpreter/KXPDF_CTMInfo.h"

using namespace kx;

TEST(KXPDF_CTMInfo, RecordOfAnUprightString) {
    KXPDF_CTMInfo i = KXMakeCTMInfo(AffineTransform::identity(), 10, 0.8, -0.2);
    EXPECT_FALSE(i.flip);
    EXPECT_EQ(i.rotation, 0);
    EXPECT_DOUBLE_EQ(i.yTop, 8);
    EXPECT_DOUBLE_EQ(i.yAscent, 8);
    EXPECT_EQ(i.yBase, 0);
    EXPECT_DOUBLE_EQ(i.yBottom, -2);
    EXPECT_EQ(i.xLeft, 0);
    EXPECT_EQ(i.xRight, 1);
    EXPECT_DOUBLE_EQ(i.frame.origin.y, 8);
    EXPECT_DOUBLE_EQ(i.frame.size.height, -10);
    EXPECT_EQ(i.frame.size.width, 1);
    EXPECT_EQ(i.fontSize, (Size{10, 10}));
    EXPECT_EQ(i.topLeft.x, 0);
    EXPECT_DOUBLE_EQ(i.bottomLeft.y, -2);
}

TEST(KXPDF_CTMInfo, MetricsAreNormalisedAndGuarded) {
    // Font units: 900 and -300 span 1200, so the ascent is three quarters of the size.
    KXPDF_CTMInfo units = KXMakeCTMInfo(AffineTransform::identity(), 12, 900, -300);
    EXPECT_DOUBLE_EQ(units.yTop, 9);
    EXPECT_DOUBLE_EQ(units.yBottom, -3);
    // Equal ascent and descent, or metrics that are not numbers: a typical face's proportions,
    // never an infinity.
    for (auto [a, d] : {std::pair{0.0, 0.0}, {0.5, 0.5}, {NAN, -0.2}, {INFINITY, 0.0}}) {
        KXPDF_CTMInfo i = KXMakeCTMInfo(AffineTransform::identity(), 10, a, d);
        EXPECT_DOUBLE_EQ(i.yTop, 8) << a << " " << d;
        EXPECT_DOUBLE_EQ(i.yBottom, -2) << a << " " << d;
        Rect space = KXDisplaySpaceRect(AffineTransform::identity(), AffineTransform::makeTranslation(4, 0), 10, a, d);
        EXPECT_TRUE(std::isfinite(space.origin.y) && std::isfinite(space.size.height)) << a << " " << d;
    }
    // A tiny or degenerate transform keeps the font size at 5.
    AffineTransform tiny{0.001, 0.001, 0, 0.001, 0, 0};
    EXPECT_EQ(KXMakeCTMInfo(tiny, 1, 0.8, -0.2).fontSize, (Size{5, 5}));
    AffineTransform nan{NAN, 0, 0, NAN, 0, 0};
    EXPECT_EQ(KXMakeCTMInfo(nan, 10, 0.8, -0.2).fontSize, (Size{5, 5}));
}

TEST(KXPDF_CTMInfo, Angles) {
    struct Case {
        Point a, b;
        double angle;
    } cases[] = {
        {{0, 0}, {1, 0}, 0},   {{0, 0}, {0, 1}, 90},     {{0, 0}, {1, -1}, 315},
        {{0, 0}, {-1, 0}, 180}, {{0, 0}, {-1, -0.0001}, 180}, {{0, 0}, {1, -0.000001}, 360},
        {{5, 5}, {5, 5}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(KXAngleOfLine(c.a, c.b), c.angle) << c.b.x << "," << c.b.y;
    EXPECT_EQ(KXTransformDownAngle(AffineTransform::identity()), 270);
    EXPECT_EQ(KXTransformDownAngle({1, 0, 0, -1, 0, 0}), 90);
    EXPECT_EQ(KXMakeCTMInfo({0, 1, -1, 0, 0, 0}, 10, 0.8, -0.2).rotation, 90);
}

// Successive records share the angle and size worked out for the matrix before; a matrix that
// differs only in the sign of a zero or in the size must not take the previous record's values.
TEST(KXPDF_CTMInfo, RecordsInTurnFollowEveryChangeOfTheMatrix) {
    struct Case {
        AffineTransform t;
        double size;
        float rotation;
        Size fontSize;
    } cases[] = {
        {{0.0, 0, 0, 1, 0, 0}, 10, 0, {5, 10}},
        {{-0.0, 0, 0, 1, 0, 0}, 10, 180, {5, 10}},  // atan2 of (0, -0) is half a turn
        {{2, 0, 0, 2, 7, 9}, 10, 0, {20, 20}},
        {{2, 0, 0, 2, 50, 9}, 10, 0, {20, 20}},     // moved along the line: same shape
        {{2, 0, 0, 2, 50, 9}, 12, 0, {24, 24}},
        {{0, 2, -2, 0, 50, 9}, 12, 90, {24, 24}},
        {{2, 0, 0, 2, 7, 9}, 10, 0, {20, 20}},
    };
    for (const Case& c : cases) {
        KXPDF_CTMInfo i = KXMakeCTMInfo(c.t, c.size, 0.8, -0.2);
        EXPECT_EQ(i.rotation, c.rotation) << c.t.a << " " << c.size;
        EXPECT_EQ(i.fontSize, c.fontSize) << c.t.a << " " << c.size;
        EXPECT_EQ(i.xBase, c.t.tx);
    }
}

TEST(KXPDF_CTMInfo, FontSizeAndSpaceExtent) {
    AffineTransform t{2, 0, 0, 3, 0, 0};
    EXPECT_EQ(KXTransformedFontSize(t, 10, 0.8, -0.2), (Size{20, 30}));
    EXPECT_EQ(KXTransformedFontSize(t, 10, 900, -300), (Size{20, 36000}));
    Rect r = KXDisplaySpaceRect({1, 0, 0, 2, 10, 100}, {1, 0, 0, 2, 16, 100}, 10, 0.8, -0.2);
    EXPECT_EQ(r.origin.x, 10);
    EXPECT_DOUBLE_EQ(r.origin.y, 116);
    EXPECT_EQ(r.size.width, 6);
    EXPECT_DOUBLE_EQ(r.size.height, 20);
}

TEST(KXPDF_CTMInfo, PageRotationTransform) {
    struct Case {
        long angle;
        Point in, out;
    } cases[] = {
        {0, {10, 20}, {10, 780}},  {45, {10, 20}, {10, 780}}, {90, {10, 20}, {20, 10}}, {450, {10, 20}, {20, 10}},
        {180, {10, 20}, {590, 20}}, {270, {10, 20}, {580, 790}}, {-90, {10, 20}, {580, 790}},
    };
    for (const Case& c : cases) {
        Point p = KXPageRotationTransform(c.angle, 600, 800).apply(c.in);
        EXPECT_NEAR(p.x, c.out.x, 1e-9) << c.angle;
        EXPECT_NEAR(p.y, c.out.y, 1e-9) << c.angle;
    }
}

TEST(KXPDF_CTMInfo, WideningTheFrame) {
    KXPDF_CTMInfo i = KXMakeCTMInfo({20, 0, 0, 1, 100, 0}, 10, 0.8, -0.2);
    KXPDF_CTMInfo left = KXCTMInfoWidenLeftToWidth(i, 30);
    EXPECT_EQ(left.frame.origin.x, 90);
    EXPECT_EQ(left.xLeft, 90);
    EXPECT_EQ(left.topLeft.x, 90);
    EXPECT_EQ(left.bottomLeft.x, 90);
    EXPECT_EQ(left.frame.size.width, 30);
    EXPECT_EQ(left.xRight, 120);
    KXPDF_CTMInfo narrower = KXCTMInfoWidenLeftToWidth(i, 5);
    EXPECT_EQ(narrower.xLeft, 115);
    KXPDF_CTMInfo right = KXCTMInfoWidenRight(i, 4);
    EXPECT_EQ(right.frame.size.width, 24);
    EXPECT_EQ(right.xRight, 124);
    EXPECT_EQ(right.xLeft, 100);
}
