#pragma once
// One CSS span class of the HTML output: a span record, clamped when set. Bold and italic ride
// along in the record but are written as tags, not as part of the class.

#include <string>

#include "flowtext/KXHTMLUtilities.h"

class KXHTMLCSSSpan {
public:
    KXHTMLCSSSpan();
    explicit KXHTMLCSSSpan(const KXHTML_CSS_Span& property);

    const KXHTML_CSS_Span& cssSpanProperty() const { return cssSpanProperty_; }
    // Clamps the colour and the font, then stores the record.
    void setCssSpanProperty(const KXHTML_CSS_Span& property);

    // Null counts as an all-zero record.
    bool isEqualToEntry(const KXHTMLCSSSpan* other) const;
    // The declaration block, "{ font: ...; color: #rrggbb}".
    std::string cssStringFormat() const;

private:
    KXHTML_CSS_Span cssSpanProperty_;
};
