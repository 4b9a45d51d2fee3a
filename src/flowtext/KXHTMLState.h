#pragma once
// The HTML formatting of one document: every distinct paragraph and span record becomes a numbered
// CSS class (in order of first use), and the tags that refer to them are opened and closed here, in
// proper nesting, as the paragraphs and runs are written. One process-wide instance, used from the
// conversion thread only; the document writer resets it when a document begins.

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "flowtext/KXHTMLCSSParagraph.h"
#include "flowtext/KXHTMLCSSSpan.h"

class KXHTMLFileWriter;

class KXHTMLState {
public:
    static KXHTMLState& sharedInstance();
    KXHTMLState();

    void resetToDefault();

    // The class number of the entry, registering a copy when no equal entry exists.
    long long _indexOfCSSParagraph(const KXHTMLCSSParagraph& entry);
    long long _indexOfCSSSpan(const KXHTMLCSSSpan& entry);

    // Closes what is open, then opens "<p class=\"pN\">".
    void writeCSSParagraphBegain(const KXHTMLCSSParagraph& entry, KXHTMLFileWriter& writer);
    void writeCSSParagraphEnd(KXHTMLFileWriter& writer);
    // Opens a span of the entry's class with its bold and italic tags; when a span of the same
    // class is open, only the bold and italic tags change.
    void writeCSSCSSSpanBegain(const KXHTMLCSSSpan& entry, KXHTMLFileWriter& writer);
    void _writeCSSSpanEnd(KXHTMLFileWriter& writer);
    void endWriteSpanTagsIfNeed(KXHTMLFileWriter& writer);
    // Closes an open span, then an open paragraph.
    void endWriteParagraphTagsIfNeed(KXHTMLFileWriter& writer);

    // The style-sheet lines: "    p.pN {...}\n" and "    span.sN {...}\n".
    void writeRegistedCSSParagraph(KXHTMLFileWriter& writer) const;
    void writeRegistedCSSSpan(KXHTMLFileWriter& writer) const;

    bool isParagraphWrited() const { return isParagraphWrited_; }
    bool isSpanWrited() const { return isSpanWrited_; }
    const KXHTML_CSS_Paragraph& cssParagraphUsed() const { return cssParagraphUsed_; }
    const KXHTML_CSS_Span& cssSpanUsed() const { return cssSpanUsed_; }

private:
    // The compared fields of a record, for finding an equal entry without a search.
    using ParagraphKey = std::tuple<float, float, float, float, float, int16_t, int16_t, int16_t, int16_t, float,
                                    std::string>;
    using SpanKey = std::tuple<int, int16_t, int16_t, int16_t, int16_t, float, std::string>;

    // Brings the open bold and italic tags to the wanted ones, closing in reverse order of opening.
    void setInlineTags(bool bold, bool italic, KXHTMLFileWriter& writer);

    std::vector<KXHTMLCSSParagraph> _registeredCSSParagraph;
    std::vector<KXHTMLCSSSpan> _registeredCSSSpan;
    std::map<ParagraphKey, long long> paragraphIndex_;
    std::map<SpanKey, long long> spanIndex_;
    bool isParagraphWrited_ = false;
    KXHTML_CSS_Paragraph cssParagraphUsed_;
    bool isSpanWrited_ = false;
    KXHTML_CSS_Span cssSpanUsed_;
    // The open inline tags inside the span, innermost last: 'b' or 'i'.
    std::string openInlineTags_;
};
