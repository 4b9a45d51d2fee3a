#include "flowtext/KXHTMLRunText.h"

#include "flowtext/KXHTMLState.h"

void KXHTMLRunText::writeWithXMLWriter(KXHTMLFileWriter& writer) {
    const KXDocx_RPr& r = rProperty();
    KXHTML_CSS_Span span = KXHTMLUtilities::defaultCssSpanProperty();
    span.font.fontName = r.rFonts.ascii;
    span.font.fontSize = static_cast<float>(r.sz * 1.2);
    span.fontWeight = r.b ? 1 : 0;
    span.fontStyle = r.i ? 1 : 0;
    span.textDecoration = r.u != 0 ? 1 : 0;
    span.color = {static_cast<int16_t>(r.color.red), static_cast<int16_t>(r.color.green),
                  static_cast<int16_t>(r.color.blue), static_cast<int16_t>(r.color.alpha)};
    KXHTMLState::sharedInstance().writeCSSCSSSpanBegain(KXHTMLCSSSpan(span), writer);
    writer.writeContent(runText());
}
