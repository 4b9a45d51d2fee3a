// The DOCX page and its floating text: the open text box's paragraph cache, the page turned when
// most of its text is turned, annotation text in boxes of their own laid out on the page, floating
// pictures handed to a paragraph (and a paragraph made for them when the page has none), and the
// outline levels from the PDF's bookmarks.

#include <gtest/gtest.h>

#include "../model/DocxModelFixtures.h"
#include "../model/DocxPictFixtures.h"
#include "docx/model/KXDocxManager.h"
#include "docx/page/KXDocxPage.h"

using kx::test::makeRun;
using kx::test::occurrences;
using kx::test::RunSpec;

namespace {

constexpr kx::Size kPage{612, 792};

// A document part in memory, its root binding the prefixes the package writer binds.
struct DocumentPart {
    std::unique_ptr<XMLFileWriter> writer = XMLFileWriter::initInMemory();
    DocumentPart() {
        using NS = KXOpenXMLNameSpace;
        writer->setLineBreak("");
        writer->setIndentation("");
        for (auto [prefix, uri] : {std::pair{"w", NS::nameSpace_w()}, {"v", NS::nameSpace_v()},
                                   {"r", NS::nameSpace_r()}, {"o", NS::nameSpace_o()}, {"w10", NS::nameSpace_w10()}})
            writer->setPrefix(prefix, uri);
        writer->writeStartElementWithNamespace(NS::nameSpace_w(), "body");
        kx::test::beginVMLDocument();
    }
    std::string text() {
        writer->writeEndDocument();
        return writer->toString().value_or("");
    }
};

// Lines of words down the page, one run a word.
void addLines(KXDocxPage& page, std::initializer_list<std::u16string> lines, double top = 100) {
    std::uint64_t scan = page.allRunTextArray().size();
    double y = top;
    for (const std::u16string& line : lines) {
        double x = 72;
        size_t start = 0;
        while (start <= line.size()) {
            size_t end = line.find(u' ', start);
            if (end == std::u16string::npos) end = line.size();
            const std::u16string word = line.substr(start, end - start);
            if (!word.empty())
                page.allRunTextArray().push_back(
                    makeRun({.text = word, .x = x, .width = 6.0 * word.size(), .yBase = y, .scan = scan++}));
            x += 6.0 * (word.size() + 1);
            start = end + 1;
        }
        y += 14;
    }
}

std::shared_ptr<KXDocxRunTextBox> boxWithRuns(double rotation, size_t runs) {
    auto box = std::make_shared<KXDocxRunTextBox>();
    KXDocxTextBoxInfo info;
    info.rotation = rotation;
    box->setPictInfo(info);
    auto paragraph = std::make_shared<KXDocxParagraph>();
    KXDocxRunTextArray made;
    for (size_t i = 0; i < runs; ++i) made.push_back(makeRun({.text = u"x", .x = 6.0 * i}));
    paragraph->addRunTextArray(made);
    box->paragraphArray().push_back(paragraph);
    return box;
}

// An annotation's run at (x, yBase).
std::shared_ptr<KXDocxRunText> annotationRun(std::u16string text, double x, double yBase, std::int64_t annotation,
                                             std::uint64_t scan) {
    auto run = makeRun({.text = std::move(text), .x = x, .width = 30, .yBase = yBase, .scan = scan});
    run->setIsAnnotion(true);
    run->setPdfAnnotionIndex(annotation);
    return run;
}

struct OutlineOptions {
    explicit OutlineOptions(int type, bool like = true) {
        KXPDFOptions options;
        options.wordOptions().setOutlineType(type);
        options.wordOptions().setEnablePDFOutline_LikeDetect(like);
        KXDocxManager::sharedInstance().setMoreOptions(options);
    }
    ~OutlineOptions() { KXDocxManager::sharedInstance().setMoreOptions(KXPDFOptions()); }
};

KXPDFOutLineManager::Item bookmark(std::u16string title, std::int64_t depth, std::uint64_t page) {
    KXPDFOutLineManager::Item item;
    item.title = std::move(title);
    item.indent = depth;
    KXPDFOutLineManager::Destination d;
    d.pageNumber = page;
    d.fitType = "XYZ";
    item.action = KXPDFOutLineManager::Action{"GoTo", d};
    return item;
}

}  // namespace

TEST(KXDocxPage, OpenTextBoxParagraphs) {
    KXDocxPage page(nullptr, kPage, true, true);
    EXPECT_EQ(page.cachedTextBoxLastParagraph(), nullptr);
    EXPECT_EQ(page.cachedTextBoxHeight(), 0);
    auto first = page.cachedTextBoxNewParagraph();
    EXPECT_EQ(first->pProperty().spacing.line, KXDocxUtilities::defaultPProperty().spacing.line);
    KXDocx_PPr p = first->pProperty();
    p.spacing.line = 12;
    p.ind.left = 7;
    first->setPProperty(p);
    first->addRunTextArray({makeRun({.width = 30})});
    auto second = page.cachedTextBoxNewParagraph();
    EXPECT_EQ(second->pProperty().ind.left, 7) << "a new paragraph takes the last one's properties";
    EXPECT_EQ(page.cachedTextBoxLastParagraph(), second);
    second->addRunTextArray({makeRun({.width = 12}), makeRun({.x = 12, .width = 50})});
    auto third = page.cachedTextBoxNewParagraph();
    EXPECT_EQ(third->pProperty().spacing.line, 12);
    p.spacing.line = 14;
    third->setPProperty(p);
    EXPECT_EQ(page.cachedTextBoxHeight(), 38);
    EXPECT_EQ(page.cachedTextBoxWidthMax(), 62);
}

