// The interpreter's annotation pass: after the content, a page's annotations reach the exporter as
// paths and text boxes marked with the annotation's index, each from a fresh state.

#include <gtest/gtest.h>

#include "pdf/annot/KXPDFAnnot.h"
#include "pdf/annot/KXPDFAnnotCollection.h"
#include "pdf/interpreter/InterpreterTestSupport.h"

using kx::test::PDFBuilder;

namespace {

struct TextBox {
    kx::Rect rect;
    std::u16string text;
    bool isAnnot = false;
    std::int64_t index = -1;
};

class Recorder : public kx::test::RecordingDelegate {
public:
    void didScanTextBox(KXPDFConentParser& parser, const kx::Rect& rect, const std::u16string& text,
                        const std::string&, const KXPDFColor&, double, std::int64_t, bool, bool) override {
        const KXPDFRenderState& s = parser.currentRenderingState();
        boxes.push_back({rect, text, s.isParseringAnnotion(), s.pdfAnnotionIndex()});
    }
    std::vector<TextBox> boxes;
};

struct PageRun {
    std::shared_ptr<kx::PDFDocument> doc;
    std::shared_ptr<KXPDFRenderStateStack> stack = std::make_shared<KXPDFRenderStateStack>();
    Recorder recorder;
    std::unique_ptr<KXPDFConentParser> parser;
};

// In an annotation's source, "{AP}" stands for a form stream of a red diagonal over a 20 x 10 box.
std::unique_ptr<PageRun> runPage(const std::string& content, const std::vector<std::string>& annots,
                                 bool parseAnnots = true,
                                 const std::string& formDict = "/Type /XObject /Subtype /Form /BBox [0 0 20 10]",
                                 const std::string& formContent = "1 0 0 RG 0 0 m 20 10 l S") {
    auto run = std::make_unique<PageRun>();
    PDFBuilder b;
    int form = b.addStream(formDict, formContent);
    std::string array;
    for (std::string a : annots) {
        for (size_t at; (at = a.find("{AP}")) != std::string::npos;) a.replace(at, 4, std::to_string(form) + " 0 R");
        array += std::to_string(b.add(a)) + " 0 R ";
    }
    b.addPage(content, "<< >>", "/MediaBox [0 0 612 792] /Annots [" + array + "]");
    run->doc = kx::PDFDocument::openFromMemory(b.build());
    auto page = run->doc ? run->doc->page(1) : std::nullopt;
    if (!page) return run;
    run->parser = std::make_unique<KXPDFConentParser>(page->dictionary(), kx::PDFContentStream::forPage(*page));
    run->parser->setDelegate(&run->recorder);
    run->parser->setRenderingStateStack(run->stack);
    run->parser->setPageIndex(3);
    if (!parseAnnots) run->parser->setIsParserAnnots(0);
    run->parser->startParser();
    return run;
}

const std::vector<std::string> kAnnots = {
    "<< /Type /Annot /Subtype /Square /Rect [10 10 60 40] /C [1 0 0] >>",
    "<< /Type /Annot /Subtype /Ink /F 2 /InkList [[0 0 5 5]] >>",  // hidden
    "<< /Type /Annot /Subtype /FreeText /Rect [100 100 200 150] /Contents (Note) /DA (/Helv 9 Tf) >>",
    "<< /Type /Annot /Subtype /Line /L [300 300 300 300] /LE [/ClosedArrow /Circle] >>",  // degenerate
    "<< /Type /Annot /Subtype /Highlight /QuadPoints [0 10 10 10 0 0 10 0] /C [1 1 0] /F 32 >>",  // no view
};

}  // namespace

TEST(KXPDFConentParserAnnot, AnnotationsFollowTheContentWithTheirIndexes) {
    // The content leaves a scaled CTM and an unbalanced q behind; annotations must not see either.
    auto run = runPage("q 2 0 0 2 0 0 cm 0 0 1 rg 0 0 10 10 re f", kAnnots);
    ASSERT_TRUE(run->parser);
    const auto& paths = run->recorder.paths;
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_FALSE(paths[0].state.isParseringAnnotion());

    EXPECT_TRUE(paths[1].state.isParseringAnnotion());
    EXPECT_EQ(paths[1].state.pdfAnnotionIndex(), 0);
    kx::Rect square;
    EXPECT_TRUE(paths[1].path.isRect(&square));
    EXPECT_EQ(square, kx::Rect(10, 10, 50, 30));  // page space, not scaled by the content's CTM
    EXPECT_TRUE(paths[1].state.ctm().isIdentity());
    EXPECT_EQ(paths[1].state.currentStrokeRGBColor(), (KXPDFRGB{255, 0, 0}));

    EXPECT_TRUE(paths[2].state.isParseringAnnotion());
    EXPECT_EQ(paths[2].state.pdfAnnotionIndex(), 3);  // the hidden ink keeps its place in the count
    EXPECT_EQ(paths[2].path.elements().size(), 3u);   // the degenerate line, without endings

    ASSERT_EQ(run->recorder.boxes.size(), 1u);
    EXPECT_EQ(run->recorder.boxes[0].rect, kx::Rect(100, 100, 100, 50));
    EXPECT_EQ(run->recorder.boxes[0].text, u"Note");
    EXPECT_TRUE(run->recorder.boxes[0].isAnnot);
    EXPECT_EQ(run->recorder.boxes[0].index, 2);

    // Every annotation state was popped again; the content's own unbalanced q is all that is left.
    EXPECT_EQ(run->stack->depth(), 2u);

    for (std::int64_t i = 0; i < 5; ++i) {
        KXPDFAnnot* annot = run->parser->annotForPDFAnnotionIndex(i);
        ASSERT_TRUE(annot);
        EXPECT_EQ(annot->pdfAnnotionIndex(), i);
        EXPECT_EQ(annot->pageIndex(), 3);
    }
    EXPECT_EQ(run->parser->annotForPDFAnnotionIndex(2)->type(), "FreeText");
    EXPECT_FALSE(run->parser->annotForPDFAnnotionIndex(5));
    EXPECT_FALSE(run->parser->annotForPDFAnnotionIndex(-1));
}

