#pragma once
// One CSS paragraph class of the HTML output: a paragraph record, clamped when set.

#include <string>

#include "flowtext/KXHTMLUtilities.h"

class KXHTMLCSSParagraph {
public:
    KXHTMLCSSParagraph();
    explicit KXHTMLCSSParagraph(const KXHTML_CSS_Paragraph& property);

    const KXHTML_CSS_Paragraph& cssPProperty() const { return cssPProperty_; }
    // Clamps the colour and the font, then stores the record.
    void setCssPProperty(const KXHTML_CSS_Paragraph& property);

    // Null counts as an all-zero record.
    bool isEqualToEntry(const KXHTMLCSSParagraph* other) const;
    // The declaration block, "{margin: ...; font: ...; color: #rrggbb}".
    std::string cssStringFormat() const;

private:
    KXHTML_CSS_Paragraph cssPProperty_;
};
