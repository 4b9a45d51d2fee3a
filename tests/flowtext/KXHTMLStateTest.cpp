// The HTML style registry: classes shared by equal records, tags opened and closed in proper
// nesting, and the style-sheet lines.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "flowtext/KXHTMLFileWriter.h"
#include "flowtext/KXHTMLState.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

std::string capture(const std::function<void(KXHTMLState&, KXHTMLFileWriter&)>& body) {
    static int n = 0;
    std::string path = kx::pathJoin(kx::test::tempDir(), "state" + std::to_string(++n) + ".html");
    auto writer = KXHTMLFileWriter::initWithPath(path);
    KXHTMLState state;
    body(state, *writer);
    writer->closeFile();
    return kx::readFile(path).value_or("");
}

KXHTMLCSSSpan span(bool bold, bool italic, const char* font = "Arial", int red = 0) {
    KXHTML_CSS_Span s = KXHTMLUtilities::defaultCssSpanProperty();
    s.fontWeight = bold;
    s.fontStyle = italic;
    s.font.fontName = font;
    s.color.red = static_cast<int16_t>(red);
    return KXHTMLCSSSpan(s);
}

KXHTMLCSSParagraph paragraph(float left, const char* font = "Arial", float size = 14.4f) {
    KXHTML_CSS_Paragraph p = KXHTMLUtilities::defaultCssParagraphProperty();
    p.margin.left = left;
    p.font.fontName = font;
    p.font.fontSize = size;
    return KXHTMLCSSParagraph(p);
}

}  // namespace

TEST(KXHTMLState, EqualRecordsShareAClassNumberedInOrderOfFirstUse) {
    KXHTMLState state;
    EXPECT_EQ(state._indexOfCSSParagraph(paragraph(36)), 0);
    EXPECT_EQ(state._indexOfCSSParagraph(paragraph(36)), 0);
    EXPECT_EQ(state._indexOfCSSParagraph(paragraph(40)), 1);
    // Bold and italic are tags, not part of the span class.
    EXPECT_EQ(state._indexOfCSSSpan(span(false, false)), 0);
    EXPECT_EQ(state._indexOfCSSSpan(span(true, true)), 0);
    EXPECT_EQ(state._indexOfCSSSpan(span(false, false, "Arial", 200)), 1);
    state.resetToDefault();
    EXPECT_EQ(state._indexOfCSSParagraph(paragraph(40)), 0);
}

TEST(KXHTMLState, BoldAndItalicTagsNestProperly) {
    struct Case {
        const char* name;
        std::vector<KXHTMLCSSSpan> spans;
        std::string html;
    } cases[] = {
        {"same class, second bold", {span(false, false), span(true, false)}, "<span class=\"s0\">|<b>|</b></span>"},
        {"bold italic then another class",
         {span(true, true), span(false, false, "Times")},
         "<span class=\"s0\"><b><i>|</i></b></span><span class=\"s1\">|</span>"},
        {"bold italic, then italic only", {span(true, true), span(false, true)},
         "<span class=\"s0\"><b><i>|</i></b><i>|</i></span>"},
        {"bold italic, then bold only", {span(true, true), span(true, false)},
         "<span class=\"s0\"><b><i>|</i>|</b></span>"},
        {"italic, then bold italic, then plain", {span(false, true), span(true, true), span(false, false)},
         "<span class=\"s0\"><i>|<b>|</b></i>|</span>"},
    };
    for (const Case& c : cases) {
        std::string out = capture([&](KXHTMLState& state, KXHTMLFileWriter& w) {
            for (const KXHTMLCSSSpan& s : c.spans) {
                state.writeCSSCSSSpanBegain(s, w);
                w.write("|");
            }
            state.endWriteParagraphTagsIfNeed(w);
        });
        EXPECT_EQ(out, c.html) << c.name;
    }
}

TEST(KXHTMLState, ParagraphsCloseWhatIsOpen) {
    std::string out = capture([](KXHTMLState& state, KXHTMLFileWriter& w) {
        state.writeCSSParagraphBegain(paragraph(0), w);
        state.writeCSSCSSSpanBegain(span(true, false), w);
        w.writeContent(u"a");
        state.writeCSSParagraphBegain(paragraph(10), w);
        w.writeContent(u"b");
        state.endWriteParagraphTagsIfNeed(w);
        state.endWriteParagraphTagsIfNeed(w);
    });
    EXPECT_EQ(out, "\n<p class=\"p0\"><span class=\"s0\"><b>a</b></span></p>\n<p class=\"p1\">b</p>");
}

TEST(KXHTMLState, StyleSheetLinesAreClampedAndEscaped) {
    std::string out = capture([](KXHTMLState& state, KXHTMLFileWriter& w) {
        kx::test::ScopedLocale german("de_DE.UTF-8");
        state._indexOfCSSParagraph(paragraph(36));
        KXHTML_CSS_Paragraph p = KXHTMLUtilities::defaultCssParagraphProperty();
        p.textIndent = 10;
        p.font.fontSize = 300;
        p.font.fontName = "";
        p.color = {300, -4, 17, 1};
        state._indexOfCSSParagraph(KXHTMLCSSParagraph(p));
        KXHTML_CSS_Span s = KXHTMLUtilities::defaultCssSpanProperty();
        s.font.fontSize = 5;
        s.textDecoration = 1;
        s.font.fontName = "Evil'</style><script>\\";
        state._indexOfCSSSpan(KXHTMLCSSSpan(s));
        state.writeRegistedCSSParagraph(w);
        state.writeRegistedCSSSpan(w);
    });
    EXPECT_EQ(out,
              "    p.p0 {margin: 0px 0px 0px 36px; font: 14px 'Arial'; color: #000000}\n"
              "    p.p1 {margin: 0px 0px 0px 0px; text-indent: 10px; font: 288px 'Times New Roman'; color: #ff0011}\n"
              "    span.s0 { font: 8px 'Evil\\'\\3c /style\\3e \\3c script\\3e \\\\'; text-decoration: underline; "
              "color: #000000}\n");
}
