// Paths, colours, clipping and painting, graphics states and marked content, run through the
// interpreter from hand-written content streams.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/LeftOut.h"
#include "pdf/color/KXPDFICCBasedColorSpace.h"
#include "pdf/interpreter/InterpreterTestSupport.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "support/ICCFixtures.h"

using namespace kx;
using kx::test::PDFBuilder;
using kx::test::runContent;

namespace {

std::vector<PathElementType> typesOf(const Path& p) {
    std::vector<PathElementType> out;
    for (auto& e : p.elements()) out.push_back(e.type);
    return out;
}

}  // namespace

TEST(KXPDFConentParserPainting, OperatorsReportDeviceSpacePathsWithTheirFlags) {
    struct Case {
        const char* op;
        bool closed, stroke, fill, evenOdd;
    } cases[] = {
        {"b", true, true, true, false},   {"B", false, true, true, false},  {"b*", true, true, true, true},
        {"B*", false, true, true, true},  {"f", false, false, true, false}, {"F", false, false, true, false},
        {"f*", false, false, true, true}, {"s", true, true, false, false},  {"S", false, true, false, false},
    };
    for (const Case& c : cases) {
        auto run = runContent(std::string("2 0 0 2 100 100 cm 0 0 m 10 0 l 10 10 l ") + c.op);
        ASSERT_TRUE(run->parser) << c.op;
        ASSERT_EQ(run->recorder.paths.size(), 1u) << c.op;
        const auto& r = run->recorder.paths[0];
        EXPECT_FALSE(r.pattern) << c.op;
        EXPECT_EQ(r.stroke, c.stroke) << c.op;
        EXPECT_EQ(r.fill, c.fill) << c.op;
        EXPECT_EQ(r.state.usesEvenOddFillRule(), c.evenOdd) << c.op;
        std::vector<PathElementType> expected = {PathElementType::MoveToPoint, PathElementType::AddLineToPoint,
                                                 PathElementType::AddLineToPoint};
        if (c.closed) expected.push_back(PathElementType::CloseSubpath);
        EXPECT_EQ(typesOf(r.path), expected) << c.op;
        EXPECT_EQ(r.path.elements()[0].points[0], (Point{100, 100})) << c.op;
        EXPECT_EQ(r.path.elements()[2].points[0], (Point{120, 120})) << c.op;
        // The receiver finds the same page-space path in the state; afterwards the path is empty.
        EXPECT_EQ(r.state.cgPath(), r.path) << c.op;
        EXPECT_TRUE(run->stack->topRenderingState().cgPath().isEmpty()) << c.op;
    }
}

TEST(KXPDFConentParserPainting, PathConstructionOperators) {
    auto run = runContent("10 20 m 30 40 l 1 2 3 4 5 6 c 7 8 9 10 v 11 12 13 14 y h 100 100 20 10 re S");
    ASSERT_EQ(run->recorder.paths.size(), 1u);
    const auto& e = run->recorder.paths[0].path.elements();
    ASSERT_EQ(e.size(), 11u);
    EXPECT_EQ(e[2].points, (std::array<Point, 3>{Point{1, 2}, Point{3, 4}, Point{5, 6}}));
    // v: the current point is the first control point; y: the end point is the second.
    EXPECT_EQ(e[3].points, (std::array<Point, 3>{Point{5, 6}, Point{7, 8}, Point{9, 10}}));
    EXPECT_EQ(e[4].points, (std::array<Point, 3>{Point{11, 12}, Point{13, 14}, Point{13, 14}}));
    EXPECT_EQ(e[5].type, PathElementType::CloseSubpath);
    Rect box;
    Path rect;
    for (size_t i = 6; i < e.size(); ++i) rect.addElement(e[i]);
    ASSERT_TRUE(rect.isRect(&box));
    EXPECT_EQ(box, Rect(100, 100, 20, 10));
}

