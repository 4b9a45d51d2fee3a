// Paragraphs: joining the runs of each line for writing. A PDF places every piece of text where it
// wants it; Word lays text out itself. Each horizontal gap between two neighbouring runs of a line
// is rendered so that the text flows as it stood: not at all (the runs touch; the gap goes into
// the spacing after a run, which may be negative), as one blank, as a tab with a left tab stop
// (one-line paragraphs only), and overlapping runs of one format become one run. A second pass,
// just before writing, turns leader strings (underscores, dots, equals signs) that cross other text
// into an underline of that text.

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxParagraph.h"
#include "docx/model/KXDocxRunTab.h"
#include "docx/model/KXDocxUtilities.h"

void KXDocxParagraph::resetRunTextTextSpacing() {
    for (const auto& line : lineArray_)
        for (const auto& run : line->runTextArray()) run->setOutsideSpacing(0);
}

void KXDocxParagraph::convertToWriteRunArray(const KXDocxRunTextLineArray& lines) {
    resetRunTextTextSpacing();
    std::u16string paragraphText;
    for (const auto& line : lines) {
        KXDocxRunTextArray& runs = line->mutableRunTextArray();
        if (runs.empty()) continue;
        KXDocxRunArray group;
        std::shared_ptr<KXDocxRunText> prev = runs.front();
        group.push_back(prev);
        std::u16string text = prev->runText();

        for (size_t i = 1; i < runs.size(); ++i) {
            std::shared_ptr<KXDocxRunText> cur = runs[i];
            double g = cur->ctmInfo().xLeft - prev->ctmInfo().xRight;
            const double sw = prev->spaceWidth();
            const double tw = prev->textWidth();
            std::shared_ptr<KXDocxRunText> merged;

            // Joined: the whole gap goes after the left run.
            auto join = [&] {
                text += cur->runText();
                prev->setOutsideSpacing(prev->outsideSpacing() + g);
                group.push_back(cur);
            };

            if (g < -0.75 * tw) {
                // The right run lies mostly over the left one.
                text += cur->runText();
                if (KXDocxRPrIsEqual(prev->rProperty(), cur->rProperty())) {
                    merged = KXDocxRunTextLine::MergeLeft2RightRunTextArray({prev, cur});
                } else {
                    cur->setOutsideSpacing(cur->outsideSpacing() + g);
                    group.push_back(cur);
                }
            } else if (g < std::max(static_cast<float>(sw) / 3.0f, 1.0f)) {
                // Touching: each run takes half the gap.
                text += cur->runText();
                prev->setOutsideSpacing(prev->outsideSpacing() + g / 2);
                cur->setOutsideSpacing(cur->outsideSpacing() + g / 2);
                group.push_back(cur);
            } else if (prev->runText().size() == 1 && g < 0.5 * sw) {
                join();
            } else if (g >= 1.5 * sw && lines.size() < 2) {
                text += u'\t';
                text += cur->runText();
                std::shared_ptr<KXDocxRunTab> tab = KXDocxRunTab::RunTapWithTabPostion(cur->ctmInfo().xLeft, g);
                tab->setRProperty(prev->sharedRProperty());
                group.push_back(tab);
                group.push_back(cur);
            } else if (g < 1.5 * sw && (prev->isSpaceLast() || cur->isSpaceFirst())) {
                join();
            } else {
                // A blank between the runs: split off the left run's own, or append one.
                text += u' ';
                text += cur->runText();
                if (std::shared_ptr<KXDocxRunText> blank = prev->splitBlackSpaceRunTextBehind()) {
                    g -= blank->textWidth();
                    blank->setOutsideSpacing(blank->outsideSpacing() + g);
                    runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(i), blank);
                    group.push_back(blank);
                    group.push_back(cur);
                    ++i;
                } else {
                    g -= prev->addBlankSpaceTextBehind();
                    prev->setOutsideSpacing(prev->outsideSpacing() + g);
                    group.push_back(cur);
                }
            }
            prev = merged ? merged : cur;
        }
        paragraphText += text;
        writeRunGroupArray_.push_back(std::move(group));
    }
    paragraphText_ = std::move(paragraphText);
}

// LibreOffice condenses every character of a run but its last: a run of one character, such as the
// blank split off a joined run where the page sets two words closer than a blank of the word
// processor's font, keeps its full width there, and a line of such blanks runs past the width it
// had on the page and wraps. The text run on its left takes the condensing instead, spread as its
// own over all its characters but the last.
void KXDocxParagraph::moveOneCharacterCondensingLeft() {
    for (const auto& group : writeRunGroupArray_) {
        std::shared_ptr<KXDocxRunText> left;
        for (const auto& run : group) {
            auto text = std::dynamic_pointer_cast<KXDocxRunText>(run);
            if (text && left && text->runText().size() == 1) {
                const double condensing = text->insideSpacing() + text->outsideSpacing();
                if (condensing < 0) {
                    left->setOutsideSpacing(left->outsideSpacing() + condensing);
                    text->setOutsideSpacing(text->outsideSpacing() - condensing);
                }
            }
            left = text;
        }
    }
}

void KXDocxParagraph::fixOutsideSpacingError() {
    KXDocxRunTextArray leaders, candidates;
    int u = 0;
    auto contains = [](const std::u16string& text, std::u16string_view what) {
        return text.find(what) != std::u16string::npos;
    };
    for (const auto& group : writeRunGroupArray_) {
        for (const auto& run : group) {
            auto text = std::dynamic_pointer_cast<KXDocxRunText>(run);
            if (!text) continue;
            const std::u16string& t = text->runText();
            if (contains(t, u"__") || contains(t, u"..") || contains(t, u"._") || contains(t, u"==")) {
                leaders.push_back(text);
                u = contains(t, u"__") ? 1 : contains(t, u"==") ? 2 : contains(t, u"..") ? 4 : 6;
            } else if (text->outsideSpacing() < 0.6 * text->textWidth()) {
                candidates.push_back(text);
            }
        }
    }
    if (leaders.empty() || candidates.empty()) return;
    for (const auto& r : candidates) {
        const double w = std::min(r->textWidth() - static_cast<double>(0.1f), 5.0);
        const kx::Rect& frame = r->ctmInfo().frame;
        double covered = 0;
        bool hit = false;
        for (const auto& leader : leaders) {
            kx::Rect common = leader->ctmInfo().frame.intersection(frame);
            if (common.isNull() || !(common.size.width > w)) continue;
            hit = true;
            leader->setRunText(u" ");
            covered += leader->textWidth();
        }
        if (!hit) continue;
        KXDocx_RPr property = r->rProperty();
        property.u = u;
        r->setRProperty(property);
        double spacing = r->outsideSpacing() + covered;
        r->setOutsideSpacing(spacing > 0 ? 0 : spacing);
    }
}
