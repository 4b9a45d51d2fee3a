#include "flowtext/KXHTMLPage.h"

#include "flowtext/KXHTMLCSSParagraph.h"
#include "flowtext/KXHTMLCSSSpan.h"
#include "flowtext/KXHTMLState.h"

KXHTMLPage::KXHTMLPage(KXHTMLFileWriter* writer, kx::Size pageSize, bool lastPage)
    : FlowPage(writer, pageSize, lastPage, true), writer_(writer) {}

void KXHTMLPage::_writeParagraphs() {
    if (paragraphArray().empty()) return;
    writeParagraphsOnLines();
    KXHTMLState::sharedInstance().endWriteParagraphTagsIfNeed(*writer_);
}

void KXHTMLPage::writeRunText(const kx::detail::FlowRunText& run) {
    const KXDocx_RPr& r = run.rProperty();
    KXHTML_CSS_Span span = KXHTMLUtilities::defaultCssSpanProperty();
    span.font.fontName = r.rFonts.ascii;
    span.font.fontSize = static_cast<float>(r.sz * 1.2);
    span.fontWeight = r.b ? 1 : 0;
    span.fontStyle = r.i ? 1 : 0;
    span.textDecoration = r.u != 0 ? 1 : 0;
    span.color = {static_cast<int16_t>(r.color.red), static_cast<int16_t>(r.color.green),
                  static_cast<int16_t>(r.color.blue), static_cast<int16_t>(r.color.alpha)};
    KXHTMLState::sharedInstance().writeCSSCSSSpanBegain(KXHTMLCSSSpan(span), *writer_);
    writer_->writeContent(run.runText());
}

void KXHTMLPage::writeNewLine(kx::detail::FlowParagraph& paragraph) {
    paragraph.resolvePProperty();
    const KXDocx_RPr& r = paragraph.rProperty();
    KXHTML_CSS_Paragraph css = KXHTMLUtilities::defaultCssParagraphProperty();
    css.margin.top = 0;
    css.margin.right = 0;
    css.margin.bottom = 0;
    const float left = paragraph.pProperty().ind.left - paragraph.textMargin().left;
    css.margin.left = left > 0 ? left : 0;
    css.font.fontName = r.rFonts.ascii;
    css.font.fontSize = static_cast<float>(r.sz * 1.2);
    css.color = {static_cast<int16_t>(r.color.red), static_cast<int16_t>(r.color.green),
                 static_cast<int16_t>(r.color.blue), static_cast<int16_t>(r.color.alpha)};
    KXHTMLState::sharedInstance().writeCSSParagraphBegain(KXHTMLCSSParagraph(css), *writer_);
}

void KXHTMLPage::writeContent(std::u16string_view text) { writer_->writeContent(text); }