TEST(KXPDFConentParserPainting, NothingIsReportedForInvisiblePaint) {
    const std::string gs = "<< /ExtGState << /Faint << /ca 0.005 /CA 0.005 >> /Edge << /ca 0.01 >> "
                           "/FillOnly << /ca 0.005 >> >> >>";
    struct Case {
        const char* content;
        size_t reports;
    } cases[] = {
        {"/Faint gs 0 0 10 10 re f", 0},
        {"/Edge gs 0 0 10 10 re f", 1},
        {"/FillOnly gs 0 0 10 10 re B", 1},  // the stroke is still visible
        {"/FillOnly gs 0 0 10 10 re S", 1},
        {"/Faint gs 0 0 10 10 re B", 0},
        {"7 Tr 0 0 10 10 re f", 0},
        {"BT 3 Tr ET 0 0 10 10 re f", 1},
        {"BT 4 Tr ET 0 0 10 10 re f", 0},
        {"0 0 m f", 1},  // a lone move is still a path
        {"f", 0},        // no path at all
    };
    for (const Case& c : cases) {
        auto run = runContent(c.content, gs);
        EXPECT_EQ(run->recorder.paths.size(), c.reports) << c.content;
        EXPECT_TRUE(run->stack->topRenderingState().cgPath().isEmpty()) << c.content;
    }
}

