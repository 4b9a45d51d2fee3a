// Page sections: spacing corrections. Line spacings written in twentieths of a point add up a
// rounding error, which the last paragraph of a run takes back; the gap between two text
// paragraphs goes into the space after the first; a blank paragraph after a text paragraph is
// folded into that paragraph's space after; and a section can give up vertical space from its
// outer spacing (for a table cell whose text would overflow it).

#include <algorithm>
#include <cmath>

#include "docx/page/layout/KXDocxPageSection.h"

void KXDocxPageSection::fixErrorSpaceInParagraphs(const KXDocxParagraphArray& paragraphs) {
    if (paragraphs.empty()) return;
    double sumLine = 0, sumTwips = 0;
    for (const auto& p : paragraphs) {
        const float line = p->pProperty().spacing.line;
        sumLine += static_cast<double>(line);
        sumTwips += std::round(line * 20.0f);
    }
    const auto& last = paragraphs.back();
    last->setSpaceLine(static_cast<double>(last->pProperty().spacing.line) + sumLine - sumTwips / 20.0);
}

std::vector<KXDocxWriterObjectArray> KXDocxPageSection::autoFitParagraphSpacing() {
    std::vector<KXDocxWriterObjectArray> columns;
    columns.reserve(paragraphGroupArray_.size());
    for (const auto& column : paragraphGroupArray_) {
        KXDocxWriterObjectArray out;
        if (column.empty()) {
            columns.push_back(out);
            continue;
        }
        out.push_back(column.front());
        std::shared_ptr<KXDocxParagraph> prev = std::dynamic_pointer_cast<KXDocxParagraph>(column.front());
        for (size_t i = 1; i < column.size(); ++i) {
            out.push_back(column[i]);
            auto cur = std::dynamic_pointer_cast<KXDocxParagraph>(column[i]);
            if (!prev || !cur) {
                prev = cur;
                continue;
            }
            const bool prevBlank = prev->isParagraphBlankText(), curBlank = cur->isParagraphBlankText();
            bool absorbed = false;
            if (!prevBlank && !curBlank) {
                const double g = prev->yAfter() + cur->yBefore();
                if (g > 1.0) {
                    prev->setSpaceLineAfter(g);
                    cur->setSpaceLineBefore(0);
                }
            } else if (!prevBlank && curBlank) {
                auto line = prev->firstRunLineText();
                const double h = line ? line->lineFrame().size.height : 0;
                const double a = prev->pProperty().spacing.after;
                if (h > a) {
                    const KXDocx_Spacing& s = cur->pProperty().spacing;
                    if (s.line - 8.0f > h) {
                        prev->setSpaceLineAfter(h);
                        cur->setBlankParagraphSpaceLine(s.line - (h - a));
                    } else {
                        prev->setSpaceLineAfter(a + (static_cast<double>(s.before) + s.line + s.after));
                        out.pop_back();
                        absorbed = true;
                    }
                }
            }
            if (!absorbed) prev = cur;
        }
        columns.push_back(std::move(out));
    }
    return columns;
}

double KXDocxPageSection::moveUpParagraphIfNeed(double shift) {
    if (shift < 0) return 0;
    if (paragraphGroupArray_.empty()) return shift;
    double r = shift;
    for (const auto& column : paragraphGroupArray_) {
        r = shift;
        std::shared_ptr<KXDocxParagraph> first, last;
        for (const auto& object : column)
            if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object)) {
                if (!first) first = p;
                last = p;
            }
        // The shift is taken out of a spacing as far as it goes.
        const auto takeFrom = [&r](float& spacing) {
            if (spacing > r) {
                spacing = static_cast<float>(spacing - r);
                r = 0;
            } else {
                r -= spacing;
                spacing = 0;
            }
        };
        if (first) {
            KXDocx_PPr p = first->pProperty();
            if (p.spacing.before > 0) {
                takeFrom(p.spacing.before);
                first->setPProperty(p);
            }
        }
        if (r > 0 && last) {
            KXDocx_PPr p = last->pProperty();
            takeFrom(p.spacing.after);
            last->setPProperty(p);
        }
    }
    return r;
}
