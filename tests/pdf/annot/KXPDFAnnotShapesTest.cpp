// Text markup, squares and circles, ink and text notes: what they parse and the paths they report.

#include <gtest/gtest.h>

#include "pdf/annot/AnnotFixture.h"
#include "pdf/annot/KXPDFAnnotCircel.h"
#include "pdf/annot/KXPDFAnnotInk.h"
#include "pdf/annot/KXPDFAnnotText.h"
#include "pdf/annot/KXPDFAnnotTextMarkup.h"

using kx::PathElementType;
using kx::test::AnnotPage;
using kx::test::nullColor;
using kx::test::RecordingAnnotDelegate;
using kx::test::rgbColor;

namespace {

std::vector<RecordingAnnotDelegate::Report> reportsOf(const std::string& annot) {
    AnnotPage page({annot});
    RecordingAnnotDelegate recorder;
    auto collection = replay(page, recorder);
    return recorder.reports;
}

// The segments of a path of moves and lines, as (from, to) pairs.
std::vector<std::pair<kx::Point, kx::Point>> segments(const kx::Path& path) {
    std::vector<std::pair<kx::Point, kx::Point>> out;
    kx::Point at;
    for (const auto& e : path.elements()) {
        if (e.type == PathElementType::AddLineToPoint) out.push_back({at, e.points[0]});
        if (e.type == PathElementType::MoveToPoint || e.type == PathElementType::AddLineToPoint) at = e.points[0];
    }
    return out;
}

}  // namespace

TEST(KXPDFAnnotTextMarkup, QuadrilateralsParsed) {
    AnnotPage page({
        "<< /Type /Annot /Subtype /Highlight /QuadPoints [10 32 110 32 10 20 110 20 0 0 5 0 0 5 5 5] >>",
        "<< /Type /Annot /Subtype /Highlight /QuadPoints [1 2 3 4 5 6 7 8 9 10 11 12] >>",
        "<< /Type /Annot /Subtype /StrikeOut /QuadPoints [1 2 3 4 5 6 7 /x] >>",
        "<< /Type /Annot /Subtype /Underline /QuadPoints [] >>",
    });
    auto a = std::dynamic_pointer_cast<KXPDFAnnotTextMarkup>(page.annot(0));
    ASSERT_TRUE(a && a->quadrilateralPoints());
    EXPECT_EQ(a->quadrilateralPoints()->size(), 8u);
    EXPECT_EQ(a->lineRects(), (std::vector<kx::Rect>{{10, 20, 100, 12}, {0, 0, 5, 5}}));
    EXPECT_EQ(a->markupType(), 0);
    auto b = std::dynamic_pointer_cast<KXPDFAnnotTextMarkup>(page.annot(1));
    EXPECT_FALSE(b->quadrilateralPoints());  // 12 entries: no quadrilaterals at all
    auto c = std::dynamic_pointer_cast<KXPDFAnnotTextMarkup>(page.annot(2));
    EXPECT_FALSE(c->quadrilateralPoints());
    EXPECT_EQ(c->markupType(), 1);
    auto d = std::dynamic_pointer_cast<KXPDFAnnotTextMarkup>(page.annot(3));
    ASSERT_TRUE(d->quadrilateralPoints());
    EXPECT_TRUE(d->quadrilateralPoints()->empty());
    EXPECT_EQ(d->markupType(), 2);
}

TEST(KXPDFAnnotTextMarkup, HighlightFillsUnderlineAndStrikeOutStroke) {
    const std::string quad = "/QuadPoints [10 32 110 32 10 20 110 20] /C [1 1 0]";
    // Also with an appearance stream: markup is drawn from its quadrilaterals.
    auto hl = reportsOf("<< /Type /Annot /Subtype /Highlight " + quad + " /AP << /N {AP} >> >>");
    ASSERT_EQ(hl.size(), 1u);
    kx::Rect r;
    EXPECT_TRUE(hl[0].path.isRect(&r));
    EXPECT_EQ(r, kx::Rect(10, 20, 100, 12));
    EXPECT_FALSE(hl[0].stroke);
    EXPECT_TRUE(hl[0].fill);
    EXPECT_EQ(hl[0].fillColor, rgbColor(255, 255, 0));

    struct Case {
        const char* subtype;
        const char* quads;
        std::pair<kx::Point, kx::Point> segment;
        double width;
    };
    const Case cases[] = {
        {"Underline", "[10 32 110 32 10 20 110 20]", {{10, 22}, {110, 22}}, 1},  // 0.72 rounds up to 1
        {"StrikeOut", "[10 32 110 32 10 20 110 20]", {{10, 26}, {110, 26}}, 1},
        {"StrikeOut", "[0 50 200 50 0 0 200 0]", {{0, 25}, {200, 25}}, 3},
        {"Underline", "[0 100 200 100 0 0 200 0]", {{0, 2}, {200, 2}}, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.subtype) + " " + c.quads);
        auto reports = reportsOf(std::string("<< /Type /Annot /Subtype /") + c.subtype + " /QuadPoints " + c.quads +
                                 " /C [0 0 1] >>");
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(segments(reports[0].path), (std::vector<std::pair<kx::Point, kx::Point>>{c.segment}));
        EXPECT_TRUE(reports[0].stroke);
        EXPECT_FALSE(reports[0].fill);
        EXPECT_EQ(reports[0].lineWidth, c.width);
        EXPECT_TRUE(reports[0].dash.empty());
        EXPECT_EQ(reports[0].strokeColor, rgbColor(0, 0, 255));
        EXPECT_EQ(reports[0].strokeSpaceKey, "KXPDFAnnotGeometry");
    }

    auto malformed = reportsOf("<< /Type /Annot /Subtype /Underline /QuadPoints [1 2 3] >>");
    ASSERT_EQ(malformed.size(), 1u);
    EXPECT_TRUE(malformed[0].path.isEmpty());
    EXPECT_EQ(malformed[0].lineWidth, 1);
}