TEST(KXPDFConentParserColors, OperatorsSetSpacesAndComponents) {
    const std::string icc = kx::test::iccGrayProfile(1.0);
    PDFBuilder b;
    int profile = b.addStream("/N 1 /Alternate /DeviceGray", icc);
    int cmykICC = b.addStream("/N 4 /Alternate /DeviceCMYK", "");
    const std::string resources =
        "<< /ColorSpace << /Gray [/CalGray << /WhitePoint [0.95 1 1.09] >>] /Cal [/CalRGB << >>] "
        "/Lab [/Lab << /WhitePoint [0.9505 1 1.089] >>] /Lin [/ICCBased " + std::to_string(profile) + " 0 R] "
        "/Ink [/ICCBased " + std::to_string(cmykICC) + " 0 R] >> >>";
    struct Case {
        const char* content;
        bool stroke;
        int mode;
        std::vector<int> components;
        KXPDFRGB rgb;
    } cases[] = {
        {"0.5 g", false, 1, {127}, {127, 127, 127}},
        {"0.25 G", true, 1, {63}, {63, 63, 63}},
        {"2 g", false, 1, {510}, {255, 255, 255}},
        {"1 0 0 rg", false, 3, {255, 0, 0}, {255, 0, 0}},
        {"0 0.5 1 RG", true, 3, {0, 127, 255}, {0, 127, 255}},
        {"1 0 0 0 k", false, 5, {255, 0, 0, 0}, {0, 172, 239}},
        {"0 0 0 1 K", true, 5, {0, 0, 0, 255}, {35, 31, 32}},
        {"/DeviceGray cs 0.3 sc", false, 1, {76, 76, 76}, {76, 76, 76}},
        {"/DeviceRGB CS 0.2 0.4 0.6 SC", true, 3, {51, 102, 153}, {51, 102, 153}},
        {"/DeviceRGB cs 0.2 sc", false, 3, {51, 51, 51}, {51, 51, 51}},  // too few: the one value fills
        {"/DeviceCMYK cs", false, 5, {0, 0, 0, 255}, {35, 31, 32}},
        {"[/DeviceCMYK] cs", false, 5, {0, 0, 0, 255}, {35, 31, 32}},
        {"/Gray cs 0.5 sc", false, 2, {127, 127, 127}, {127, 127, 127}},
        {"/Cal cs 1 0.5 0 scn", false, 4, {255, 127, 0}, {255, 127, 0}},
        {"/Lab cs 100 0 0 sc", false, 6, {25500, 0, 0}, {255, 255, 255}},
        {"/Lab cs 0 0 0 sc", false, 6, {0, 0, 0}, {0, 0, 0}},
        {"/Ink cs 1 0 0 0 sc", false, 7, {255, 0, 0, 0}, {0, 172, 239}},
        {"1 0 0 rg /Nope cs", false, 3, {255, 0, 0}, {255, 0, 0}},  // unknown space: nothing changes
        {"1 0 0 rg /DeviceRGB cs", false, 3, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        PDFBuilder copy = b;
        auto run = runContent(copy, c.content, resources);
        ASSERT_TRUE(run->parser) << c.content;
        const KXPDFRenderState& st = run->stack->topRenderingState();
        const auto& space = c.stroke ? st.strokeColorSpace() : st.fillColorSpace();
        const KXPDFColor& color = c.stroke ? st.strokeColor() : st.fillColor();
        ASSERT_TRUE(space) << c.content;
        EXPECT_EQ(space->getMode(), c.mode) << c.content;
        for (size_t i = 0; i < c.components.size(); ++i) EXPECT_EQ(color.c[i], c.components[i]) << c.content << " #" << i;
        EXPECT_EQ(c.stroke ? st.currentStrokeRGBColor() : st.currentFillRGBColor(), c.rgb) << c.content;
    }

    // The linear-light profile turns half gray into a light sRGB gray; the alternate would not.
    PDFBuilder copy = b;
    auto run = runContent(copy, "/Lin cs 0.5 sc", resources);
    KXPDFRGB rgb = run->stack->topRenderingState().currentFillRGBColor();
    EXPECT_NEAR(rgb.r, 188, 8);
    kx::Color device = run->stack->topRenderingState().currentFillColor();
    EXPECT_NEAR(device.red, rgb.r / 255.0, 1e-6);
    EXPECT_EQ(device.alpha, 1.0);
}

TEST(KXPDFConentParserColors, OperatorSpacesCarryTheirKeys) {
    auto run = runContent("0.5 g 1 0 0 RG");
    const KXPDFRenderState& st = run->stack->topRenderingState();
    EXPECT_EQ(st.fillColorSpace()->objectKey(), "opt_g");
    EXPECT_EQ(st.strokeColorSpace()->objectKey(), "opt_RG");
    auto fresh = runContent("");
    EXPECT_EQ(fresh->stack->topRenderingState().fillColorSpace()->objectKey(), "KXPDFRenderState init");
    auto named = runContent("/DeviceCMYK cs");
    EXPECT_EQ(named->stack->topRenderingState().fillColorSpace()->objectKey(), "opt_CS");
}

TEST(KXPDFConentParserColors, PatternSpacesReportPatternPaths) {
    struct Case {
        const char* content;
        bool pattern, stroke, fill;
    } cases[] = {
        {"/Pattern cs /P1 scn 0 0 10 10 re f", true, false, true},
        {"/Pattern CS /P1 SCN 1 0 0 rg 0 0 10 10 re B", true, true, false},
        {"/Pattern cs /P1 scn 0 0 10 10 re B", true, false, true},
        {"/Pattern cs /P1 scn 0 0 10 10 re S", false, true, false},
        {"/Pattern cs /P1 scn 0 g 0 0 10 10 re f", false, false, true},  // g leaves the pattern space
    };
    for (const Case& c : cases) {
        auto run = runContent(c.content);
        ASSERT_EQ(run->recorder.paths.size(), 1u) << c.content;
        const auto& r = run->recorder.paths[0];
        EXPECT_EQ(r.pattern, c.pattern) << c.content;
        EXPECT_EQ(r.stroke, c.stroke) << c.content;
        EXPECT_EQ(r.fill, c.fill) << c.content;
    }
}

TEST(KXPDFConentParserColors, ShadingWithAnUnknownNameStillReports) {
    auto run = runContent("/Sh0 sh sh");
    EXPECT_EQ(run->recorder.shadings, std::vector<bool>{false});
}

TEST(KXPDFConentParserState, LineStyleOperators) {
    auto run = runContent("3.5 w 1 j 2 J 5 M [3 2.5] 1 d 0.5 i");
    const KXPDFRenderState& st = run->stack->topRenderingState();
    EXPECT_EQ(st.lineWidth(), 3.5);
    EXPECT_EQ(st.lineJoinStyle(), 1);
    EXPECT_EQ(st.lineCapStyle(), 2);
    EXPECT_EQ(st.lineMiterLimit(), 5);
    EXPECT_EQ(st.lineDashPattern(), (std::vector<double>{3, 2.5}));
    EXPECT_EQ(st.lineDashPhase(), 1);
    EXPECT_EQ(st.lineFlatness(), 0.5);

    // A dash whose phase is written as a real is kept; a malformed one changes nothing; an empty
    // array is a solid line.
    EXPECT_EQ(runContent("[4 2] 2.0 d")->stack->topRenderingState().lineDashPattern(), (std::vector<double>{4, 2}));
    EXPECT_EQ(runContent("[4 2] 1 d [1] /X d")->stack->topRenderingState().lineDashPattern(), (std::vector<double>{4, 2}));
    EXPECT_TRUE(runContent("[4 2] 1 d [] 0 d")->stack->topRenderingState().lineDashPattern().empty());

    // The defaults.
    const KXPDFRenderState fresh;
    EXPECT_EQ(fresh.lineWidth(), 1.0);
    EXPECT_EQ(fresh.lineMiterLimit(), 10.0);
    EXPECT_EQ(fresh.lineFlatness(), static_cast<double>(0.6f));
    EXPECT_EQ(fresh.horizontalScaling(), 1.0);
    EXPECT_EQ(fresh.currentFillColor(), (kx::Color{0, 0, 0, 1}));
    EXPECT_EQ(fresh.currentFillRGBColor(), (KXPDFRGB{0, 0, 0}));
    EXPECT_EQ(fresh.fillColor().c[4], 255);
}

TEST(KXPDFConentParserState, CTMConcatenatesOperandMatrixFirst) {
    auto run = runContent("1 0 0 1 10 20 cm 2 0 0 3 0 0 cm 0 0 m 1 1 l S");
    ASSERT_EQ(run->recorder.paths.size(), 1u);
    EXPECT_EQ(run->recorder.paths[0].state.ctm(), (AffineTransform{2, 0, 0, 3, 10, 20}));
    EXPECT_EQ(run->recorder.paths[0].path.elements()[1].points[0], (Point{12, 23}));
}

TEST(KXPDFConentParserClip, ClipListsAndTheirTiming) {
    struct Case {
        const char* content;
        std::vector<size_t> clipsAtReports;  // clip-list size at each report
        size_t clipsAfter;                   // in the final top state
        int firstType;
        Rect firstBox;
    } cases[] = {
        {"10 10 50 50 re W n 0 0 5 5 re f", {1}, 1, 1, Rect(10, 10, 50, 50)},
        // A clip marked before a painting operator clips what follows that operator.
        {"10 10 50 50 re W f 0 0 5 5 re f", {0, 1}, 1, 1, Rect(10, 10, 50, 50)},
        {"10 10 50 50 re W* S 0 0 5 5 re f", {0, 1}, 1, 2, Rect(10, 10, 50, 50)},
        {"10 10 50 50 re W B* 0 0 5 5 re f", {0, 1}, 1, 1, Rect(10, 10, 50, 50)},
        {"q 10 10 50 50 re W n Q 0 0 5 5 re f", {0}, 0, 0, Rect()},
        {"W n 0 0 5 5 re f", {0}, 0, 0, Rect()},
        {"10 10 50 50 re n 0 0 5 5 re f", {0}, 0, 0, Rect()},
        {"2 0 0 2 0 0 cm 10 10 50 50 re W n 0 0 5 5 re f", {1}, 1, 1, Rect(20, 20, 100, 100)},
        {"10 10 50 50 re W n 20 20 5 5 re W* n 0 0 5 5 re f", {2}, 2, 1, Rect(10, 10, 50, 50)},
        // Invisible or suppressed paint still applies its pending clip.
        {"7 Tr 10 10 50 50 re W f 0 Tr 0 0 5 5 re f", {1}, 1, 1, Rect(10, 10, 50, 50)},
    };
    for (const Case& c : cases) {
        auto run = runContent(c.content);
        std::vector<size_t> sizes;
        for (auto& r : run->recorder.paths) sizes.push_back(r.state.clipBezierPaths().size());
        EXPECT_EQ(sizes, c.clipsAtReports) << c.content;
        const auto& clips = run->stack->topRenderingState().clipBezierPaths();
        ASSERT_EQ(clips.size(), c.clipsAfter) << c.content;
        if (clips.empty()) continue;
        EXPECT_EQ(clips.front()->clipType(), c.firstType) << c.content;
        auto path = KXPDFCGPathUtilities::CGPathWithNSArray(clips.front()->pathArray());
        ASSERT_TRUE(path) << c.content;
        Rect box;
        ASSERT_TRUE(path->isRect(&box)) << c.content;
        EXPECT_EQ(box, c.firstBox) << c.content;
        EXPECT_EQ(run->stack->topRenderingState().clip(), 0) << c.content;
    }
}

TEST(KXPDFConentParserGState, AlphasBlendModesAndLineStyleFromGraphicsStates) {
    const std::string resources =
        "<< /ExtGState << /GS0 << /ca 0.5 /CA 0.25 /BM /Multiply /LW 4 /LC 1 /LJ 2 /ML 3 /D [[3 2] 7] "
        "/AIS true /op true /OP true /OPM 1 /SA true >> /GS1 << /BM [/Bogus /SoftLight] >> "
        "/GS2 << /ca 0.75 >> /GS3 << /SMask << /S /Alpha >> >> /GS4 << /SMask /None >> /NotADict 3 >> >>";
    auto run = runContent("[9] 4 d /GS0 gs 0 0 1 1 re f /GS1 gs /GS2 gs /GS3 gs 0 0 1 1 re f /Missing gs /GS4 gs "
                          "/NotADict gs 0 0 1 1 re f",
                          resources);
    ASSERT_EQ(run->recorder.paths.size(), 3u);
    const KXPDFRenderState& a = run->recorder.paths[0].state;
    EXPECT_EQ(a.fillAlpha(), 0.5);
    EXPECT_EQ(a.strokeAlpha(), 0.25);
    EXPECT_EQ(a.blendMode(), 1);
    EXPECT_EQ(a.lineWidth(), 4);
    EXPECT_EQ(a.lineCapStyle(), 1);
    EXPECT_EQ(a.lineJoinStyle(), 2);
    EXPECT_EQ(a.lineMiterLimit(), 3);
    EXPECT_EQ(a.lineDashPattern(), (std::vector<double>{3, 2}));
    EXPECT_EQ(a.lineDashPhase(), 4);  // the graphics state's phase is not applied
    EXPECT_TRUE(a.alphaFlag());
    EXPECT_TRUE(a.fillOverprint());
    EXPECT_TRUE(a.strokeOverprint());
    EXPECT_EQ(a.overprintMode(), 1);
    EXPECT_TRUE(a.strokeAdjust());
    EXPECT_FALSE(a.haveSoftMask());

    const KXPDFRenderState& b = run->recorder.paths[1].state;
    EXPECT_EQ(b.blendMode(), 9);
    EXPECT_EQ(b.fillAlpha(), 0.75);  // only ca changed
    EXPECT_EQ(b.strokeAlpha(), 0.25);
    EXPECT_EQ(b.lineWidth(), 4);
    EXPECT_TRUE(b.haveSoftMask());
    EXPECT_EQ(b.softMaskBlendMode(), 3);

    const KXPDFRenderState& c = run->recorder.paths[2].state;
    EXPECT_FALSE(c.haveSoftMask());  // a named soft mask is no soft mask
    EXPECT_EQ(c.softMaskBlendMode(), 3);
    EXPECT_EQ(c.fillAlpha(), 0.75);
}

TEST(KXPDFConentParserGState, SoftMaskGroupRunsAsAFormWhileFlagged) {
    PDFBuilder b;
    int group = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Group << /S /Transparency >>",
                            "0 0 5 5 re f /GS1 gs");
    auto run = runContent(b, "/GS1 gs 0 0 1 1 re f",
                          "<< /ExtGState << /GS1 << /SMask << /S /Luminosity /G " + std::to_string(group) +
                              " 0 R >> >> >> >>");
    ASSERT_EQ(run->recorder.paths.size(), 2u);
    EXPECT_TRUE(run->recorder.paths[0].state.isParseringExtGState());
    EXPECT_EQ(run->recorder.paths[0].formDepth, 1);
    EXPECT_FALSE(run->recorder.paths[1].state.isParseringExtGState());
    EXPECT_EQ(run->recorder.paths[1].state.softMaskBlendMode(), 15);
    EXPECT_EQ(run->stack->depth(), 1u);
}

