// Flow paragraphs and runs: blank paragraphs for gaps, properties resolved from the runs, and how
// each family writes them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FlowTestRuns.h"
#include "flowtext/KXHTMLParagraph.h"
#include "flowtext/KXHTMLState.h"
#include "flowtext/KXRTFParagraph.h"
#include "flowtext/KXRTFState.h"
#include "flowtext/KXTextParagraph.h"

using flowtest::RunPlace;

TEST(FlowParagraph, BlankParagraphsFillAGapWithLinesOfTheTextsHeight) {
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    KXDocx_SectPr sect = KXDocxUtilities::defaultSectPropertyHiden();
    struct Case {
        double height, sz, spaceLine;
        size_t count;
        float lineHeight;
    } cases[] = {
        {10, 12, 10, 1, 10},      // below one line: one paragraph of the whole height
        {30, 12, 10, 2, 15},      // 30 / max(12, 10) = 2.5
        {0, 12, 10, 1, 0},        // no height
        {1e9, 12, 10, 100, 1e7},  // a hostile page height stays bounded
    };
    for (const Case& c : cases) {
        r.sz = static_cast<float>(c.sz);
        auto blanks = KXTextParagraph::BlankParagraph(c.height, c.spaceLine, 36, r, sect);
        ASSERT_EQ(blanks.size(), c.count) << c.height;
        EXPECT_FLOAT_EQ(blanks.front()->pProperty().spacing.line, c.lineHeight) << c.height;
        EXPECT_EQ(blanks.front()->pProperty().spacing.lineRule, "exact");
        EXPECT_FLOAT_EQ(blanks.front()->pProperty().ind.left, 36.0f);
        EXPECT_TRUE(blanks.front()->runArray().empty());
    }
}

TEST(FlowParagraph, PropertiesComeFromTheTextRuns) {
    auto a = flowtest::makeRun<KXTextRunText>({300, 80, 10, "a", 10});
    auto b = flowtest::makeRun<KXTextRunText>({310, 80, 10, "b", 14});
    KXDocx_RPr bold = b->rProperty();
    bold.b = true;
    b->setRProperty(bold);
    KXTextParagraph p({a, b});
    EXPECT_FLOAT_EQ(p.pProperty().ind.left, 300.0f);
    EXPECT_FLOAT_EQ(p.pProperty().spacing.line, 14.0f);
    EXPECT_TRUE(p.rProperty().b);
    EXPECT_EQ(p.firstRunText(), a.get());
    EXPECT_EQ(p.lastRunText(), b.get());
    p.setXColumnPosition(280);
    EXPECT_TRUE(p.resolveXColumnProperty());
    EXPECT_FLOAT_EQ(p.pProperty().ind.left, 20.0f);

    // Plain run bases are carried but are not text.
    KXTextParagraph bases({std::make_shared<KXTextRun>()});
    EXPECT_FLOAT_EQ(bases.pProperty().spacing.line, 0.0f);
    EXPECT_FLOAT_EQ(bases.pProperty().ind.left, 0.0f);
    EXPECT_FALSE(bases.resolveXColumnProperty());
    EXPECT_EQ(bases.firstRunText(), nullptr);
    EXPECT_FALSE(bases.haveText());
}

namespace {

template <class Writer, class Body>
std::string capture(Body body) {
    std::string path = flowtest::tempPath("paragraph.out");
    auto writer = Writer::initWithPath(path);
    body(*writer);
    writer->closeFile();
    return kx::readFile(path).value_or("");
}

}  // namespace

TEST(FlowParagraph, EachFamilyWritesItsParagraphs) {
    // Plain text keeps tabs and drops other control characters.
    EXPECT_EQ(capture<KXTextFileWriter>([](auto& w) {
                  flowtest::makeRun<KXTextRunText>({72, 80, 10, "a\tb\x01" "c\x7f"})->writeWithXMLWriter(w);
              }),
              "a\tbc");
    // A paragraph without runs is one line break.
    EXPECT_EQ(capture<KXTextFileWriter>([](auto& w) { KXTextParagraph().writeWithXMLWriter(w); }), "\n");
    EXPECT_EQ(capture<KXRTFFileWriter>([](auto& w) { KXRTFParagraph().writeWithXMLWriter(w); }), "\\\n");
    EXPECT_EQ(capture<KXHTMLFileWriter>([](auto& w) { KXHTMLParagraph().writeWithXMLWriter(w); }), "<br>");

    // A paragraph of a second column starting at 300, its column at 280 and the page's text at 50:
    // HTML measures its margin from the page's text margin again (250), RTF indents by what the
    // column left (20 points, less than the margin: 0).
    KXDocx_PgMar margin;
    margin.left = 50;
    std::string html = capture<KXHTMLFileWriter>([&](auto& w) {
        KXHTMLState::sharedInstance().resetToDefault();
        KXHTMLParagraph p({flowtest::makeRun<KXHTMLRunText>({300, 80, 10, "x<y", 4})});
        p.setXColumnPosition(280);
        p.resolveXColumnProperty();
        p.setTextMargin(margin);
        p.writeNewLineWithXMLWriter(w);
        p.writeWithXMLWriter(w);
        KXHTMLState::sharedInstance().endWriteParagraphTagsIfNeed(w);
        KXHTMLState::sharedInstance().writeRegistedCSSParagraph(w);
        KXHTMLState::sharedInstance().writeRegistedCSSSpan(w);
    });
    // sz 4 is 4.8 pixels, raised to 8.
    EXPECT_EQ(html,
              "\n<p class=\"p0\"><span class=\"s0\">x&lt;y</span></p>"
              "    p.p0 {margin: 0px 0px 0px 250px; font: 8px 'Arial'; color: #000000}\n"
              "    span.s0 { font: 8px 'Arial'; color: #000000}\n");

    std::string rtf = capture<KXRTFFileWriter>([&](auto& w) {
        KXRTFState::sharedInstance().resetToDefault();
        KXRTFParagraph p({flowtest::makeRun<KXRTFRunText>({300, 80, 10, "{x}", 10.5})});
        p.setXColumnPosition(280);
        p.resolveXColumnProperty();
        p.setTextMargin(margin);
        p.writeNewLineWithXMLWriter(w);
        p.writeWithXMLWriter(w);
    });
    EXPECT_EQ(rtf, "\\par\\pard\\li0 \\f1\\i0\\b0\\ul0\\fs21 \\cf0 \\{x\\}");

    // A text run with no text still writes its formatting.
    std::string empty = capture<KXRTFFileWriter>([&](auto& w) {
        KXRTFState::sharedInstance().resetToDefault();
        flowtest::makeRun<KXRTFRunText>({300, 80, 10, ""})->writeWithXMLWriter(w);
    });
    EXPECT_EQ(empty, "\\f1\\i0\\b0\\ul0\\fs24 \\cf0 ");
}
