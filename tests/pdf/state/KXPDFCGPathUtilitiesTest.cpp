// Path-element arrays and the geometry description strings.

#include <gtest/gtest.h>

#include "pdf/state/KXPDFCGPathUtilities.h"
#include "support/TestSupport.h"
#include "util/KXGeometryStrings.h"

using namespace kx;

TEST(KXPDFCGPathUtilities, PathsRoundTripThroughElementArrays) {
    Path empty;
    auto emptyArray = KXPDFCGPathUtilities::NSArrayWithCGPath(empty);
    ASSERT_TRUE(emptyArray);
    EXPECT_TRUE(emptyArray->valid);
    EXPECT_TRUE(emptyArray->elements.empty());
    auto back = KXPDFCGPathUtilities::CGPathWithNSArray(*emptyArray);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isEmpty());

    Path p;
    p.moveTo({1, 2});
    p.curveTo({3, 4}, {5, 6}, {7, 8});
    p.quadTo({9, 10}, {11, 12});
    p.lineTo({13, 14});
    p.closeSubpath();
    auto array = KXPDFCGPathUtilities::NSArrayWithCGPath(p);
    ASSERT_TRUE(array);
    std::vector<int> types;
    std::vector<size_t> points;
    for (auto& e : array->elements) {
        types.push_back(e.type);
        points.push_back(e.points.size());
    }
    EXPECT_EQ(types, (std::vector<int>{0, 3, 2, 1, 4}));
    EXPECT_EQ(points, (std::vector<size_t>{1, 3, 2, 1, 0}));
    auto rebuilt = KXPDFCGPathUtilities::CGPathWithNSArray(*array);
    ASSERT_TRUE(rebuilt);
    EXPECT_EQ(*rebuilt, p);
}

TEST(KXPDFCGPathUtilities, ArraysWithUnknownOrShortElementsGiveNoPath) {
    KXPDFPathElementArray unknown{true, {{0, {{0, 0}}}, {7, {{1, 1}}}}};
    EXPECT_FALSE(KXPDFCGPathUtilities::CGPathWithNSArray(unknown));
    KXPDFPathElementArray negative{true, {{-1, {}}}};
    EXPECT_FALSE(KXPDFCGPathUtilities::CGPathWithNSArray(negative));
    KXPDFPathElementArray shortCurve{true, {{0, {{0, 0}}}, {3, {{1, 1}, {2, 2}}}}};
    EXPECT_FALSE(KXPDFCGPathUtilities::CGPathWithNSArray(shortCurve));
}

TEST(KXGeometryStrings, PrintAndReadBackWhateverTheLocale) {
    test::ScopedLocale german("de_DE.UTF-8");
    EXPECT_EQ(KXStringFromCGPoint({1, 2}), "[1.000000, 2.000000]");
    EXPECT_EQ(KXStringFromCGSize({3.5, -4}), "[3.500000, -4.000000]");
    EXPECT_EQ(KXStringFromCGRect(Rect(1, 2, 3, 4)), "[1.000000, 2.000000, 3.000000, 4.000000]");

    EXPECT_EQ(KXPointFromString(KXStringFromCGPoint({1, 2})), (Point{1, 2}));
    Point tenth = KXPointFromString(KXStringFromCGPoint({0.1, -7.25}));
    EXPECT_EQ(tenth.x, static_cast<double>(0.1f));
    EXPECT_EQ(tenth.y, -7.25);
    EXPECT_EQ(KXRectFromString(KXStringFromCGRect(Rect(10, 20, 30, 40))), Rect(10, 20, 30, 40));
    // Fewer numbers than expected: the missing ones read as 0.
    EXPECT_EQ(KXRectFromString("[1.0, 2.0]"), Rect(1, 2, 0, 0));
    EXPECT_EQ(KXPointFromString(""), (Point{0, 0}));
    EXPECT_EQ(KXPointFromString("[x, 2]"), (Point{0, 2}));
}