TEST(KXPDFConentParserMarkedContent, SequencesNestAndHideNothing) {
    struct Case {
        const char* content;
        size_t depth;
        int topKind;
        int topSuppressed;
    } cases[] = {
        {"", 1, 0, 2},
        {"/Span BMC", 2, 0, 2},
        {"/Span BMC /P << /MCID 0 >> BDC EMC", 2, 0, 2},
        {"/Span BMC EMC EMC EMC", 1, 0, 2},
        {"/Span << /ActualText (fi) >> BDC", 2, 1, 2},
        {"/OC /OCProps BDC", 2, 0, 1},
        {"/Artifact BMC /Sp /Span BDC", 3, 0, 2},
        {"BMC", 2, 0, 2},
        {"/Tag /P1 DP /Tag MP", 1, 0, 2},
    };
    for (const Case& c : cases) {
        auto run = runContent(std::string(c.content) + " 0 0 1 1 re f");
        auto& stack = run->parser->markedContentStack();
        EXPECT_EQ(stack.stack().size(), c.depth) << c.content;
        ASSERT_TRUE(stack.tophMarkedContent()) << c.content;
        EXPECT_EQ(stack.tophMarkedContent()->kind(), c.topKind) << c.content;
        EXPECT_EQ(stack.tophMarkedContent()->ocSuppressed(), c.topSuppressed) << c.content;
        EXPECT_EQ(run->recorder.paths.size(), 1u) << c.content;
    }
}

