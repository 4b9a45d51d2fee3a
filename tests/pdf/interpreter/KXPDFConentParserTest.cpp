// The content interpreter: its run, resources, page information, nested runs and the state stack
// it shares with the caller.

#include <gtest/gtest.h>

#include "pdf/KXPDFUtilities.h"
#include "pdf/color/KXPDFColorSpace.h"
#include "pdf/interpreter/InterpreterTestSupport.h"
#include "pdf/interpreter/KXPDFConentParser.h"

using namespace kx;
using kx::test::PDFBuilder;
using kx::test::runContent;

TEST(KXPDFConentParser, OperatorTableHasEveryOperator) {
    KXPDFConentParser parser;
    const PDFOperatorTable& table = parser.operatorTable();
    EXPECT_EQ(table.size(), 69u);
    for (const char* op : {"BT", "'", "\"", "T*", "BDC", "SCN", "scn", "b*", "B*", "f*", "W*", "Do", "EI"})
        EXPECT_NE(table.find(op), nullptr) << op;
    for (const char* op : {"BI", "ID", "d0", "d1"}) EXPECT_EQ(table.find(op), nullptr) << op;
}

TEST(KXPDFConentParser, ScanCountersReadAllOnesAfterTheRun) {
    auto run = runContent("BT ET BT ET");
    ASSERT_TRUE(run->parser);
    EXPECT_EQ(run->parser->scanOperatorIndex_BegainText(), ~std::uint64_t{0});
    EXPECT_EQ(run->parser->scanOperatorIndex_ShowText(), ~std::uint64_t{0});
}

TEST(KXPDFConentParser, UnbalancedQInsideAFormCannotPopTheCallersStates) {
    // The form pops three times more than it pushes, then paints; the page paints after the Do
    // with the CTM it set before the Do.
    PDFBuilder b;
    int form = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Matrix [2 0 0 2 10 10]",
                           "Q Q Q 0 0 1 1 re f q q");
    auto run = runContent(b, "1 0 0 1 5 5 cm q /Fm1 Do 0 0 1 1 re f Q",
                          "<< /XObject << /Fm1 " + std::to_string(form) + " 0 R >> >>");
    ASSERT_TRUE(run->parser);
    ASSERT_EQ(run->recorder.paths.size(), 2u);
    // Inside the form, Q cannot go below the form's own starting state: CTM = form matrix x page CTM.
    EXPECT_EQ(run->recorder.paths[0].state.ctm(), (AffineTransform{2, 0, 0, 2, 15, 15}));
    EXPECT_EQ(run->recorder.paths[0].formDepth, 1);
    EXPECT_EQ(run->recorder.paths[1].state.ctm(), (AffineTransform{1, 0, 0, 1, 5, 5}));
    EXPECT_EQ(run->stack->depth(), 1u);
}

TEST(KXPDFConentParser, PageRotationMediaBoxAndTransform) {
    struct Case {
        const char* extra;
        std::int64_t angle;
        Rect mediaBox;
    } cases[] = {
        {"/MediaBox [0 0 612 792]", 0, Rect(0, 0, 612, 792)},
        {"/MediaBox [0 0 612 792] /Rotate -90", 270, Rect(0, 0, 612, 792)},
        {"/MediaBox [0 0 612 792] /Rotate 450", 90, Rect(0, 0, 612, 792)},
        {"/MediaBox [0 0 612 792] /Rotate 90.7", 90, Rect(0, 0, 612, 792)},
        {"/MediaBox [0 0 612 792] /Rotate -450", 270, Rect(0, 0, 612, 792)},
        {"/MediaBox [0 0 612 792] /Rotate 2147483647", 127, Rect(0, 0, 612, 792)},
        {"/MediaBox [0 0 612 792] /Rotate -12345.5", 255, Rect(0, 0, 612, 792)},
        {"/MediaBox [10 10 622 802] /Rotate 180", 180, Rect(10, 10, 622, 802)},
        {"/MediaBox [0 0 612 (x)] /Rotate (90)", 0, Rect(0, 0, 612, 0)},
    };
    for (const Case& c : cases) {
        PDFBuilder b;
        auto run = runContent(b, "", "<< >>", c.extra);
        ASSERT_TRUE(run->parser) << c.extra;
        EXPECT_EQ(run->parser->pageRotationAngle(), c.angle) << c.extra;
        EXPECT_EQ(run->parser->pageMediaBox(), c.mediaBox) << c.extra;
        AffineTransform expected = AffineTransform::identity();
        if (c.angle > 0 && c.mediaBox.size.width > 0 && c.mediaBox.size.height > 0)
            expected = pageTransformForBox(c.angle, c.mediaBox.size.width, c.mediaBox.size.height);
        EXPECT_EQ(run->parser->pageTransform(), expected) << c.extra;
    }
}

