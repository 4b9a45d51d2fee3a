// Line annotations: the entries read, and the line with its endings as one reported path.

#include <gtest/gtest.h>

#include <cmath>

#include "pdf/annot/AnnotFixture.h"
#include "pdf/annot/KXPDFAnnotLine.h"

using kx::PathElementType;
using kx::test::AnnotPage;
using kx::test::RecordingAnnotDelegate;
using kx::test::rgbColor;

namespace {

using E = PathElementType;

struct Step {
    E type;
    kx::Point p;  // the end point (ignored for a close)
};

kx::Point endPoint(const kx::PathElement& e) {
    switch (e.type) {
    case E::AddQuadCurveToPoint: return e.points[1];
    case E::AddCurveToPoint: return e.points[2];
    default: return e.points[0];
    }
}

void expectSteps(const kx::Path& path, const std::vector<Step>& steps) {
    ASSERT_EQ(path.elements().size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& e = path.elements()[i];
        EXPECT_EQ(e.type, steps[i].type);
        if (e.type == E::CloseSubpath) continue;
        EXPECT_NEAR(endPoint(e).x, steps[i].p.x, 1e-9);
        EXPECT_NEAR(endPoint(e).y, steps[i].p.y, 1e-9);
    }
}

const std::vector<Step> kLine = {{E::MoveToPoint, {0, 0}}, {E::AddLineToPoint, {100, 0}}, {E::CloseSubpath, {}}};

std::vector<Step> plus(std::vector<Step> a, const std::vector<Step>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(KXPDFAnnotLine, EndingStyleNames) {
    const std::pair<std::optional<std::string>, std::int64_t> cases[] = {
        {"Square", 0},     {"Circle", 1}, {"Diamond", 2},      {"OpenArrow", 3},    {"ClosedArrow", 4},
        {"None", 5},       {"Butt", 6},   {"ROpenArrow", 7},   {"RClosedArrow", 8}, {"Slash", 9},
        {"closedarrow", 5}, {"", 5},      {std::nullopt, 5},
    };
    for (const auto& [name, code] : cases)
        EXPECT_EQ(KXPDFAnnotLine::PDFAnnotLineEndingStyleForSubtype(name), code) << name.value_or("(none)");
}

TEST(KXPDFAnnotLine, EntriesParsed) {
    AnnotPage page({
        "<< /Type /Annot /Subtype /Line /L [1 2 3 4] /LE [/Diamond /Slash] /IC [1 1 0] /LL 5 /LLE -3 /Cap true "
        "/IT /LineArrow /LLO 2 /CP /Top /CO [7 8] /BS << /W 2 >> >>",
        "<< /Type /Annot /Subtype /Line /L [1 /x] /LLE 4 /IT /LineDimension /CP /Inline /CO [1 2 3] >>",
    });
    auto a = std::dynamic_pointer_cast<KXPDFAnnotLine>(page.annot(0));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->startPoint(), (kx::Point{1, 2}));
    EXPECT_EQ(a->endPoint(), (kx::Point{3, 4}));
    EXPECT_EQ(a->startLineStyle(), 2);
    EXPECT_EQ(a->endLineStyle(), 9);
    EXPECT_EQ(a->interiorColor(), rgbColor(255, 255, 0));
    EXPECT_EQ(a->leaderLineLength(), 5);
    EXPECT_EQ(a->leaderLineExtension(), 0);
    EXPECT_TRUE(a->caption());
    EXPECT_EQ(a->intent(), 1);
    EXPECT_EQ(a->leaderLineOffset(), 2);
    EXPECT_EQ(a->captionPos(), 1);
    EXPECT_EQ(a->captionTextHorizontal(), 7);
    EXPECT_EQ(a->captionTextVertical(), 8);
    EXPECT_EQ(a->border()->lineWidth(), 2);

    auto b = std::dynamic_pointer_cast<KXPDFAnnotLine>(page.annot(1));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->startPoint(), (kx::Point{1, 0}));
    EXPECT_EQ(b->endPoint(), (kx::Point{0, 0}));
    EXPECT_EQ(b->startLineStyle(), 5);
    EXPECT_TRUE(b->interiorColor().isNull);
    EXPECT_EQ(b->leaderLineExtension(), 4);
    EXPECT_EQ(b->intent(), 0);
    EXPECT_EQ(b->captionPos(), 0);
    EXPECT_EQ(b->captionTextHorizontal(), 0);
    EXPECT_EQ(b->border()->lineWidth(), 1);  // the default border
}