TEST(KXPDFConentParserState, AnUnbalancedQLeavesAFreshDefaultState) {
    auto run = runContent("1 0 0 rg 5 w Q Q");
    ASSERT_EQ(run->stack->depth(), 1u);
    const KXPDFRenderState& st = run->stack->topRenderingState();
    EXPECT_EQ(st.lineWidth(), 1.0);
    EXPECT_EQ(st.fillColorSpace()->objectKey(), "KXPDFRenderState init");
    EXPECT_EQ(st.currentFillRGBColor(), (KXPDFRGB{0, 0, 0}));
}

// Nested q past the bound: the qs beyond it save nothing and their Qs restore nothing, so the Qs
// that follow still meet the states they saved.
TEST(KXPDFConentParserState, SavedStatesStopAtTheirBound) {
    const size_t most = KXPDFConentParser::kMaxSavedStates;
    std::string content;
    for (size_t i = 0; i < most + 9; ++i) content += "q ";
    content += "7 w ";
    for (int i = 0; i < 10; ++i) content += "Q ";
    content += "0 0 m 1 1 l S Q 0 0 m 2 2 l S";
    auto run = runContent(content);
    ASSERT_EQ(run->recorder.paths.size(), 2u);
    EXPECT_EQ(run->recorder.paths[0].state.lineWidth(), 7.0);  // ten Qs of unsaved qs
    EXPECT_EQ(run->recorder.paths[1].state.lineWidth(), 1.0);  // then a saved state goes
    EXPECT_EQ(run->stack->depth(), most - 1);
}