TEST(KXPDFConentParser, PageAttributesAreInheritedFromAnyAncestor) {
    // Resources, MediaBox and Rotate sit on the root of a two-level page tree.
    PDFBuilder b;
    int root = b.reserve(), mid = b.reserve(), page = b.reserve();
    int content = b.addStream("", "/CS0 cs 0 0 1 1 re f");
    b.set(root, "<< /Type /Pages /Kids [" + std::to_string(mid) +
                    " 0 R] /Count 1 /Resources << /ColorSpace << /CS0 /DeviceCMYK >> >> /Rotate 90 "
                    "/MediaBox [0 0 200 100] >>");
    b.set(mid, "<< /Type /Pages /Parent " + std::to_string(root) + " 0 R /Kids [" + std::to_string(page) +
                   " 0 R] /Count 1 >>");
    b.set(page, "<< /Type /Page /Parent " + std::to_string(mid) + " 0 R /Contents " + std::to_string(content) +
                    " 0 R >>");
    int catalog = b.add("<< /Type /Catalog /Pages " + std::to_string(root) + " 0 R >>");
    auto doc = PDFDocument::openFromMemory(b.buildWithRoot(catalog));
    ASSERT_TRUE(doc);
    auto p = doc->page(1);
    ASSERT_TRUE(p);
    kx::test::RecordingDelegate recorder;
    KXPDFConentParser parser(p->dictionary(), PDFContentStream::forPage(*p));
    parser.setDelegate(&recorder);
    parser.startParser();
    EXPECT_EQ(parser.pageRotationAngle(), 90);
    EXPECT_EQ(parser.pageMediaBox(), Rect(0, 0, 200, 100));
    ASSERT_EQ(recorder.paths.size(), 1u);
    EXPECT_EQ(recorder.paths[0].state.fillColorSpace()->getMode(), KXPDFColorSpace::ModeDeviceCMYK);
    EXPECT_EQ(KXPDFConentParser::resourceSubDictionary(p->dictionary(), "ColorSpace").dictCount(), 1u);
}

