#include "flowtext/KXHTMLState.h"

#include "flowtext/KXHTMLFileWriter.h"
#include "platform/Format.h"

KXHTMLState& KXHTMLState::sharedInstance() {
    static KXHTMLState state;
    return state;
}

KXHTMLState::KXHTMLState() { resetToDefault(); }

void KXHTMLState::resetToDefault() {
    isParagraphWrited_ = false;
    isSpanWrited_ = false;
    openInlineTags_.clear();
    _registeredCSSParagraph.clear();
    _registeredCSSSpan.clear();
    paragraphIndex_.clear();
    spanIndex_.clear();
}

long long KXHTMLState::_indexOfCSSParagraph(const KXHTMLCSSParagraph& entry) {
    const KXHTML_CSS_Paragraph& p = entry.cssPProperty();
    ParagraphKey key{p.textIndent,  p.margin.top,   p.margin.right, p.margin.bottom, p.margin.left,
                     p.color.red,   p.color.green,  p.color.blue,   p.color.alpha,   p.font.fontSize,
                     p.font.fontName};
    auto [it, inserted] = paragraphIndex_.try_emplace(std::move(key), static_cast<long long>(_registeredCSSParagraph.size()));
    if (inserted) _registeredCSSParagraph.push_back(entry);
    return it->second;
}

long long KXHTMLState::_indexOfCSSSpan(const KXHTMLCSSSpan& entry) {
    const KXHTML_CSS_Span& s = entry.cssSpanProperty();
    SpanKey key{s.textDecoration, s.color.red,     s.color.green,  s.color.blue,
                s.color.alpha,    s.font.fontSize, s.font.fontName};
    auto [it, inserted] = spanIndex_.try_emplace(std::move(key), static_cast<long long>(_registeredCSSSpan.size()));
    if (inserted) _registeredCSSSpan.push_back(entry);
    return it->second;
}

void KXHTMLState::writeCSSParagraphBegain(const KXHTMLCSSParagraph& entry, KXHTMLFileWriter& writer) {
    endWriteParagraphTagsIfNeed(writer);
    long long n = _indexOfCSSParagraph(entry);
    writer.write(kx::format("\n<p class=\"p%lld\">", n));
    isParagraphWrited_ = true;
    cssParagraphUsed_ = entry.cssPProperty();
}

void KXHTMLState::writeCSSParagraphEnd(KXHTMLFileWriter& writer) {
    if (!isParagraphWrited_) return;
    writer.write("</p>");
    isParagraphWrited_ = false;
}

void KXHTMLState::setInlineTags(bool bold, bool italic, KXHTMLFileWriter& writer) {
    auto wanted = [&](char tag) { return tag == 'b' ? bold : italic; };
    // Close from the innermost tag down to the lowest one that must go; tags above it that are
    // still wanted are opened again below.
    size_t keep = 0;
    while (keep < openInlineTags_.size() && wanted(openInlineTags_[keep])) ++keep;
    while (openInlineTags_.size() > keep) {
        writer.write(openInlineTags_.back() == 'b' ? "</b>" : "</i>");
        openInlineTags_.pop_back();
    }
    if (bold && openInlineTags_.find('b') == std::string::npos) {
        writer.write("<b>");
        openInlineTags_ += 'b';
    }
    if (italic && openInlineTags_.find('i') == std::string::npos) {
        writer.write("<i>");
        openInlineTags_ += 'i';
    }
}

void KXHTMLState::writeCSSCSSSpanBegain(const KXHTMLCSSSpan& entry, KXHTMLFileWriter& writer) {
    const KXHTML_CSS_Span& s = entry.cssSpanProperty();
    if (isSpanWrited_ && KXHTMLUtilities::isCSSSpan(s, cssSpanUsed_)) {
        setInlineTags(s.fontWeight != 0, s.fontStyle != 0, writer);
        cssSpanUsed_ = s;
        return;
    }
    endWriteSpanTagsIfNeed(writer);
    long long n = _indexOfCSSSpan(entry);
    writer.write(kx::format("<span class=\"s%lld\">", n));
    openInlineTags_.clear();
    setInlineTags(s.fontWeight != 0, s.fontStyle != 0, writer);
    isSpanWrited_ = true;
    cssSpanUsed_ = s;
}

void KXHTMLState::_writeCSSSpanEnd(KXHTMLFileWriter& writer) {
    if (!isSpanWrited_) return;
    setInlineTags(false, false, writer);
    writer.write("</span>");
    isSpanWrited_ = false;
}

void KXHTMLState::endWriteSpanTagsIfNeed(KXHTMLFileWriter& writer) { _writeCSSSpanEnd(writer); }

void KXHTMLState::endWriteParagraphTagsIfNeed(KXHTMLFileWriter& writer) {
    endWriteSpanTagsIfNeed(writer);
    writeCSSParagraphEnd(writer);
}

void KXHTMLState::writeRegistedCSSParagraph(KXHTMLFileWriter& writer) const {
    for (size_t i = 0; i < _registeredCSSParagraph.size(); ++i)
        writer.write(kx::format("    p.p%zu %s\n", i, _registeredCSSParagraph[i].cssStringFormat().c_str()));
}

void KXHTMLState::writeRegistedCSSSpan(KXHTMLFileWriter& writer) const {
    for (size_t i = 0; i < _registeredCSSSpan.size(); ++i)
        writer.write(kx::format("    span.s%zu %s\n", i, _registeredCSSSpan[i].cssStringFormat().c_str()));
}