// What a path under construction keeps: a move after a move takes its place, and a path stops
// growing at its bound; what it drops is on the page's record of what was left out.
TEST(KXPDFConentParserPainting, PathsUnderConstructionAreBounded) {
    const size_t most = KXPDFConentParser::kMaxPathElements;
    struct Case {
        const char* name;
        std::string content;
        size_t elements;
        std::string leftOut;
    };
    std::string moves, lines = "0 0 m ";
    for (int i = 0; i < 1000; ++i) moves += "1 1 m ";
    for (size_t i = 0; i < most + 10; ++i) lines += "1 1 l ";
    const Case cases[] = {
        {"moves", moves + "5 5 l S", 2, ""},
        {"a move after a close", "0 0 m 1 1 l h 2 2 m 3 3 m 4 4 l S", 5, ""},
        {"lines past the bound", lines + "S", most, "11 path elements past the 524288 a path holds"},
    };
    for (const Case& c : cases) {
        kx::LeftOut::begin();
        auto run = runContent(c.content);
        ASSERT_EQ(run->recorder.paths.size(), 1u) << c.name;
        EXPECT_EQ(run->recorder.paths[0].path.elements().size(), c.elements) << c.name;
        EXPECT_EQ(kx::LeftOut::describe(kx::LeftOut::take()), c.leftOut) << c.name;
    }
}

