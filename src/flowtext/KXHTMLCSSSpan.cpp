#include "flowtext/KXHTMLCSSSpan.h"

#include <cmath>

#include "platform/Format.h"

KXHTMLCSSSpan::KXHTMLCSSSpan() : cssSpanProperty_(KXHTMLUtilities::defaultCssSpanProperty()) {}

KXHTMLCSSSpan::KXHTMLCSSSpan(const KXHTML_CSS_Span& property) { setCssSpanProperty(property); }

void KXHTMLCSSSpan::setCssSpanProperty(const KXHTML_CSS_Span& property) {
    cssSpanProperty_ = property;
    cssSpanProperty_.color = KXHTMLUtilities::fixedCssColor(property.color);
    cssSpanProperty_.font = KXHTMLUtilities::fixedCssFont(property.font);
}

bool KXHTMLCSSSpan::isEqualToEntry(const KXHTMLCSSSpan* other) const {
    return KXHTMLUtilities::isCSSSpan(cssSpanProperty_, other ? other->cssSpanProperty_ : KXHTML_CSS_Span{});
}

std::string KXHTMLCSSSpan::cssStringFormat() const {
    const KXHTML_CSS_Span& s = cssSpanProperty_;
    double size = std::isfinite(s.font.fontSize) ? s.font.fontSize : 0.0;
    std::string css = kx::format("{ font: %0.0fpx '%s';", size,
                                 KXHTMLUtilities::cssQuotedFontName(s.font.fontName).c_str());
    if (s.textDecoration != 0)
        css += kx::format(" text-decoration: %s;", KXHTMLUtilities::cssTextDecoration(s.textDecoration).c_str());
    css += kx::format(" color: #%02x%02x%02x", s.color.red, s.color.green, s.color.blue);
    css += "}";
    return css;
}