TEST(KXDocxPage, TurnedWhenMostTextIsInTurnedBoxes) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, size_t>> boxes;  // rotation, runs
        size_t mainRuns;
        int expected;
    } cases[] = {
        {"no boxes", {}, 0, 0},
        {"fewer than three runs in boxes", {{90, 2}}, 0, 0},
        {"no more than the main text", {{90, 3}}, 3, 0},
        {"mostly down the page", {{90, 3}, {88, 2}, {270, 1}}, 2, 90},
        {"mostly up the page", {{270, 4}}, 1, 270},
        {"upside down", {{180, 2}, {180, 2}}, 0, 180},
    };
    for (const Case& c : cases) {
        KXDocxPage page(nullptr, kPage, true, true);
        for (auto [rotation, runs] : c.boxes) page.allRunTextBoxArray().push_back(boxWithRuns(rotation, runs));
        for (size_t i = 0; i < c.mainRuns; ++i) page.allRunTextArray().push_back(makeRun({}));
        EXPECT_EQ(page.autoRotationOfPDFPage(), c.expected) << c.name;
    }
}

// Annotation text leaves the main text: one box per annotation, 2 points larger than its text, laid
// out at its place on this page (also when no table was looked for on the page).
TEST(KXDocxPage, AnnotationTextInBoxesOfItsOwn) {
    KXDocxPage page(nullptr, kPage, true, true);
    addLines(page, {u"Body text here"});
    page.allRunTextArray().push_back(annotationRun(u"First", 300, 400, 0, 10));
    page.allRunTextArray().push_back(annotationRun(u"note", 300, 414, 0, 11));
    page.allRunTextArray().push_back(annotationRun(u"Second", 100, 600, 1, 12));
    page.updateAllPDFScanIndex();
    page.convertAnnotion2TextBox();

    EXPECT_EQ(page.allRunTextArray().size(), 3u) << "the body text stays";
    for (const auto& run : page.allRunTextArray()) EXPECT_FALSE(run->isAnnotion());
    ASSERT_EQ(page.allRunTextBoxArray().size(), 2u);
    const KXDocxRunTextBox& first = *page.allRunTextBoxArray()[0];
    const kx::Rect frame = KXDocxRunText::FrameOfRunTextArray(first.allRunTextArray());
    EXPECT_EQ(first.allRunTextArray().size(), 2u);
    EXPECT_EQ(first.displayRect(), kx::Rect(frame.origin.x, frame.origin.y, frame.size.width + 2, frame.size.height + 2));
    EXPECT_TRUE(first.isAnnotion());
    ASSERT_FALSE(first.allPageSectionArray().empty());
    for (const auto& object : first.allPageSectionArray()) {
        auto section = std::dynamic_pointer_cast<KXDocxPageSection>(object);
        ASSERT_TRUE(section);
        EXPECT_EQ(section->superPage(), &page);
        EXPECT_EQ(section->sectProperty().pgSz.w, 612);
        EXPECT_EQ(section->sectProperty().pgSz.h, 792);
        EXPECT_EQ(section->sectProperty().type, KXDocxPageSection::kInnerSectionType);
        EXPECT_NEAR(section->sectProperty().pgMar.right, 612 - frame.maxX(), 0.01) << "a margin of this page";
        EXPECT_GE(section->sectProperty().pgMar.bottom, 0);
    }
    EXPECT_EQ(page.allRunTextBoxArray()[1]->allRunTextArray().front()->runText(), u"Second");

    // A page without annotation text keeps its runs and has no boxes.
    KXDocxPage plain(nullptr, kPage, true, true);
    addLines(plain, {u"Only body"});
    plain.convertAnnotion2TextBox();
    EXPECT_EQ(plain.allRunTextArray().size(), 2u);
    EXPECT_TRUE(plain.allRunTextBoxArray().empty());
}

// What was painted at or after a reading position over a rectangle.
TEST(KXDocxPage, PaintedLaterOver) {
    KXDocxPage page(nullptr, kPage, true, true);
    page.allRunTextArray().push_back(makeRun({.x = 100, .width = 50, .yBase = 100, .scan = 5}));
    struct Case {
        const char* name;
        kx::Rect rect;
        std::uint64_t minScan;
        bool expected;
    } cases[] = {
        {"overlapping, painted later", {120, 80, 100, 40}, 3, true},
        {"overlapping, painted at the same moment", {120, 80, 100, 40}, 5, true},
        {"overlapping, painted before", {120, 80, 100, 40}, 6, false},
        {"inside the rectangle", {0, 0, 600, 600}, 0, true},
        {"holding the rectangle", {110, 95, 2, 2}, 0, true},
        {"elsewhere", {400, 400, 10, 10}, 0, false},
    };
    for (const Case& c : cases) EXPECT_EQ(page.haveTextUpperInRect(c.rect, c.minScan), c.expected) << c.name;
}