TEST(KXPDFConentParserState, QRestoresPathClipAndColours) {
    auto run = runContent("0 0 m 5 5 l q 1 0 0 rg 3 w 1 1 2 2 re W n 10 10 l Q 20 20 l S");
    ASSERT_EQ(run->recorder.paths.size(), 1u);
    const auto& r = run->recorder.paths[0];
    EXPECT_EQ(typesOf(r.path), (std::vector<PathElementType>{PathElementType::MoveToPoint,
                                                              PathElementType::AddLineToPoint,
                                                              PathElementType::AddLineToPoint}));
    EXPECT_EQ(r.state.lineWidth(), 1.0);
    EXPECT_TRUE(r.state.clipBezierPaths().empty());
    EXPECT_EQ(r.state.currentFillRGBColor(), (KXPDFRGB{0, 0, 0}));
}

TEST(KXPDFConentParserState, ADelegateThatAnswersNothingStillGetsTheState) {
    PDFBuilder b;
    b.addPage("1 0 0 rg 2 w 0 0 1 1 re f q");
    auto doc = PDFDocument::openFromMemory(b.build());
    auto page = doc->page(1);
    KXPDFConentParserDelegate silent;
    auto stack = std::make_shared<KXPDFRenderStateStack>();
    KXPDFConentParser parser(page->dictionary(), PDFContentStream::forPage(*page));
    parser.setDelegate(&silent);
    parser.setRenderingStateStack(stack);
    parser.startParser();
    EXPECT_EQ(stack->depth(), 2u);
    EXPECT_EQ(stack->topRenderingState().lineWidth(), 2);
    EXPECT_EQ(stack->topRenderingState().currentFillRGBColor(), (KXPDFRGB{255, 0, 0}));

    // Without a stack of its own the interpreter makes one.
    KXPDFConentParser alone(page->dictionary(), PDFContentStream::forPage(*page));
    alone.startParser();
    ASSERT_TRUE(alone.renderingStateStack());
    EXPECT_EQ(alone.renderingStateStack()->depth(), 2u);
}
