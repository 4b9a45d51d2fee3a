// Clean-up of a page's path runs: background and duplicates, specks and check boxes, lone frames,
// and pieces merged into lines and rectangles.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "PathRunFixtures.h"

using namespace kx::test;

namespace {

const kx::Color kGrey{0.8, 0.8, 0.8, 1};
const kx::Color kWhite{1, 1, 1, 1};
const kx::Color kRed{1, 0, 0, 1};

}  // namespace

TEST(KXDocxRunPathCleanUp, BackgroundRectangleIsTheLargestPlainFill) {
    auto page = pathRun(rectPath(0, 0, 600, 800), filled(kGrey), 0);
    auto box = pathRun(rectPath(50, 50, 100, 100), filled(kRed), 1);
    auto outlined = pathRun(rectPath(0, 0, 610, 810), stroked(1), 2);
    Paint otherStroke = filled(kGrey);
    otherStroke.stroke = true;
    otherStroke.strokeColor = kRed;
    auto framedInRed = pathRun(rectPath(0, 0, 700, 900), otherStroke, 3);
    EXPECT_EQ(KXDocxRunPath::FindBigRectangeRunPath({page}), nullptr) << "one run is never a background";
    EXPECT_EQ(KXDocxRunPath::FindBigRectangeRunPath({box, page, outlined, framedInRed}), page);
    auto sameArea = pathRun(rectPath(10, 10, 600, 800), filled(kGrey), 4);
    EXPECT_EQ(KXDocxRunPath::FindBigRectangeRunPath({page, sameArea}), page) << "only a larger one replaces it";
    EXPECT_EQ(KXDocxRunPath::FindBigRectangeRunPath({box, outlined}), box);
}

TEST(KXDocxRunPathCleanUp, DuplicatesRepeatTheBackgroundWithoutCoveringAnything) {
    auto greyPage = pathRun(rectPath(0, 0, 600, 800), filled(kGrey), 0);
    auto line = pathRun(linePath(100, 300, 300, 300), stroked(2), 1);
    auto repeat = pathRun(rectPath(50, 50, 100, 100), filled(kGrey), 2);
    auto overLine = pathRun(rectPath(150, 280, 100, 50), filled(kGrey), 3);
    auto red = pathRun(rectPath(400, 400, 50, 50), filled(kRed), 4);
    auto white = pathRun(rectPath(400, 500, 50, 50), filled(kWhite), 5);
    const KXDocxRunPathArray others{line, repeat, overLine, red, white};
    EXPECT_EQ(KXDocxRunPath::FindDuplicateRunPath(greyPage, others), KXDocxRunPathArray({repeat}))
        << "the grey run over the earlier line stays: it hides the line";
    EXPECT_EQ(KXDocxRunPath::FindDuplicateRunPath(nullptr, others), KXDocxRunPathArray({white}));
    auto whitePage = pathRun(rectPath(0, 0, 600, 800), filled(kWhite), 0);
    EXPECT_EQ(KXDocxRunPath::FindDuplicateRunPath(whitePage, others), KXDocxRunPathArray({white}));
    EXPECT_TRUE(KXDocxRunPath::FindDuplicateRunPath(line, others).empty()) << "a line is no background";
    EXPECT_TRUE(KXDocxRunPath::FindDuplicateRunPath(greyPage, {}).empty());
    // Painted before the background, a grey run is not its duplicate.
    auto before = pathRun(rectPath(50, 50, 100, 100), filled(kGrey), 0);
    auto laterPage = pathRun(rectPath(0, 0, 600, 800), filled(kGrey), 1);
    EXPECT_TRUE(KXDocxRunPath::FindDuplicateRunPath(laterPage, {before}).empty());
}