// Floating pictures go to the page's first paragraph with text; a page without any paragraph gets
// one to carry them, so that they are not lost.
TEST(KXDocxPage, FloatingPicturesFindAParagraph) {
    for (bool withText : {true, false}) {
        DocumentPart part;
        KXDocxPage page(part.writer.get(), kPage, true, true);
        if (withText) addLines(page, {u"Heading line", u"Body line"});
        auto box = boxWithRuns(90, 1);
        box->paragraphArray().front()->lineArray().front()->runTextArray().front()->setRunText(u"Boxed");
        page.allRunTextBoxArray().push_back(box);
        auto path = std::make_shared<KXDocxRunTextPath>();
        path->setRunText(u"Along");
        page.allRunTextPathArray().push_back(path);
        if (!withText) {
            // A section left without any paragraph.
            page.setAllPageSectionArray({std::make_shared<KXDocxPageSection>(page.sectProperty())});
            page._insertFloatRunPicts();
            const auto& groups = page.allPageSectionArray().front()->paragraphGroupArray();
            ASSERT_EQ(groups.size(), 1u);
            auto carrier = std::dynamic_pointer_cast<KXDocxParagraph>(groups.front().front());
            ASSERT_TRUE(carrier);
            ASSERT_EQ(carrier->writeRunGroupArray().size(), 1u);
            EXPECT_EQ(carrier->writeRunGroupArray().front().size(), 2u);
            continue;
        }
        page.endWritePage(1);
        const std::string xml = part.text();
        EXPECT_EQ(occurrences(xml, "<v:shape "), 2u) << xml;
        EXPECT_NE(xml.find(">Boxed<"), std::string::npos);
        EXPECT_NE(xml.find("string=\"Along\""), std::string::npos);
        // Both pictures stand at the front of the first paragraph with text (the box's own
        // paragraphs left aside).
        std::string outer = xml;
        for (size_t at = outer.find("<w:txbxContent>"); at != std::string::npos; at = outer.find("<w:txbxContent>"))
            outer.erase(at, outer.find("</w:txbxContent>", at) + 16 - at);
        const size_t heading = outer.find(">Heading");
        EXPECT_LT(outer.find("<w:pict>"), heading);
        EXPECT_EQ(outer.rfind("<w:p>", heading), outer.rfind("<w:p>", outer.find("<w:pict>"))) << xml;
    }
}

TEST(KXDocxPage, OutlineLevelsFromBookmarks) {
    struct Case {
        const char* name;
        int outlineType;
        std::vector<KXPDFOutLineManager::Item> items;
        std::vector<std::string> present, absent;
    } cases[] = {
        {"nested bookmarks of this page",
         1,
         {bookmark(u"Getting Started", 0, 3), bookmark(u"Body text", 1, 3)},
         {"<w:outlineLvl w:val=\"0\"/><w:rPr>", "<w:outlineLvl w:val=\"1\"/>"},
         {"<w:outlineLvl w:val=\"2\"/>"}},
        {"a bookmark deeper than nine levels", 1, {bookmark(u"Getting Started", 40, 3)}, {"<w:outlineLvl w:val=\"8\"/>"}, {}},
        {"bookmarks of another page", 1, {bookmark(u"Getting Started", 0, 4)}, {}, {"outlineLvl"}},
        {"a title no paragraph carries", 1, {bookmark(u"Appendix", 0, 3)}, {}, {"outlineLvl"}},
        {"an empty title", 1, {bookmark(u"  ", 0, 3)}, {}, {"outlineLvl"}},
        {"outline levels not asked for", 0, {bookmark(u"Getting Started", 0, 3)}, {}, {"outlineLvl"}},
        {"detected headings do nothing", 2, {bookmark(u"Getting Started", 0, 3)}, {}, {"outlineLvl"}},
    };
    for (const Case& c : cases) {
        OutlineOptions options(c.outlineType);
        KXPDFOutLineManager::sharedInstance().setTableArray(c.items);
        DocumentPart part;
        KXDocxPage page(part.writer.get(), kPage, true, true);
        page.setPdfPageIndex(3);
        addLines(page, {u"Getting Started"}, 100);
        addLines(page, {u"Body text of the first part"}, 200);
        page.endWritePage(1);
        const std::string xml = part.text();
        for (const std::string& s : c.present) EXPECT_NE(xml.find(s), std::string::npos) << c.name << ": " << s << "\n" << xml;
        for (const std::string& s : c.absent) EXPECT_EQ(xml.find(s), std::string::npos) << c.name << ": " << s;
    }
    KXPDFOutLineManager::sharedInstance().setTableArray({});
}
