// Flow paragraphs and runs: blank paragraphs for gaps, properties resolved from the runs, and how
// each family writes them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FlowTestRuns.h"
#include "flowtext/FlowParagraph.h"
#include "flowtext/KXHTMLPage.h"
#include "flowtext/KXHTMLState.h"
#include "flowtext/KXRTFPage.h"
#include "flowtext/KXRTFState.h"
#include "flowtext/KXTextPage.h"

using flowtest::RunPlace;
using kx::detail::FlowParagraph;

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
        auto blanks = FlowParagraph::BlankParagraph(c.height, c.spaceLine, 36, r, sect);
        ASSERT_EQ(blanks.size(), c.count) << c.height;
        EXPECT_FLOAT_EQ(blanks.front()->pProperty().spacing.line, c.lineHeight) << c.height;
        EXPECT_EQ(blanks.front()->pProperty().spacing.lineRule, "exact");
        EXPECT_FLOAT_EQ(blanks.front()->pProperty().ind.left, 36.0f);
        EXPECT_TRUE(blanks.front()->runArray().empty());
    }
}

TEST(FlowParagraph, PropertiesComeFromTheTextRuns) {
    auto a = flowtest::makeRun({300, 80, 10, "a", 10});
    auto b = flowtest::makeRun({310, 80, 10, "b", 14});
    KXDocx_RPr bold = b->rProperty();
    bold.b = true;
    b->setRProperty(bold);
    FlowParagraph p({a, b});
    EXPECT_FLOAT_EQ(p.pProperty().ind.left, 300.0f);
    EXPECT_FLOAT_EQ(p.pProperty().spacing.line, 14.0f);
    EXPECT_TRUE(p.rProperty().b);
    EXPECT_EQ(p.firstRunText(), a.get());
    EXPECT_EQ(p.lastRunText(), b.get());
    p.setXColumnPosition(280);
    EXPECT_TRUE(p.resolveXColumnProperty());
    EXPECT_FLOAT_EQ(p.pProperty().ind.left, 20.0f);

    // Plain run bases are carried but are not text.
    FlowParagraph bases({std::make_shared<kx::detail::FlowRun>()});
    EXPECT_FLOAT_EQ(bases.pProperty().spacing.line, 0.0f);
    EXPECT_FLOAT_EQ(bases.pProperty().ind.left, 0.0f);
    EXPECT_FALSE(bases.resolveXColumnProperty());
    EXPECT_EQ(bases.firstRunText(), nullptr);
    EXPECT_FALSE(bases.haveText());
}

// Each family's page writes the paragraphs and their runs in its syntax.
TEST(FlowParagraph, EachFamilyWritesItsParagraphs) {
    using flowtest::writtenBy;
    using flowtest::paragraphsOf;
    // Plain text keeps tabs and drops other control characters; the page ends with a line break.
    EXPECT_EQ((writtenBy<KXTextPage, KXTextFileWriter>(paragraphsOf({{72, 80, 10, "a\tb\x01" "c\x7f"}}))), "a\tbc\n");
    // A paragraph without runs is one line break.
    EXPECT_EQ((writtenBy<KXTextPage, KXTextFileWriter>(paragraphsOf({{0, 0, 0, ""}}))), "\n\n");
    KXRTFState::sharedInstance().resetToDefault();
    EXPECT_EQ((writtenBy<KXRTFPage, KXRTFFileWriter>(paragraphsOf({{0, 0, 0, ""}}))), "\\par\\pard\\li0 \\\n");
    KXHTMLState::sharedInstance().resetToDefault();
    EXPECT_EQ((writtenBy<KXHTMLPage, KXHTMLFileWriter>(paragraphsOf({{0, 0, 0, ""}}))), "\n<p class=\"p0\"><br></p>");

    // A paragraph of a second column starting at 300, its column at 280 and the page's text at 50:
    // HTML measures its margin from the page's text margin again (250), RTF indents by what the
    // column left (20 points, less than the margin: 0).
    auto secondColumn = [](const RunPlace& place) {
        flowtest::Paragraphs paragraphs = paragraphsOf({place});
        paragraphs.front()->setXColumnPosition(280);
        paragraphs.front()->resolveXColumnProperty();
        return paragraphs;
    };
    KXHTMLState::sharedInstance().resetToDefault();
    std::string html = writtenBy<KXHTMLPage, KXHTMLFileWriter>(secondColumn({300, 80, 10, "x<y", 4}), 50);
    std::string styles = flowtest::tempPath("styles.out");
    {
        auto writer = KXHTMLFileWriter::initWithPath(styles);
        KXHTMLState::sharedInstance().writeRegistedCSSParagraph(*writer);
        KXHTMLState::sharedInstance().writeRegistedCSSSpan(*writer);
        writer->closeFile();
    }
    // sz 4 is 4.8 pixels, raised to 8.
    EXPECT_EQ(html + kx::readFile(styles).value_or(""),
              "\n<p class=\"p0\"><span class=\"s0\">x&lt;y</span></p>"
              "    p.p0 {margin: 0px 0px 0px 250px; font: 8px 'Arial'; color: #000000}\n"
              "    span.s0 { font: 8px 'Arial'; color: #000000}\n");

    KXRTFState::sharedInstance().resetToDefault();
    EXPECT_EQ((writtenBy<KXRTFPage, KXRTFFileWriter>(secondColumn({300, 80, 10, "{x}", 10.5}), 50)),
              "\\par\\pard\\li0 \\f1\\i0\\b0\\ul0\\fs21 \\cf0 \\{x\\}");

    // A text run with no text still writes its formatting.
    KXRTFState::sharedInstance().resetToDefault();
    flowtest::Paragraphs empty;
    empty.push_back(std::make_unique<FlowParagraph>(
        std::vector<FlowParagraph::RunPtr>{flowtest::makeRun({300, 80, 10, "x"})}));
    static_cast<kx::detail::FlowRunText*>(empty.front()->runArray().front().get())->runText().clear();
    EXPECT_EQ((writtenBy<KXRTFPage, KXRTFFileWriter>(std::move(empty), 300)),
              "\\par\\pard\\li0 \\f1\\i0\\b0\\ul0\\fs24 \\cf0 ");
}
