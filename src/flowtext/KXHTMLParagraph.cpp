#include "flowtext/KXHTMLParagraph.h"

#include "flowtext/KXHTMLState.h"

void KXHTMLParagraph::writeNewLineWithXMLWriter(KXHTMLFileWriter& writer) {
    resolvePProperty();
    const KXDocx_RPr& r = rProperty();
    KXHTML_CSS_Paragraph css = KXHTMLUtilities::defaultCssParagraphProperty();
    css.margin.top = 0;
    css.margin.right = 0;
    css.margin.bottom = 0;
    const float left = pProperty().ind.left - textMargin().left;
    css.margin.left = left > 0 ? left : 0;
    css.font.fontName = r.rFonts.ascii;
    css.font.fontSize = static_cast<float>(r.sz * 1.2);
    css.color = {static_cast<int16_t>(r.color.red), static_cast<int16_t>(r.color.green),
                 static_cast<int16_t>(r.color.blue), static_cast<int16_t>(r.color.alpha)};
    KXHTMLState::sharedInstance().writeCSSParagraphBegain(KXHTMLCSSParagraph(css), writer);
}