namespace {

// Sets a form XObject with its resources and content as object `number`.
void setForm(PDFBuilder& b, int number, const std::string& resources, const std::string& content) {
    b.set(number, "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources " + resources + " /Length " +
                      std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
}

std::string xobjects(std::initializer_list<std::pair<const char*, int>> entries) {
    std::string s = "<< /XObject << ";
    for (auto& [name, number] : entries) s += "/" + std::string(name) + " " + std::to_string(number) + " 0 R ";
    return s + ">> >>";
}

}  // namespace

TEST(KXPDFConentParser, NestedFormsAreBoundedByCyclesAndDepth) {
    {
        // A form that draws itself, and two forms that draw each other.
        PDFBuilder b;
        int self = b.reserve(), a = b.reserve(), c = b.reserve();
        setForm(b, self, xobjects({{"Me", self}}), "0 0 1 1 re f /Me Do");
        setForm(b, a, xobjects({{"C", c}}), "0 0 1 1 re f /C Do");
        setForm(b, c, xobjects({{"A", a}}), "0 0 1 1 re f /A Do");
        auto run = runContent(b, "/Me Do /A Do", xobjects({{"Me", self}, {"A", a}}));
        std::vector<std::int32_t> depths;
        for (auto& r : run->recorder.paths) depths.push_back(r.formDepth);
        EXPECT_EQ(depths, (std::vector<std::int32_t>{1, 1, 2}));  // Me once; A, then C inside it
        EXPECT_EQ(run->stack->depth(), 1u);
    }
    {
        // A chain of 40 distinct forms: the nesting stops at the depth cap.
        PDFBuilder b;
        std::vector<int> forms(40);
        for (int& f : forms) f = b.reserve();
        for (size_t i = 0; i < forms.size(); ++i) {
            if (i + 1 < forms.size())
                setForm(b, forms[i], xobjects({{"Next", forms[i + 1]}}), "0 0 1 1 re f /Next Do");
            else
                setForm(b, forms[i], "<< >>", "0 0 1 1 re f");
        }
        auto run = runContent(b, "/F0 Do", xobjects({{"F0", forms[0]}}));
        EXPECT_EQ(run->recorder.paths.size(), static_cast<size_t>(KXPDFConentParser::kMaxNestingDepth));
        EXPECT_EQ(run->recorder.paths.back().formDepth, KXPDFConentParser::kMaxNestingDepth);
        EXPECT_EQ(run->stack->depth(), 1u);
    }
}

TEST(KXPDFConentParser, FormsThatMultiplyTheirWorkStopAtTheRunBudget) {
    // Each form draws the next one twice: 2^24 runs without a single cycle.
    PDFBuilder b;
    std::vector<int> forms(25);
    for (int& f : forms) f = b.reserve();
    for (size_t i = 0; i < forms.size(); ++i) {
        if (i + 1 < forms.size())
            setForm(b, forms[i], xobjects({{"N", forms[i + 1]}}), "/N Do /N Do");
        else
            setForm(b, forms[i], "<< >>", "0 0 1 1 re f");
    }
    b.addPage("/F0 Do", xobjects({{"F0", forms[0]}}));
    auto doc = PDFDocument::openFromMemory(b.build());
    auto page = doc->page(1);
    ASSERT_TRUE(page);
    kx::test::RecordingDelegate recorder;
    auto stack = std::make_shared<KXPDFRenderStateStack>();
    KXPDFConentParser parser(page->dictionary(), PDFContentStream::forPage(*page));
    parser.setDelegate(&recorder);
    parser.setRenderingStateStack(stack);
    parser.setNestedRunBudget(3000);  // the default budget behaves the same, only slower
    parser.startParser();
    // About half of the runs are painting forms at the bottom of the tree; then the runs stop.
    EXPECT_GT(recorder.paths.size(), 1000u);
    EXPECT_LT(recorder.paths.size(), 3000u);
    EXPECT_EQ(stack->depth(), 1u);
}

TEST(KXPDFConentParser, AnnotationPassRunsAfterTheContentOnlyWhenAsked) {
    for (std::int64_t pass : {0, 1}) {
        PDFBuilder b;
        int annot = b.add("<< /Type /Annot /Subtype /Square /Rect [10 10 50 50] /C [1 0 0] >>");
        b.addPage("0 0 1 1 re f", "<< >>", "/MediaBox [0 0 612 792] /Annots [" + std::to_string(annot) + " 0 R]");
        auto doc = PDFDocument::openFromMemory(b.build());
        auto page = doc->page(1);
        ASSERT_TRUE(page);
        kx::test::RecordingDelegate recorder;
        KXPDFConentParser parser(page->dictionary(), PDFContentStream::forPage(*page));
        parser.setDelegate(&recorder);
        parser.setIsParserAnnots(pass);
        parser.startParser();
        ASSERT_GE(recorder.paths.size(), 1u) << pass;
        EXPECT_FALSE(recorder.paths[0].state.isParseringAnnotion()) << pass;
        if (pass == 0) {
            EXPECT_EQ(recorder.paths.size(), 1u);
            EXPECT_FALSE(parser.annotCollection());
            EXPECT_EQ(parser.annotForPDFAnnotionIndex(0), nullptr);
        } else {
            ASSERT_GE(recorder.paths.size(), 2u);
            // Annotation content starts from a fresh state marked as annotation content.
            EXPECT_TRUE(recorder.paths.back().state.isParseringAnnotion());
            EXPECT_EQ(recorder.paths.back().state.pdfAnnotionIndex(), 0);
            EXPECT_NE(parser.annotForPDFAnnotionIndex(0), nullptr);
        }
    }
}

namespace {

// Notes, for every painted path, how deep its interpreter was nested and the page rotation of the
// geometry it carried (-1 for none).
class GeometryRecorder : public KXPDFConentParserDelegate {
public:
    void didScanPath(KXPDFConentParser& parser, const Path&, bool, bool) override {
        const auto& g = parser.pageGeometry();
        seen.push_back({parser.formDepth(), g ? g->rotationAngle : -1});
    }
    std::vector<std::pair<std::int32_t, std::int64_t>> seen;
};

}  // namespace

TEST(KXPDFConentParser, ThePagesGeometryReachesReportsFromFormsAndAppearances) {
    PDFBuilder b;
    int form = b.reserve(), appearance = b.reserve();
    setForm(b, form, "<< >>", "0 0 1 1 re f");
    setForm(b, appearance, "<< >>", "0 0 2 2 re f");
    int annot = b.add("<< /Type /Annot /Subtype /Square /Rect [10 10 50 50] /AP << /N " + std::to_string(appearance) +
                      " 0 R >> >>");
    b.addPage("0 0 1 1 re f /Fm1 Do", xobjects({{"Fm1", form}}),
              "/MediaBox [0 0 612 792] /Rotate 90 /Annots [" + std::to_string(annot) + " 0 R]");
    auto doc = PDFDocument::openFromMemory(b.build());
    ASSERT_TRUE(doc);
    auto page = doc->page(1);
    ASSERT_TRUE(page);
    for (bool handed : {true, false}) {
        GeometryRecorder recorder;
        KXPDFConentParser parser(page->dictionary(), PDFContentStream::forPage(*page));
        parser.setDelegate(&recorder);
        if (handed) parser.setPageGeometry(KXPDFPageGeometry::ofPage(*page));
        parser.startParser();
        const std::int64_t expected = handed ? 90 : -1;
        const std::vector<std::pair<std::int32_t, std::int64_t>> want = {{0, expected}, {1, expected}, {1, expected}};
        EXPECT_EQ(recorder.seen, want) << (handed ? "handed: the page, its form, its annotation" : "not handed");
    }
}