TEST(KXDocxRunPathCleanUp, SpecksCheckBoxesLoneFramesAndAnnotations) {
    struct Case {
        const char* name;
        double w, h;
        bool speck, smallRect;
    };
    const Case cases[] = {
        {"speck 0.5 x 0.5", 0.5, 0.5, true, false},  {"line 2 x 0.5", 2, 0.5, false, false},
        {"no width", 0, 40, true, false},             {"box 6 x 6", 6, 6, false, true},
        {"box 12 x 10", 12, 10, false, true},         {"box 12 x 6", 12, 6, false, false},
        {"box 16 x 16", 16, 16, false, false},        {"box 8 x 4", 8, 4, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KXDocxRunPathArray one{pathRun(rectPath(100, 100, c.w, c.h), filled())};
        EXPECT_EQ(KXDocxRunPath::FindSmallShapes(one, {1, 1}).size(), c.speck ? 1u : 0u);
        EXPECT_EQ(KXDocxRunPath::FindSmallRects(one).size(), c.smallRect ? 1u : 0u);
    }
    auto alone = pathRun(rectPath(10, 10, 50, 50), stroked(1), 0);
    auto touched = pathRun(rectPath(100, 10, 50, 50), stroked(1), 1);
    auto toucher = pathRun(linePath(150.5, 0, 150.5, 80), stroked(1), 2);
    EXPECT_EQ(KXDocxRunPath::FindAloneRects({alone, touched, toucher}), KXDocxRunPathArray({alone}));
    toucher->setIsAnnotion(true);
    EXPECT_EQ(KXDocxRunPath::FindAnnotionlPaths({alone, toucher, touched}), KXDocxRunPathArray({toucher}));
}

// FindAloneRects hands each frame only the runs that reach into it. On pages of many boxes, lines
// and a page-sized background, spread over a small or a wide area, it must find the same lone
// frames as handing each frame every run of the page that its grown box meets.
TEST(KXDocxRunPathCleanUp, LoneFramesMatchTheFullScan) {
    auto fullScan = [](const KXDocxRunPathArray& runs) {
        KXDocxRunPathArray found;
        for (const auto& run : runs) {
            if (run->runLineType() != KXDocxRunPath::kLineTypeRect || !run->pictInfo()->stroked()) continue;
            const kx::Rect grown = run->boundingBox().insetBy(-1.1, -1.1);
            KXDocxRunPathArray others;
            for (const auto& o : runs)
                if (o != run && grown.intersects(o->boundingBox()) &&
                    std::find(found.begin(), found.end(), o) == found.end())
                    others.push_back(o);
            if (run->isAloneRectWithRunPaths(others)) found.push_back(run);
        }
        return found;
    };
    std::mt19937 random(11);
    auto pick = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
    struct Layout {
        const char* what;
        double extent, largest;
        bool background;
    };
    const Layout layouts[] = {
        {"a crowded form", 300, 40, false},
        {"a page with its background", 600, 80, true},
        {"boxes spread far apart", 1e5, 200, false},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.what);
        KXDocxRunPathArray runs;
        if (layout.background) runs.push_back(pathRun(rectPath(0, 0, 612, 792), filled(kGrey), 0));
        for (std::uint64_t i = 1; i <= 300; ++i) {
            const double x = pick(0, layout.extent), y = pick(0, layout.extent);
            if (i % 3 == 0) {
                runs.push_back(pathRun(linePath(x, y, x + pick(5, layout.largest), y), stroked(1), i));
            } else {
                runs.push_back(pathRun(rectPath(x, y, pick(4, layout.largest), pick(4, layout.largest)),
                                       i % 3 == 1 ? stroked(1) : filled(), i));
            }
        }
        // A row of frames side by side with gaps of 0 to 2.5 between them, about the 1.1 a frame
        // is grown by.
        for (std::uint64_t i = 0; i < 40; ++i) {
            const double x = 47.5 * static_cast<double>(i) + 0.5 * static_cast<double>(i % 6);
            runs.push_back(pathRun(rectPath(x, layout.extent + 10, 45, 30), stroked(1), 400 + i));
        }
        const KXDocxRunPathArray expected = fullScan(runs);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(KXDocxRunPath::FindAloneRects(runs), expected);
    }
}

