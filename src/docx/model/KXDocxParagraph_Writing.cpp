// Paragraphs: writing one "w:p" with its properties and tab stops, an optional column break and
// its runs, after the last corrections that depend on how many lines it writes.

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxParagraph.h"
#include "docx/model/KXDocxRunTab.h"
#include "docx/model/KXDocxUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"

namespace {
constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
// How much of the page's right margin a one-line paragraph may use, and what it leaves of it.
constexpr double kMaxMarginUsed = 36.0;
constexpr double kPageEdgeKept = 6.0;

bool isTab(const std::shared_ptr<KXDocxRun>& run) { return dynamic_cast<const KXDocxRunTab*>(run.get()) != nullptr; }
}  // namespace

bool KXDocxParagraph::haveRunTab() const {
    for (const auto& group : writeRunGroupArray_)
        if (std::any_of(group.begin(), group.end(), isTab)) return true;
    return false;
}

KXDocx_Tabs KXDocxParagraph::tabsPropertyInParagraph() const {
    KXDocx_Tabs tabs;
    for (const auto& group : writeRunGroupArray_) {
        for (const auto& run : group) {
            if (auto tab = std::dynamic_pointer_cast<KXDocxRunTab>(run))
                tabs.tabArray.push_back({"none", "left", static_cast<float>(tab->tabPostion() - columnFrame_.origin.x)});
        }
    }
    return tabs;
}

void KXDocxParagraph::writeWithXMLWriter(XMLFileWriter& writer) {
    fixOutsideSpacingError();
    moveOneCharacterCondensingLeft();
    writer.writeStartElementWithNamespace(W, "p");
    KXDocx_PPr p = pProperty_;
    KXDocx_RPr r = rProperty_;
    const KXDocx_SectPr& s = sectProperty_;
    const size_t n = writeRunGroupArray_.size();

    if (n == 0) {
        if (r.sz > p.spacing.line) {
            r.sz = std::floor(p.spacing.line);
            r.szCs = r.sz;
        }
    } else if (n == 1) {
        // A tab stop holds only for left-aligned text.
        if (haveRunTab()) {
            p.jc = 0;
            pProperty_.jc = 0;
        }
    } else {
        // Several lines flow as Word breaks them: tabs would no longer line up.
        for (auto& group : writeRunGroupArray_) group.erase(std::remove_if(group.begin(), group.end(), isTab), group.end());
    }

    const kx::Rect& column = columnFrame_;
    const kx::Rect& content = contentFrame_;
    if (n < 2) {
        switch (p.jc) {
            case 1:
                p.ind.left = 0;
                if (n == 1)
                    p.ind.right = static_cast<float>(std::floor((column.origin.x + column.size.width) -
                                                                (content.origin.x + content.size.width)) -
                                                     1.0);
                break;
            case 2:
                if (n == 1) {
                    p.ind.left = static_cast<float>(std::floor((content.origin.x + content.size.width * 0.5) -
                                                               (column.origin.x + column.size.width * 0.5)));
                } else {
                    p.ind.left = 0;
                }
                p.ind.right = 0;
                break;
            case 3:
            case 4:
                p.jc = 0;
                break;
            default:
                break;
        }
    }

    // A line that stood on one line in the PDF must not wrap in the word processor, where a font
    // that sets it a little wider would push a second line into the page's height. A left-aligned
    // line at the right edge of the text area may run on into the page's right margin.
    if (n == 1 && p.jc == 0 && p.ind.right <= 0 && s.pgSz.w > 0) {
        const double textRight = static_cast<double>(s.pgSz.w) - s.pgMar.right;
        if (std::fabs(column.maxX() - textRight) < 1.0) {
            const double slack = std::min(static_cast<double>(s.pgMar.right) - kPageEdgeKept, kMaxMarginUsed);
            if (slack > 0) p.ind.right = static_cast<float>(-slack);
        }
    }

    if (!paragraphText_.empty()) {
        if (p.spacing.line < 5.0f) p.spacing.line = 5.0f;
    } else if (r.sz > p.spacing.line) {
        r.sz = p.spacing.line < 5.0f ? 5.0f : p.spacing.line;
        r.szCs = r.sz;
    }

    KXDocxUtilities::WritePProperty(p, r, s, tabsPropertyInParagraph(), writer);

    if (breakColumn_) {
        writer.writeStartElementWithNamespace(W, "r");
        writer.writeStartElementWithNamespace(W, "rPr");
        writer.writeEndElement();
        writer.writeStartElementWithNamespace(W, "br");
        writer.writeAttributeWithNamespace(W, "type", "column");
        writer.writeEndElement();
        writer.writeEndElement();
    }

    // Neighbouring text runs written alike share one "w:r".
    std::vector<const KXDocxRunText*> alike;
    KXDocx_RPr alikeProperty;
    auto flush = [&] {
        if (alike.empty()) return;
        KXDocxRunText::WriteRunTextsWithXMLWriter(alike, alikeProperty, writer);
        alike.clear();
    };
    // Spacing is written in whole twentieths of a point a character: the rounding of each run is
    // carried into the next one of its line, or a line as wide as its paragraph could come out
    // wider than its place on the page by the rounding of all its runs and wrap. A tab or a
    // picture starts the count again.
    for (const auto& group : writeRunGroupArray_) {
        double carried = 0;
        for (const auto& run : group) {
            auto text = std::dynamic_pointer_cast<KXDocxRunText>(run);
            if (!text) {
                flush();
                run->writeWithXMLWriter(writer);
                carried = 0;
                continue;
            }
            const float line = p.spacing.line;
            if (line > 4.9f && 0.9 * text->rProperty().sz > line) {
                KXDocx_RPr property = text->rProperty();
                property.sz = line;
                property.szCs = line;
                text->setRProperty(property);
            }
            KXDocx_RPr property = text->writtenRProperty(carried);
            if (alike.empty() || !KXDocxRPrIsWrittenAlike(property, alikeProperty)) {
                flush();
                alikeProperty = std::move(property);
            }
            alike.push_back(text.get());
        }
    }
    flush();
    writer.writeEndElement();
}
