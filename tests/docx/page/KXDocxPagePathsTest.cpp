// The page's painted paths: underline, strike-through and highlight taken from them, the clean-up
// of the page's paths (specks, background, duplicates, pieces), the white background under a table
// and the stacking of shapes against the text.

#include <gtest/gtest.h>

#include <optional>

#include "docx/model/DocxModelFixtures.h"
#include "docx/model/PathRunFixtures.h"
#include "docx/page/KXDocxPage.h"

using namespace kx::test;

namespace {

const kx::Color kRed{1, 0, 0, 1};
const kx::Color kWhite{1, 1, 1, 1};
const kx::Color kGrey{0.85, 0.85, 0.85, 1};

// A word of 12-point text from x = 100 to 160 on the baseline y = 200: glyph box 190.4 to 202.4.
RunSpec word(std::uint64_t scan = 0) {
    RunSpec s;
    s.text = u"word";
    s.x = 100;
    s.width = 60;
    s.yBase = 200;
    s.height = 12;
    s.scan = scan;
    return s;
}

struct PageWith {
    KXDocxPage page{nullptr, {612, 792}, true, true};
    std::shared_ptr<KXDocxRunText> text;

    PageWith(const RunSpec& spec, KXDocxRunPathArray paths) {
        text = makeRun(spec);
        page.allRunTextArray().push_back(text);
        page.allRunPathArray() = std::move(paths);
    }
};

}  // namespace

