#include "flowtext/KXHTMLCSSParagraph.h"

#include <cmath>

#include "platform/Format.h"

namespace {
double px(float v) { return std::isfinite(v) ? v : 0.0; }
}  // namespace

KXHTMLCSSParagraph::KXHTMLCSSParagraph() : cssPProperty_(KXHTMLUtilities::defaultCssParagraphProperty()) {}

KXHTMLCSSParagraph::KXHTMLCSSParagraph(const KXHTML_CSS_Paragraph& property) { setCssPProperty(property); }

void KXHTMLCSSParagraph::setCssPProperty(const KXHTML_CSS_Paragraph& property) {
    cssPProperty_ = property;
    cssPProperty_.color = KXHTMLUtilities::fixedCssColor(property.color);
    cssPProperty_.font = KXHTMLUtilities::fixedCssFont(property.font);
}

bool KXHTMLCSSParagraph::isEqualToEntry(const KXHTMLCSSParagraph* other) const {
    return KXHTMLUtilities::isCSSParagraph(cssPProperty_, other ? other->cssPProperty_ : KXHTML_CSS_Paragraph{});
}

std::string KXHTMLCSSParagraph::cssStringFormat() const {
    const KXHTML_CSS_Paragraph& p = cssPProperty_;
    std::string css = kx::format("{margin: %0.0fpx %0.0fpx %0.0fpx %0.0fpx;", px(p.margin.top), px(p.margin.right),
                                 px(p.margin.bottom), px(p.margin.left));
    if (p.textIndent > 0) css += kx::format(" text-indent: %0.0fpx;", px(p.textIndent));
    css += kx::format(" font: %0.0fpx '%s';", px(p.font.fontSize),
                      KXHTMLUtilities::cssQuotedFontName(p.font.fontName).c_str());
    css += kx::format(" color: #%02x%02x%02x", p.color.red, p.color.green, p.color.blue);
    css += "}";
    return css;
}