TEST(KXPDFConentParserAnnot, NoAnnotationPassWhenItIsOff) {
    auto run = runPage("0 0 10 10 re f", kAnnots, false);
    ASSERT_TRUE(run->parser);
    EXPECT_EQ(run->recorder.paths.size(), 1u);
    EXPECT_TRUE(run->recorder.boxes.empty());
    EXPECT_FALSE(run->parser->annotCollection());
    EXPECT_FALSE(run->parser->annotForPDFAnnotionIndex(0));
}

TEST(KXPDFConentParserAnnot, ASecondRunReplacesTheCollection) {
    auto run = runPage("", kAnnots);
    ASSERT_TRUE(run->parser && run->parser->annotCollection());
    std::weak_ptr<KXPDFAnnotCollection> first = run->parser->annotCollection();
    run->parser->startParser();
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(run->recorder.boxes.size(), 2u);
    run->parser.reset();  // the interpreter drops its collection before it goes
}

// Appearance streams run as content of their annotation: what they paint arrives marked with the
// annotation's index, placed at its rectangle; kinds that draw themselves without one do not draw
// themselves as well.
TEST(KXPDFConentParserAnnot, AppearanceStreamsReachTheExporterAtTheRectangle) {
    const char* kinds[] = {"/Subtype /FreeText", "/Subtype /Line /L [0 0 1 1]", "/Subtype /Square",
                           "/Subtype /Circle",   "/Subtype /Ink /InkList [[0 0 1 1]]", "/Subtype /Stamp",
                           "/Subtype /Widget",   "/Subtype /Link",  "/Subtype /Popup",  "/Subtype /Squiggly"};
    for (const char* kind : kinds) {
        SCOPED_TRACE(kind);
        auto run = runPage("", {std::string("<< /Type /Annot ") + kind + " /F 2 /Rect [0 0 20 10] /AP << /N {AP} >> >>",
                                std::string("<< /Type /Annot ") + kind + " /Rect [100 200 120 210] /AP << /N {AP} >> >>"});
        ASSERT_TRUE(run->parser);
        ASSERT_EQ(run->recorder.paths.size(), 1u);
        EXPECT_TRUE(run->recorder.boxes.empty());
        const auto& p = run->recorder.paths[0];
        EXPECT_TRUE(p.stroke);
        EXPECT_TRUE(p.state.isParseringAnnotion());
        EXPECT_EQ(p.state.pdfAnnotionIndex(), 1);
        EXPECT_EQ(p.state.currentStrokeRGBColor(), (KXPDFRGB{255, 0, 0}));
        ASSERT_EQ(p.path.elements().size(), 2u);
        EXPECT_EQ(p.path.elements()[0].points[0], (kx::Point{100, 200}));
        EXPECT_EQ(p.path.elements()[1].points[0], (kx::Point{120, 210}));
        ASSERT_FALSE(p.state.clipBezierPaths().empty());  // cut to the annotation's rectangle
        EXPECT_EQ(run->stack->depth(), 1u);
    }
}

// An appearance whose box does not start at the origin, or is drawn at another size, is fitted to
// the annotation's rectangle: the box, transformed by the form's matrix, is mapped onto the rectangle.
TEST(KXPDFConentParserAnnot, AppearanceBoxIsFittedToTheRectangle) {
    struct Case {
        const char* name;
        const char* formDict;
        const char* content;
    } cases[] = {
        {"box at the origin", "/Subtype /Form /BBox [0 0 20 10]", "0 0 m 20 10 l S"},
        {"offset box", "/Subtype /Form /BBox [10 20 30 30]", "10 20 m 30 30 l S"},
        {"box twice the size", "/Subtype /Form /BBox [0 0 40 20]", "0 0 m 40 20 l S"},
        {"matrix doubles a small box", "/Subtype /Form /BBox [0 0 10 5] /Matrix [2 0 0 2 0 0]", "0 0 m 10 5 l S"},
        {"matrix moves the box", "/Subtype /Form /BBox [0 0 20 10] /Matrix [1 0 0 1 -50 70]", "0 0 m 20 10 l S"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto run = runPage("", {"<< /Type /Annot /Subtype /Square /Rect [100 200 120 210] /AP << /N {AP} >> >>"}, true,
                           c.formDict, c.content);
        ASSERT_TRUE(run->parser);
        ASSERT_EQ(run->recorder.paths.size(), 1u);
        const auto& p = run->recorder.paths[0];
        ASSERT_EQ(p.path.elements().size(), 2u);
        kx::Point a = p.path.elements()[0].points[0], b = p.path.elements()[1].points[0];
        EXPECT_NEAR(a.x, 100, 1e-9);
        EXPECT_NEAR(a.y, 200, 1e-9);
        EXPECT_NEAR(b.x, 120, 1e-9);
        EXPECT_NEAR(b.y, 210, 1e-9);
    }
}