TEST(KXPDFAnnotLine, LineAndEndingsAsOnePath) {
    struct Case {
        const char* what;
        const char* entries;
        std::vector<Step> steps;
        bool fill;
        double width;
    };
    const Case cases[] = {
        {"closed arrow at the end", "/LE [/None /ClosedArrow]",
         plus(kLine, {{E::MoveToPoint, {97, 1.5}}, {E::AddLineToPoint, {100, 0}}, {E::AddLineToPoint, {97, -1.5}},
                      {E::CloseSubpath, {}}}),
         false, 1},
        {"closed arrow filled with IC", "/LE [/None /ClosedArrow] /IC [0 0 1]",
         plus(kLine, {{E::MoveToPoint, {97, 1.5}}, {E::AddLineToPoint, {100, 0}}, {E::AddLineToPoint, {97, -1.5}},
                      {E::CloseSubpath, {}}}),
         true, 1},
        {"open arrow at the start points outward", "/LE [/OpenArrow /None] /IC [0 0 1]",
         plus(kLine, {{E::MoveToPoint, {3, -1.5}}, {E::AddLineToPoint, {0, 0}}, {E::AddLineToPoint, {3, 1.5}},
                      {E::AddLineToPoint, {0, 0}}}),
         true, 1},
        {"hairline border: 4-point boxes, 6-point heads", "/LE [/None /ClosedArrow] /BS << /W 0 >>",
         plus(kLine, {{E::MoveToPoint, {94, 3}}, {E::AddLineToPoint, {100, 0}}, {E::AddLineToPoint, {94, -3}},
                      {E::CloseSubpath, {}}}),
         false, 0},
        {"diamond at the end", "/LE [/None /Diamond]",
         plus(kLine, {{E::MoveToPoint, {97, 0}}, {E::AddLineToPoint, {98.5, 1.5}}, {E::AddLineToPoint, {100, 0}},
                      {E::AddLineToPoint, {98.5, -1.5}}, {E::CloseSubpath, {}}}),
         false, 1},
        {"square at the start", "/LE [/Square /None] /BS << /W 2 >>",
         plus(kLine, {{E::MoveToPoint, {-2, -2}}, {E::AddLineToPoint, {2, -2}}, {E::AddLineToPoint, {2, 2}},
                      {E::AddLineToPoint, {-2, 2}}, {E::CloseSubpath, {}}}),
         false, 2},
        {"endings that draw nothing still fill", "/LE [/Butt /Slash] /IC [0 0 1]", kLine, true, 1},
        {"no endings never fill", "/IC [0 0 1]", kLine, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AnnotPage page({std::string("<< /Type /Annot /Subtype /Line /L [0 0 100 0] /C [1 0 0] ") + c.entries + " >>"});
        RecordingAnnotDelegate recorder;
        auto collection = replay(page, recorder);
        ASSERT_EQ(recorder.reports.size(), 1u);
        const auto& r = recorder.reports[0];
        expectSteps(r.path, c.steps);
        EXPECT_TRUE(r.stroke);
        EXPECT_EQ(r.fill, c.fill);
        EXPECT_EQ(r.strokeColor, rgbColor(255, 0, 0));
        EXPECT_EQ(r.strokeSpaceKey, "KXPDFAnnotLine");
        EXPECT_EQ(r.lineWidth, c.width);
        if (c.fill) {
            EXPECT_EQ(r.fillColor, rgbColor(0, 0, 255));
        }
    }
}

TEST(KXPDFAnnotLine, CircleEndingIsInscribedInItsBox) {
    AnnotPage page({"<< /Type /Annot /Subtype /Line /L [0 0 100 0] /LE [/None /Circle] /BS << /W 2 >> >>"});
    RecordingAnnotDelegate recorder;
    auto collection = replay(page, recorder);
    ASSERT_EQ(recorder.reports.size(), 1u);
    kx::Path ending;
    for (size_t i = 3; i < recorder.reports[0].path.elements().size(); ++i)
        ending.addElement(recorder.reports[0].path.elements()[i]);
    kx::Rect box = ending.pathBoundingBox();
    EXPECT_NEAR(box.minX(), 98, 1e-9);
    EXPECT_NEAR(box.maxX(), 102, 1e-9);
    EXPECT_NEAR(box.minY(), -2, 1e-9);
    EXPECT_NEAR(box.maxY(), 2, 1e-9);
}

TEST(KXPDFAnnotLine, DegenerateLineHasNoEndingsAndNoNaN) {
    for (const char* le : {"[/ClosedArrow /OpenArrow]", "[/Diamond /Square]", "[/Circle /Circle]"}) {
        SCOPED_TRACE(le);
        AnnotPage page({std::string("<< /Type /Annot /Subtype /Line /L [50 60 50 60] /LE ") + le + " >>"});
        RecordingAnnotDelegate recorder;
        auto collection = replay(page, recorder);
        ASSERT_EQ(recorder.reports.size(), 1u);
        expectSteps(recorder.reports[0].path,
                    {{E::MoveToPoint, {50, 60}}, {E::AddLineToPoint, {50, 60}}, {E::CloseSubpath, {}}});
    }
    // The ending operations themselves give nothing for a direction of length 0.
    EXPECT_FALSE(KXPDFAnnotLine::ArrowPathFrom({5, 5}, {5, 5}, 1, true));
    EXPECT_FALSE(KXPDFAnnotLine::DiamondPathFrom({5, 5}, {5, 5}, 1));
    auto arrow = KXPDFAnnotLine::ArrowPathFrom({0, 0}, {3, 4}, 1, false);
    ASSERT_TRUE(arrow);
    for (const auto& e : arrow->elements())
        for (int i = 0; i < e.pointCount(); ++i) EXPECT_TRUE(std::isfinite(e.points[static_cast<size_t>(i)].x));
    EXPECT_NEAR(arrow->elements()[1].points[0].x, 3, 1e-6);  // the tip is the end point
    EXPECT_NEAR(arrow->elements()[1].points[0].y, 4, 1e-6);
}

TEST(KXPDFAnnotLine, AppearanceStreamReplacesTheDrawing) {
    AnnotPage page({"<< /Type /Annot /Subtype /Line /L [0 0 100 0] /LE [/None /ClosedArrow] /AP << /N {AP} >> >>"});
    RecordingAnnotDelegate recorder;
    auto collection = replay(page, recorder);
    ASSERT_EQ(recorder.reports.size(), 1u);
    EXPECT_EQ(recorder.reports[0].kind, "stream");
}
