// Path runs: splitting a path, counting its points, its line type and box, the pairwise tests of the
// clean-up, copying; the paint record's colours, alphas, strings and border rule.

#include <gtest/gtest.h>

#include "PathRunFixtures.h"
#include "docx/model/KXDocxUtilities.h"

using namespace kx::test;

namespace {

const kx::Color kRed{1, 0, 0, 1};
const kx::Color kBlue{0, 0, 1, 1};

}  // namespace

TEST(KXDocxRunPath, SplitsPathsIntoClosedOrEndedSubPaths) {
    struct Case {
        const char* name;
        kx::Path path;
        std::int64_t points;
        size_t subPaths;
        bool curve;
        bool openTail;
    };
    kx::Path mixed;  // move, line, line, close, move, line
    mixed.moveTo({0, 0});
    mixed.lineTo({10, 0});
    mixed.lineTo({10, 10});
    mixed.closeSubpath();
    mixed.moveTo({20, 0});
    mixed.lineTo({30, 0});
    kx::Path twoRects = rectPath(0, 0, 10, 10);
    twoRects.addRect({20, 0, 10, 10});
    kx::Path movedOn;  // a sub-path ended by the next move
    movedOn.moveTo({0, 0});
    movedOn.lineTo({5, 0});
    movedOn.moveTo({0, 5});
    movedOn.lineTo({5, 5});
    movedOn.closeSubpath();
    kx::Path curve;
    curve.moveTo({0, 0});
    curve.curveTo({0, 10}, {10, 10}, {10, 0});
    const Case cases[] = {
        {"closed then open tail", mixed, 5, 1, false, true},
        {"two rectangles", twoRects, 8, 2, false, false},
        {"ended by a move", movedOn, 4, 2, false, false},
        {"open curve", curve, 2, 0, true, true},
        {"empty", kx::Path(), 0, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KXDocxRunPath run;
        run.setRunCGPath(c.path);
        EXPECT_EQ(run.pathPointCount(), c.points);
        EXPECT_EQ(run.subCGPaths().size(), c.subPaths);
        EXPECT_EQ(run.isHaveCurve(), c.curve);
        EXPECT_EQ(run.tempCGPath().has_value(), c.openTail);
    }
}

TEST(KXDocxRunPath, ClassifiesLinesAndRectanglesByTheirPoints) {
    struct Case {
        const char* name;
        std::optional<std::vector<kx::Point>> points;
        int type;
    };
    const Case cases[] = {
        {"horizontal line", std::vector<kx::Point>{{0, 0}, {50, 0}}, 1},
        {"horizontal within 1", std::vector<kx::Point>{{0, 0}, {50, 0.9}}, 1},
        {"vertical line", std::vector<kx::Point>{{5, 0}, {5, 40}, {5, 80}}, 2},
        {"slanted line", std::vector<kx::Point>{{0, 0}, {50, 30}}, 0},
        {"small box 8.0 x 3.0", std::vector<kx::Point>{{0, 0}, {8, 0}, {8, 3}, {0, 3}}, 3},
        {"box 8.2 x 3.0", std::vector<kx::Point>{{0, 0}, {8.2, 0}, {8.2, 3}, {0, 3}, {0, 0}}, 4},
        {"other winding", std::vector<kx::Point>{{0, 0}, {0, 30}, {20, 30}, {20, 0}}, 4},
        {"quadrilateral", std::vector<kx::Point>{{0, 0}, {20, 1}, {20, 30}, {0, 30}}, 0},
        {"seven points", std::vector<kx::Point>{{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0, 0}, {9, 0}, {9, 9}}, 0},
        {"one point", std::vector<kx::Point>{{1, 1}}, 0},
        {"no points", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KXDocxRunPath run;
        if (c.points && c.points->size() >= 4) {
            kx::Path p;
            p.moveTo((*c.points)[0]);
            for (size_t i = 1; i < c.points->size(); ++i) p.lineTo((*c.points)[i]);
            run.setRunCGPath(p);
        }
        run.setRunLinePointArray(c.points);
        EXPECT_EQ(run.runLineType(), c.type);
    }
}

TEST(KXDocxRunPath, BoxTakesTheStrokeAcrossHairlines) {
    // A stroked horizontal line of weight 2 from (10,100) to (60,100).
    auto horizontal = pathRun(linePath(10, 100, 60, 100), stroked(2));
    expectRect(horizontal->boundingBox(), 10, 99, 50, 2);
    auto vertical = pathRun(linePath(30, 10, 30, 70), stroked(0.5));
    expectRect(vertical->boundingBox(), 29.75, 10, 0.5, 60);
    // A filled hairline has no thickness to take; a stroked rectangle keeps its outline's box.
    auto filledLine = pathRun(linePath(10, 100, 60, 100), filled());
    expectRect(filledLine->boundingBox(), 10, 100, 50, 0);
    auto frame = pathRun(rectPath(10, 20, 30, 40), stroked(3));
    expectRect(frame->boundingBox(), 10, 20, 30, 40);
    // A curve's box is the drawn curve, not its control points.
    kx::Path circle;
    circle.addEllipseInRect({0, 0, 20, 20});
    auto round = pathRun(circle, filled());
    expectRect(round->boundingBox(), 0, 0, 20, 20);
    KXDocxRunPath empty;
    empty.setRunCGPath(kx::Path());
    expectRect(empty.boundingBox(), 0, 0, 0, 0);
}

TEST(KXDocxRunPath, LinePiecesContinueEachOther) {
    struct Case {
        const char* name;
        std::shared_ptr<KXDocxRunPath> a, b;
        bool continues;
    };
    const Case cases[] = {
        {"overlapping end to end", pathRun(linePath(0, 50, 40, 50), stroked(0.3)),
         pathRun(linePath(30, 50, 80, 50), stroked(0.3)), true},
        {"meeting within a point", pathRun(linePath(0, 50, 40, 50), stroked(0.3)),
         pathRun(linePath(40.8, 50, 80, 50), stroked(0.3)), true},
        {"heights differing by 0.3", pathRun(linePath(0, 50, 40, 50), stroked(0.3)),
         pathRun(linePath(30, 50, 80, 50), stroked(0.6)), false},
        {"two points apart", pathRun(linePath(0, 50, 40, 50), stroked(0.3)),
         pathRun(linePath(42, 50, 80, 50), stroked(0.3)), false},
        {"another colour", pathRun(linePath(0, 50, 40, 50), stroked(0.3)),
         pathRun(linePath(30, 50, 80, 50), stroked(0.3, kRed)), false},
        {"one inside the other", pathRun(linePath(0, 50, 80, 50), stroked(1)),
         pathRun(linePath(10, 50, 20, 50), stroked(1)), true},
        {"parallel rows", pathRun(linePath(0, 50, 40, 50), stroked(0.3)),
         pathRun(linePath(30, 60, 80, 60), stroked(0.3)), false},
        {"vertical pieces", pathRun(linePath(5, 0, 5, 40), stroked(1)), pathRun(linePath(5, 39, 5, 90), stroked(1)),
         true},
        {"crossing lines", pathRun(linePath(0, 50, 80, 50), stroked(1)), pathRun(linePath(40, 0, 40, 90), stroked(1)),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.a->isLineExtentsRunPath(c.b.get()), c.continues);
        EXPECT_EQ(c.b->isLineExtentsRunPath(c.a.get()), c.continues);
    }
    EXPECT_FALSE(cases[0].a->isLineExtentsRunPath(nullptr));
}

TEST(KXDocxRunPath, RectanglePiecesMakeOneRectangle) {
    struct Case {
        const char* name;
        std::shared_ptr<KXDocxRunPath> a, b;
        bool overlap;
        bool extend;  // the flag as left by the call (it starts true)
    };
    const Case cases[] = {
        {"side by side", pathRun(rectPath(0, 0, 10, 10), filled()), pathRun(rectPath(10, 0, 10, 10), filled()), true,
         true},
        {"stacked with a small overlap", pathRun(rectPath(0, 0, 10, 10), filled()),
         pathRun(rectPath(0, 9, 10, 10), filled()), true, true},
        {"touching at a corner", pathRun(rectPath(0, 0, 10, 10), filled()),
         pathRun(rectPath(10, 10, 10, 10), filled()), false, false},
        {"L shape", pathRun(rectPath(0, 0, 30, 10), filled()), pathRun(rectPath(0, 10, 10, 30), filled()), false,
         false},
        {"one inside the other", pathRun(rectPath(0, 0, 30, 30), filled()), pathRun(rectPath(5, 5, 10, 10), filled()),
         true, true},
        {"within the tolerance", pathRun(rectPath(0, 0, 30, 30), filled()),
         pathRun(rectPath(-0.9, -0.9, 31.5, 31.5), filled()), true, true},
        {"another colour", pathRun(rectPath(0, 0, 10, 10), filled()), pathRun(rectPath(10, 0, 10, 10), filled(kRed)),
         false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool extend = true;
        EXPECT_EQ(c.a->isRectOverlapRunPath(c.b.get(), extend), c.overlap);
        EXPECT_EQ(extend, c.extend);
    }
}

TEST(KXDocxRunPath, CoverageColourAndNeighbourTests) {
    auto frame = pathRun(rectPath(10, 10, 100, 50), stroked(1), 5);
    auto inside = pathRun(rectPath(20, 20, 10, 10), filled(), 6);
    auto nearby = pathRun(rectPath(111, 10, 20, 20), filled(), 7);
    auto far = pathRun(rectPath(300, 300, 20, 20), filled(), 8);
    EXPECT_TRUE(frame->isAloneRectWithRunPaths({inside, far})) << "runs inside it or far away do not touch it";
    EXPECT_FALSE(frame->isAloneRectWithRunPaths({inside, nearby})) << "1.0 from its edge is touching";
    EXPECT_FALSE(pathRun(rectPath(10, 10, 100, 50), filled())->isAloneRectWithRunPaths({}))
        << "only stroked frames are alone";

    // Painted before and overlapping by more than 1 x 1.
    auto earlier = pathRun(rectPath(25, 25, 10, 10), filled(), 2);
    auto sliver = pathRun(rectPath(29.5, 25, 10, 10), filled(), 1);
    EXPECT_EQ(inside->hideRunPaths({sliver, far, earlier}), earlier);
    EXPECT_EQ(inside->hideRunPaths({nearby}), nullptr) << "painted later";

    // The area a rectangle covers of a cell, summed over sub-paths.
    kx::Path two = rectPath(0, 0, 10, 10);
    two.addRect({20, 0, 10, 10});
    auto pair = pathRun(two, filled());
    EXPECT_DOUBLE_EQ(pair->areaIntersectionRect({5, 0, 20, 10}), 50 + 50);
    EXPECT_DOUBLE_EQ(pair->areaIntersectionRect({9.5, 0, 5, 10}), 0) << "a sliver 0.5 wide does not count";

    auto redFill = pathRun(rectPath(0, 0, 10, 10), filled(kRed));
    EXPECT_TRUE(redFill->IsEqualColor({254, 1, 0, 255}));
    EXPECT_FALSE(redFill->IsEqualColor({250, 0, 0, 255}));
    auto a = pathRun(linePath(0, 0, 50, 0), stroked(1));
    EXPECT_TRUE(a->isBorderEqualToPath(*pathRun(linePath(0, 10, 50, 10), stroked(1))));
    EXPECT_FALSE(a->isBorderEqualToPath(*pathRun(linePath(0, 10, 50, 10), stroked(1.01))));
    EXPECT_FALSE(a->isBorderEqualToPath(*pathRun(linePath(0, 10, 50, 10), stroked(1, kBlue))));
}

TEST(KXDocxRunPath, ACopyIsARunOfItsOwnWithItsPaint) {
    Paint paint = filled(kRed);
    paint.stroke = true;
    paint.strokeColor = kBlue;
    paint.weight = 2;
    paint.dash = {3, 3};
    paint.fillAlpha = 0.5f;
    auto run = pathRun(rectPath(10, 10, 30, 30), paint, 4);
    run->setPictZIndex(-12);
    run->setIsTableLine(true);
    std::shared_ptr<KXDocxRunPath> copy = run->copyRunPath();
    ASSERT_TRUE(copy->pictInfo());
    EXPECT_TRUE(copy->pictInfo()->filled());
    EXPECT_TRUE(copy->pictInfo()->stroked());
    EXPECT_EQ(copy->pictInfo()->fillcolorString(), "#FF0000");
    EXPECT_EQ(copy->pictInfo()->strokecolorString(), "#0000FF");
    EXPECT_EQ(copy->pictInfo()->fillColorKX().alpha, 127);
    EXPECT_EQ(copy->pictInfo()->strokeDashPattern(), std::vector<double>({3, 3}));
    EXPECT_EQ(copy->pdfScanIndex(), 4u);
    EXPECT_EQ(copy->pictZIndex(), -12);
    EXPECT_EQ(copy->runLineType(), run->runLineType());
    EXPECT_TRUE(copy->isTableLine());
    EXPECT_EQ(copy->boundingBox(), run->boundingBox());
    ASSERT_EQ(copy->subCGPaths().size(), 1u);
    EXPECT_NE(copy->subCGPaths()[0], run->subCGPaths()[0]);
    copy->pictInfo()->setFilled(false);
    EXPECT_TRUE(run->pictInfo()->filled()) << "changing the copy leaves the run alone";
    EXPECT_EQ(std::dynamic_pointer_cast<KXDocxRunPath>(run->copy())->runCGPath(), run->runCGPath());
}

TEST(KXDocxPathInfo, RecordColoursFollowColoursAndAlphasInEitherOrder) {
    KXDocxPathInfo alphasFirst;  // the exporter's order
    alphasFirst.setFillAlpha(1.0f);
    alphasFirst.setStrokeAlpha(0.5f);
    alphasFirst.setStrokecolor(kx::Color{0.5, 0.2, 1, 1});
    alphasFirst.setFillcolor(kx::Color{1, 1, 1, 1});
    KXDocxPathInfo coloursFirst;
    coloursFirst.setStrokecolor(kx::Color{0.5, 0.2, 1, 1});
    coloursFirst.setFillcolor(kx::Color{1, 1, 1, 1});
    coloursFirst.setFillAlpha(1.0f);
    coloursFirst.setStrokeAlpha(0.5f);
    for (const KXDocxPathInfo* info : {&alphasFirst, &coloursFirst}) {
        const KXDocx_Color s = info->strokeColorKX(), f = info->fillColorKX();
        EXPECT_EQ(std::vector<int>({s.red, s.green, s.blue, s.alpha}), std::vector<int>({128, 51, 255, 127}));
        EXPECT_EQ(std::vector<int>({f.red, f.green, f.blue, f.alpha}), std::vector<int>({255, 255, 255, 255}));
    }
    KXDocxPathInfo none;
    none.setStrokeAlpha(0.25f);
    none.setStrokecolor(std::nullopt);
    EXPECT_EQ(none.strokeColorKX().red, 0);
    EXPECT_EQ(none.strokeColorKX().alpha, 63);
    EXPECT_EQ(none.strokecolorString(), std::nullopt);
    EXPECT_DOUBLE_EQ(KXDocxPathInfo().strokeweight(), static_cast<double>(0.1f));

    KXDocxPathInfo dashed;
    dashed.setStrokeDashPattern({3.4, 2, 10.9});
    dashed.setStrokeDashPhase(2);
    EXPECT_EQ(dashed.strokeDashPatternString(), "3 2 10");
    EXPECT_EQ(dashed.strokeDashPhaseString(), "2");
    EXPECT_EQ(KXDocxPathInfo().strokeDashPatternString(), std::nullopt);
    EXPECT_EQ(KXDocxPathInfo::colorString(kx::Color{0.1, 0.5, 2.0, 1}), "#1A80FF");
}

TEST(KXDocxPathInfo, BorderStyleOfARulingPath) {
    const KXDocx_Color white{255, 255, 255, 255};
    struct Case {
        const char* name;
        Paint paint;
        kx::Size frame;
        int style;
    };
    auto dashed = [](std::vector<double> d) {
        Paint p = stroked(1);
        p.dash = std::move(d);
        return p;
    };
    const Case cases[] = {
        {"solid black stroke", stroked(1), {100, 1}, 2},
        {"stroke in the background colour", stroked(1, {0.995, 1, 1, 1}), {100, 1}, 1},
        {"dash (3, 3)", dashed({3, 3}), {100, 1}, 4},
        {"dash (1, 2, 3)", dashed({1, 2, 3}), {100, 1}, 8},
        {"dash of four", dashed({1, 2, 3, 4}), {100, 1}, 6},
        {"dash of six", dashed({1, 2, 3, 4, 5, 6}), {100, 1}, 7},
        {"one dash entry", dashed({3}), {100, 1}, 2},
        {"black bar 100 x 1", filled(), {100, 1}, 2},
        {"white bar", filled({1, 1, 1, 1}), {100, 1}, 1},
        {"square 10 x 10", filled(), {10, 10}, 1},
        {"dot 2 x 2", filled(), {2, 2}, 1},
        {"unpainted", Paint{}, {100, 1}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto run = pathRun(rectPath(0, 0, c.frame.width, c.frame.height), c.paint);
        EXPECT_EQ(KXDocxPathInfo::BorderStyleForPathInfo(*run->pictInfo(), white), c.style);
    }
}