TEST(KXPDFAnnotGeometry, SquareAndCircleStrokeAndFill) {
    auto circle = reportsOf("<< /Type /Annot /Subtype /Circle /Rect [0 0 100 50] /IC [1 1 0] >>");
    ASSERT_EQ(circle.size(), 1u);
    EXPECT_FALSE(circle[0].path.isRect());
    kx::Rect box = circle[0].path.pathBoundingBox();
    EXPECT_NEAR(box.minX(), 0, 1e-9);
    EXPECT_NEAR(box.maxX(), 100, 1e-9);
    EXPECT_NEAR(box.maxY(), 50, 1e-9);
    EXPECT_TRUE(circle[0].stroke);  // the default border is 1 wide
    EXPECT_EQ(circle[0].lineWidth, 1);
    EXPECT_EQ(circle[0].strokeColor, nullColor());  // no /C
    EXPECT_TRUE(circle[0].fill);
    EXPECT_EQ(circle[0].fillColor, rgbColor(255, 255, 0));

    auto square = reportsOf("<< /Type /Annot /Subtype /Square /Rect [10 10 30 40] /C [0 0 1] /CA 0.5 /IC [1 0 0] "
                            "/BS << /W 3 /S /D >> /RD [1 2 3 4] >>");
    ASSERT_EQ(square.size(), 1u);
    kx::Rect r;
    EXPECT_TRUE(square[0].path.isRect(&r));
    EXPECT_EQ(r, kx::Rect(10, 10, 20, 30));  // the bounds, not the inner rectangle
    EXPECT_EQ(square[0].lineWidth, 3);
    EXPECT_EQ(square[0].dash, (std::vector<double>{3}));
    KXPDFColor stroke = rgbColor(0, 0, 255), fill = rgbColor(255, 0, 0);
    stroke.length = fill.length = 4;  // the opacity rides along
    stroke.c[3] = fill.c[3] = 127;
    EXPECT_EQ(square[0].strokeColor, stroke);
    EXPECT_EQ(square[0].fillColor, fill);

    auto bare = reportsOf("<< /Type /Annot /Subtype /Square /Rect [0 0 10 10] /BS << /W 0 >> >>");
    ASSERT_EQ(bare.size(), 1u);  // reported even with neither stroke nor fill
    EXPECT_FALSE(bare[0].stroke);
    EXPECT_FALSE(bare[0].fill);

    AnnotPage page({"<< /Type /Annot /Subtype /Circle /Rect [10 10 30 40] /RD [1 2 3 4] /BE << /S /C /I 2 >> >>"});
    auto c = std::dynamic_pointer_cast<KXPDFAnnotCircel>(page.annot(0));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->geometryRect(), kx::Rect(11, 14, 16, 24));
    EXPECT_EQ(c->borderEffect().effectType(), 1);
}

TEST(KXPDFAnnotInk, OneStrokedPathPerStroke) {
    auto reports = reportsOf("<< /Type /Annot /Subtype /Ink /C [0 1 0] /InkList [[0 0 10 10 20 0] [5 5 6 6] [1 2 3] "
                             "/x [7 7 /y 8]] /BS << /W 2 >> >>");
    ASSERT_EQ(reports.size(), 4u);  // the name entry is not a stroke
    EXPECT_EQ(segments(reports[0].path), (std::vector<std::pair<kx::Point, kx::Point>>{{{0, 0}, {10, 10}},
                                                                                       {{10, 10}, {20, 0}}}));
    EXPECT_EQ(reports[1].path.elements().size(), 2u);
    EXPECT_TRUE(reports[2].path.isEmpty());  // an odd count
    EXPECT_TRUE(reports[3].path.isEmpty());  // a coordinate that is no number
    for (const auto& r : reports) {
        EXPECT_TRUE(r.stroke);
        EXPECT_FALSE(r.fill);
        EXPECT_EQ(r.lineWidth, 2);
        EXPECT_EQ(r.strokeColor, rgbColor(0, 255, 0));
        EXPECT_EQ(r.strokeSpaceKey, "KXPDFAnnotInk");
    }
}

TEST(KXPDFAnnotText, NoteReportsNothingAndKeepsItsEntries) {
    EXPECT_TRUE(reportsOf("<< /Type /Annot /Subtype /Text /AP << /N {AP} >> >>").empty());

    struct Case {
        const char* entries;
        bool open;
        std::int64_t icon, state;
    };
    const Case cases[] = {
        {"/Open true /Name /Key", true, 1, 0},
        {"/Name /Circle /State /Accepted", false, 8, 0},  // a state without a model counts for nothing
        {"/Name /Star /StateModel /Review /State /Accepted", false, 2, 3},
        {"/StateModel /Review /State /Marked", false, 2, 0},
        {"/StateModel /Review", false, 2, 7},
        {"/StateModel /Marked /State /Unmarked", false, 2, 2},
        {"/StateModel /Marked /State /Rejected", false, 2, 0},
        {"/StateModel /Marked", false, 2, 1},
        {"/StateModel /Other /State /Marked", false, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries);
        AnnotPage page({std::string("<< /Type /Annot /Subtype /Text ") + c.entries + " >>"});
        auto note = std::dynamic_pointer_cast<KXPDFAnnotText>(page.annot(0));
        ASSERT_TRUE(note);
        EXPECT_EQ(note->open(), c.open);
        EXPECT_EQ(note->iconType(), c.icon);
        EXPECT_EQ(note->state(), c.state);
    }
}