TEST(KXDocxRunPathCleanUp, LinePiecesMergeIntoOneLine) {
    // Three collinear stroked pieces of weight 0.5, each overlapping the next, with a small box
    // (type 3) in the chain and a vertical line apart.
    auto a = pathRun(linePath(10, 100, 50, 100), stroked(0.5), 3);
    auto small = pathRun(rectPath(49, 99.75, 4, 0.5), filled(), 4);
    auto b = pathRun(linePath(52, 100, 90, 100), stroked(0.5), 5);
    auto c = pathRun(linePath(89, 100, 130, 100), stroked(0.5), 6);
    auto apart = pathRun(linePath(300, 10, 300, 90), stroked(1), 1);
    auto shape = pathRun(rectPath(200, 200, 50, 50), filled(), 2);
    KXDocxRunPathArray runs{c, b, apart, small, a, shape};
    KXDocxRunPathArray merged = KXDocxRunPath::MergeOverlapLinesIfNeed(runs);
    EXPECT_EQ(scanIndexes(runs), std::vector<std::uint64_t>({1, 2, 3, 4, 5, 6})) << "the input is sorted";
    ASSERT_EQ(merged, KXDocxRunPathArray({apart, shape, a}));
    EXPECT_EQ(a->runLineType(), KXDocxRunPath::kLineTypeHorizontal);
    EXPECT_EQ(a->runCGPath(), linePath(10, 100, 130, 100));
    EXPECT_NEAR(a->pictInfo()->strokeweight(), 0.5, 1e-9);
    expectRect(a->boundingBox(), 10, 99.75, 120, 0.5);
    expectRect(a->displayRect(), 10, 99.75, 120, 0.5);
}