TEST(KXDocxPagePaths, LinesUnderAndThroughTextBecomeRunProperties) {
    struct Case {
        const char* name;
        std::shared_ptr<KXDocxRunPath> line;
        int u, strike;
        bool lineStays;
    };
    const Case cases[] = {
        {"0.5 below the baseline, as long as the text", pathRun(linePath(100, 200.5, 160, 200.5), stroked(0.6), 1), 1,
         0, false},
        {"a little longer than the text", pathRun(linePath(95, 200.5, 166, 200.5), stroked(0.6), 1), 1, 0, false},
        {"in another colour", pathRun(linePath(100, 200.5, 160, 200.5), stroked(0.6, kRed), 1), 0, 0, true},
        {"through the middle", pathRun(linePath(100, 196, 160, 196), stroked(0.6), 1), 0, 1, false},
        {"longer by more than the text's height", pathRun(linePath(80, 200.5, 180, 200.5), stroked(0.6), 1), 0, 0,
         true},
        {"three points below", pathRun(linePath(100, 203, 160, 203), stroked(0.6), 1), 0, 0, true},
        {"thicker than 10", pathRun(linePath(100, 196, 160, 196), stroked(11), 1), 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageWith p(word(), {c.line});
        p.page.convertPathsForUnderLineIfNeed();
        EXPECT_EQ(p.text->rProperty().u, c.u);
        EXPECT_EQ(p.text->rProperty().strikethrough, c.strike);
        EXPECT_EQ(p.page.allRunPathArray().size(), c.lineStays ? 1u : 0u);
    }
}

TEST(KXDocxPagePaths, FilledRectanglesAroundTextBecomeItsBackground) {
    struct Case {
        const char* name;
        std::shared_ptr<KXDocxRunPath> box;
        bool highlighted;
    };
    Paint framed = filled({1, 1, 0, 1});
    framed.stroke = true;
    const Case cases[] = {
        {"around the word", pathRun(rectPath(99, 189.4, 62, 14), filled({1, 1, 0, 1}), 0), true},
        {"wider than the word by 4", pathRun(rectPath(98, 189.4, 64, 14), filled({1, 1, 0, 1}), 0), false},
        {"not around all of it", pathRun(rectPath(110, 189.4, 62, 14), filled({1, 1, 0, 1}), 0), false},
        {"taller than 100", pathRun(rectPath(99, 100, 62, 101), filled({1, 1, 0, 1}), 0), false},
        {"stroked too", pathRun(rectPath(99, 189.4, 62, 14), framed, 0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageWith p(word(1), {c.box});
        p.page.convertPathsForHighLightIfNeed();
        EXPECT_EQ(p.text->rProperty().background, c.highlighted);
        EXPECT_EQ(p.page.allRunPathArray().size(), c.highlighted ? 0u : 1u);
        if (c.highlighted) {
            const KXDocx_Color b = p.text->rProperty().backgroundcolor;
            EXPECT_EQ(std::vector<int>({b.red, b.green, b.blue, b.alpha}), std::vector<int>({255, 255, 0, 255}));
        }
    }
}

TEST(KXDocxPagePaths, FilteringDropsSpecksBackgroundsAndRepeats) {
    struct Case {
        const char* name;
        KXDocxRunPathArray paths;
        size_t kept;
        std::optional<kx::Rect> image = std::nullopt;  // a picture on the page
    };
    auto blackLine = [](std::uint64_t scan) { return pathRun(linePath(100, 500, 300, 500), stroked(1), scan); };
    const Case cases[] = {
        {"a speck", {pathRun(rectPath(10, 10, 0.5, 0.5), filled(), 0), blackLine(1)}, 1},
        {"a short line", {pathRun(linePath(10, 10, 12, 10), stroked(0.5), 0)}, 1},
        {"white page with a white repeat",
         {pathRun(rectPath(0, 0, 612, 792), filled(kWhite), 0), pathRun(rectPath(50, 50, 100, 100), filled(kWhite), 1),
          blackLine(2)},
         1},
        {"white page alone", {pathRun(rectPath(0, 0, 612, 792), filled(kWhite), 0), blackLine(1)}, 2},
        // A repeat drawn as a line (rectangles of one colour that overlap would become one).
        {"white page with a white repeat over a picture of the page",
         {pathRun(rectPath(0, 0, 612, 792), filled(kWhite), 0), pathRun(linePath(50, 50, 150, 50), stroked(1, kWhite), 1),
          blackLine(2)},
         3, kx::Rect(0, 0, 612, 792)},
        {"white page with a white repeat over a picture of the page's middle only",
         {pathRun(rectPath(0, 0, 612, 792), filled(kWhite), 0), pathRun(linePath(50, 50, 150, 50), stroked(1, kWhite), 1),
          blackLine(2)},
         1, kx::Rect(153, 198, 306, 396)},
        // The middle of a page is a quarter of its width in from every side: on a page 612 wide,
        // from 153 to 639 down the page.
        {"grey band over the page's middle, a quarter of its height in, with a grey repeat",
         {pathRun(rectPath(0, 190, 612, 412), filled(kGrey), 0), pathRun(linePath(50, 250, 150, 250), stroked(1, kGrey), 1),
          blackLine(2)},
         3},
        {"grey band over the page's middle, a quarter of its width in, with a grey repeat",
         {pathRun(rectPath(0, 150, 612, 492), filled(kGrey), 0), pathRun(linePath(50, 250, 150, 250), stroked(1, kGrey), 1),
          blackLine(2)},
         2},
        {"grey page with a grey repeat",
         {pathRun(rectPath(0, 0, 612, 792), filled(kGrey), 0), pathRun(rectPath(50, 50, 100, 100), filled(kGrey), 1),
          blackLine(2)},
         2},
        {"line in three pieces",
         {pathRun(linePath(10, 100, 50, 100), stroked(0.5), 0), pathRun(linePath(49, 100, 90, 100), stroked(0.5), 1),
          pathRun(linePath(89, 100, 130, 100), stroked(0.5), 2)},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KXDocxPage page(nullptr, {612, 792}, true, true);
        page.allRunPathArray() = c.paths;
        if (c.image) {
            auto image = std::make_shared<KXDocxRunImage>();
            KXDocxImageInfo info;
            info.setDisplayFrame(*c.image);
            image->setPictInfo(info);
            page.allRunImageArray().push_back(image);
        }
        page.filterAllRunPathArray();
        EXPECT_EQ(page.allRunPathArray().size(), c.kept);
    }
}

TEST(KXDocxPagePaths, WhiteBackgroundUnderATable) {
    const kx::Rect table(100, 100, 200, 100);
    auto rule = pathRun(linePath(100, 100, 300, 100), stroked(1), 5);
    struct Case {
        const char* name;
        KXDocxRunPathArray under;
        bool white;
    };
    const Case cases[] = {
        {"nothing under it", {}, true},
        {"light grey under most of it", {pathRun(rectPath(90, 90, 220, 120), filled(kGrey), 1)}, false},
        {"white over grey", {pathRun(rectPath(90, 90, 220, 120), filled(kGrey), 1), pathRun(rectPath(95, 95, 210, 110), filled(kWhite), 2)},
         true},
        {"grey under a corner only", {pathRun(rectPath(90, 90, 50, 50), filled(kGrey), 1)}, true},
        {"grey painted after the table", {pathRun(rectPath(90, 90, 220, 120), filled(kGrey), 6)}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KXDocxPage page(nullptr, {612, 792}, true, true);
        page.allRunPathArray() = c.under;
        page.allRunPathArray().push_back(rule);
        EXPECT_EQ(page.isPageWhiteBackground(table, {rule}, 5), c.white);
    }
}

TEST(KXDocxPagePaths, ShapesNothingCoversComeInFront) {
    auto covered = pathRun(rectPath(90, 180, 100, 40), filled(kGrey), 0);
    covered->setPictZIndex(-251657498);
    auto last = pathRun(rectPath(300, 300, 50, 50), filled(kGrey), 2);
    last->setPictZIndex(-251657497);
    auto underShape = pathRun(rectPath(300, 500, 50, 50), filled(kGrey), 3);
    underShape->setPictZIndex(-251657496);
    auto overShape = pathRun(rectPath(310, 510, 50, 50), filled(kRed), 4);
    overShape->setPictZIndex(-251657495);
    PageWith p(word(1), {covered, last, underShape, overShape});
    p.page._insertFloatRunPicts();
    EXPECT_EQ(covered->pictZIndex(), -251657498) << "the text painted after it stays in front";
    EXPECT_EQ(last->pictZIndex(), 251660288 - 251657497);
    EXPECT_EQ(underShape->pictZIndex(), 251660288 - 251657496) << "shapes are not weighed against shapes";
    EXPECT_EQ(overShape->pictZIndex(), 251660288 - 251657495);
    EXPECT_TRUE(p.page.haveTextUpperInRect({100, 195, 5, 5}, 1)) << "painted at the same moment counts";
    EXPECT_FALSE(p.page.haveTextUpperInRect({100, 195, 5, 5}, 2));
}