TEST(KXDocxRunPathCleanUp, ThinShapesBecomeLinesThroughTheirMiddle) {
    struct Case {
        const char* name;
        kx::Rect rect;
        bool classified;  // the run keeps its rectangle points (else type 0)
        int type;
        double weight;  // 0: stays as it is
    };
    const Case cases[] = {
        {"filled shape 0.8 x 40", {10, 10, 0.8, 40}, false, 2, 0.8},
        {"filled shape 40 x 1.0", {10, 10, 40, 1.0}, false, 1, 1.0},
        {"filled shape 1.5 x 40", {10, 10, 1.5, 40}, false, 0, 0},
        {"rectangle 4 x 40", {10, 10, 4, 40}, true, 2, 4},
        {"rectangle 6 x 40", {10, 10, 6, 40}, true, 4, 0},
        {"small box 2 x 8", {10, 10, 2, 8}, true, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto run = pathRun(rectPath(c.rect.origin.x, c.rect.origin.y, c.rect.size.width, c.rect.size.height),
                           filled(kRed));
        if (!c.classified) run->setRunLinePointArray(std::nullopt);
        const KXDocxRunPathArray out = KXDocxRunPath::ConvertRect2LineIfNeed({run});
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(run->runLineType(), c.type);
        if (c.weight > 0) {
            EXPECT_NEAR(run->pictInfo()->strokeweight(), c.weight, 1e-9);
            EXPECT_TRUE(run->pictInfo()->stroked());
            EXPECT_FALSE(run->pictInfo()->filled());
            EXPECT_EQ(run->pictInfo()->strokecolorString(), "#FF0000") << "the line keeps the fill colour";
            expectRect(run->boundingBox(), c.rect.origin.x, c.rect.origin.y, c.rect.size.width, c.rect.size.height);
        } else {
            EXPECT_TRUE(run->pictInfo()->filled());
        }
    }
}

// A thin shape drawn in pieces is judged by its box alone: it becomes one line from end to end of
// the box, room between the pieces or not (a rule under some columns of a table, painted in one path
// with the small squares where the other rules meet it, becomes a rule across the whole table).
TEST(KXDocxRunPathCleanUp, ThinShapeInPiecesIsOneLineAcrossItsBox) {
    struct Case {
        const char* name;
        std::vector<kx::Rect> pieces;
        int type;
    };
    const Case cases[] = {
        {"bars end to end", {{0, 100, 50, 0.5}, {50, 100, 50, 0.5}}, 1},
        {"bars 5 apart", {{0, 100, 50, 0.5}, {55, 100, 50, 0.5}}, 1},
        {"bars 6 apart", {{0, 100, 50, 0.5}, {56, 100, 50, 0.5}}, 1},
        {"squares where rules meet, a bar under the last columns only",
         {{81.2, 118.1, 1.4, 0.5}, {179.2, 118.1, 0.5, 0.5}, {228.6, 118.1, 0.5, 0.5}, {229.1, 118.1, 49.9, 0.45}}, 1},
        {"a square at each end of the bar", {{10, 50, 1.4, 0.5}, {11.4, 50, 60, 0.5}, {71.4, 50, 1.4, 0.5}}, 1},
        {"upright bars with room between them", {{40, 0, 0.5, 30}, {40, 60, 0.5, 30}}, 2},
        {"upright bars overlapping", {{40, 0, 0.5, 30}, {40, 20, 0.5, 30}}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kx::Path path;
        for (const kx::Rect& r : c.pieces) path.addRect(r);
        auto run = pathRun(path, filled(kRed));
        run->setRunLinePointArray(std::nullopt);
        const kx::Rect box = run->boundingBox();
        KXDocxRunPath::ConvertRect2LineIfNeed({run});
        EXPECT_EQ(run->runLineType(), c.type);
        EXPECT_FALSE(run->pictInfo()->filled());
        EXPECT_EQ(run->runCGPath(), c.type == 1 ? linePath(box.minX(), box.midY(), box.maxX(), box.midY())
                                                : linePath(box.midX(), box.minY(), box.midX(), box.maxY()));
        expectRect(run->boundingBox(), box.origin.x, box.origin.y, box.size.width, box.size.height);
    }
}

TEST(KXDocxRunPathCleanUp, RectanglePiecesMergeUnlessTheyWouldCoverSomething) {
    {
        auto left = pathRun(rectPath(0, 0, 10, 10), filled(kGrey), 0);
        auto right = pathRun(rectPath(10, 0, 10, 10), filled(kGrey), 1);
        const KXDocxRunPathArray out = KXDocxRunPath::MergeOverlapRectangesIfNeed({left, right});
        ASSERT_EQ(out, KXDocxRunPathArray({right})) << "the last painted piece holds the union";
        EXPECT_EQ(right->runLineType(), KXDocxRunPath::kLineTypeRect);
        EXPECT_EQ(right->pictInfo()->strokeweight(), 0);
        EXPECT_TRUE(right->pictInfo()->filled());
        EXPECT_FALSE(right->pictInfo()->stroked());
        expectRect(right->boundingBox(), 0, 0, 20, 10);
        expectRect(right->displayRect(), 0, 0, 20, 10);
    }
    struct Case {
        const char* name;
        KXDocxRunPathArray runs;
        size_t kept;
    };
    const Case cases[] = {
        {"L shape", {pathRun(rectPath(0, 0, 30, 10), filled(kGrey), 0), pathRun(rectPath(0, 10, 10, 30), filled(kGrey), 1)},
         2},
        {"two colours",
         {pathRun(rectPath(0, 0, 10, 10), filled(kGrey), 0), pathRun(rectPath(10, 0, 10, 10), filled(kRed), 1)}, 2},
        {"something painted between them",
         {pathRun(rectPath(0, 0, 10, 10), filled(kGrey), 0), pathRun(rectPath(12, 2, 3, 3), filled(kRed), 1),
          pathRun(rectPath(10, 0, 10, 10), filled(kGrey), 2)},
         3},
        {"a row of four",
         {pathRun(rectPath(0, 0, 10, 10), filled(kGrey), 0), pathRun(rectPath(10, 0, 10, 10), filled(kGrey), 1),
          pathRun(rectPath(20, 0, 10, 10), filled(kGrey), 2), pathRun(rectPath(30, 0, 10, 10), filled(kGrey), 3)},
         1},
        {"outlines stay", {pathRun(rectPath(0, 0, 10, 10), stroked(1), 0), pathRun(rectPath(10, 0, 10, 10), stroked(1), 1)},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KXDocxRunPath::MergeOverlapRectangesIfNeed(c.runs).size(), c.kept);
    }
}
