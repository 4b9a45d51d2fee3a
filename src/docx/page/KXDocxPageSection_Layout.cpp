// Page sections: the layout of the column groups. Every text line becomes a paragraph of its own
// whose spacing reproduces the line's vertical place; the empty space above the first line, between
// lines and below the last becomes blank paragraphs or spacing. Joining lines into running
// paragraphs comes later (KXDocxPageSection_Merging.cpp).

#include <algorithm>
#include <cmath>
#include <span>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxPageSection.h"

namespace {

constexpr double kTopOffsetAbsorbed = 8.0;
constexpr double kEmptyColumnHeight = 24.0;

KXDocx_SectPr withoutBreak(KXDocx_SectPr record) {
    record.shouldWrite = false;
    return record;
}

template <class T>
void append(std::vector<T>& to, const std::vector<T>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

}  // namespace

std::vector<KXDocxRunTextLineArray> KXDocxPageSection::MergeRunTextLineWithColumGroupArray(
    const std::vector<KXDocxRunTextLineArray>& groups) {
    std::vector<KXDocxRunTextLineArray> out;
    out.reserve(groups.size());
    for (const auto& group : groups) {
        KXDocxRunTextLineArray merged;
        for (size_t i = 0; i < group.size();) {
            // The rest of the group seen in place: the walk stops at its first break.
            KXDocxRunTextLineArray one =
                KXDocxRunTextLine::FindRunTextLineArrayAs1Line(std::span(group).subspan(i));
            if (one.size() >= 2) {
                merged.push_back(KXDocxRunTextLine::MergeRunTextLineArray(one));
                i += one.size();
            } else {
                merged.push_back(group[i]);
                ++i;
            }
        }
        out.push_back(std::move(merged));
    }
    return out;
}

void KXDocxPageSection::RemoveScriptIfNeed(const std::vector<KXDocxRunTextLineArray>& groups) {
    for (const auto& group : groups)
        for (const auto& line : group)
            if (KXDocxRunTextLine::IsScriptLine(*line)) line->removeScript();
}

void KXDocxPageSection::setColumGroupArray(std::vector<KXDocxRunTextLineArray> groups) {
    if (!groups.empty()) {
        groups = MergeRunTextLineWithColumGroupArray(groups);
        RemoveScriptIfNeed(groups);
    }
    columGroupArray_ = std::move(groups);
    if (columGroupArray_.empty()) return;

    updateColumGroupFrame();
    createSectProperty_Cols();

    double topSpace = columGroupFrame_.origin.y - sectionFrame_.origin.y;
    if (topSpace <= kTopOffsetAbsorbed) {
        columGroupFrame_.origin.y -= topSpace;
        columGroupFrame_.size.height += topSpace;
        topSpace = 0;
    }
    const double bottomSpace = sectionFrame_.maxY() - columGroupFrame_.maxY();

    const bool columns = sectProperty_.cols.num >= 2;
    double x = sectProperty_.pgMar.left;
    for (size_t i = 0; i < columGroupArray_.size(); ++i) {
        const KXDocxRunTextLineArray& lines = columGroupArray_[i];
        const kx::Rect groupFrame = KXDocxRunTextLine::FrameOfLineArray(lines);
        const bool hasRecord = columns && i < sectProperty_.cols.col.size();
        const double width = hasRecord ? sectProperty_.cols.col[i].colWidth : textWidth();
        const kx::Rect columnFrame(x, columGroupFrame_.origin.y, width, columGroupFrame_.size.height);
        const int trend = RecognizeTextAlignTrend(lines, groupFrame, columnFrame);
        KXDocxParagraphArray paragraphs = paragraphsOfGroup(lines, groupFrame, columnFrame, trend);
        if (i > 0 && !paragraphs.empty()) paragraphs.front()->setBreakColumn(true);
        if (hasRecord) x += sectProperty_.cols.col[i].colWidth + sectProperty_.cols.col[i].colSpace;
        paragraphGroupArray_.emplace_back(paragraphs.begin(), paragraphs.end());
    }

    if (topSpace > 0) {
        std::shared_ptr<KXDocxParagraph> p = firstParagraph();
        append(headBlankParagraphArray_,
               KXDocxParagraph::BlankParagraph(topSpace, p ? p->pProperty().spacing.line : 0,
                                               columGroupFrame_.origin.x - sectionFrame_.origin.x, 0, 0,
                                               p ? p->rProperty() : KXDocx_RPr{}, withoutBreak(sectProperty_),
                                               sectionFrame_.origin.y, sectionFrame_));
    }
    if (bottomSpace > 0) footBlankHeight_ = bottomSpace;
}

KXDocxParagraphArray KXDocxPageSection::paragraphsOfGroup(const KXDocxRunTextLineArray& lines,
                                                          const kx::Rect& groupFrame, const kx::Rect& columnFrame,
                                                          int trend) {
    const KXDocx_SectPr record = withoutBreak(sectProperty_);
    if (lines.empty())
        return KXDocxParagraph::BlankParagraph(kEmptyColumnHeight, kEmptyColumnHeight, 0, 0, trend,
                                               KXDocxUtilities::defaultRProperty(), record, sectionFrame_.origin.y,
                                               columnFrame);

    const kx::Rect& contentFrame = columGroupArray_.size() > 1 ? groupFrame : columnFrame;
    const bool lastLineLeavesGap = columGroupArray_.size() >= 2;
    KXDocxParagraphArray paragraphs;
    auto alignOf = [&](size_t j, const KXDocxRunTextLine* previous) {
        return RecognizeTextAlign(lines[j].get(), previous, 0, trend, contentFrame, columnFrame);
    };
    auto spaceBeforeOf = [&](size_t j) { return j == 0 ? lines[j]->lineFrame().origin.y - columGroupFrame_.origin.y : 0.0; };
    auto nextTop = [&](size_t j) {
        return j + 1 < lines.size() ? lines[j + 1]->lineFrame().origin.y : columGroupFrame_.maxY();
    };
    auto make = [&](const std::shared_ptr<KXDocxRunTextLine>& line, double before, double height, double after,
                    int align) {
        auto p = KXDocxParagraph::initWithLineArray({line}, before, height, after, columnFrame, align, record);
        paragraphs.push_back(p);
        return p;
    };

    for (size_t j = 0; j < lines.size();) {
        const KXDocxRunTextLine* previous = j > 0 ? lines[j - 1].get() : nullptr;
        const int align = alignOf(j, previous);
        const double before = spaceBeforeOf(j);

        // The rest of the lines seen in place: the cluster stops at the first line that does not
        // reach up into the one before it.
        KXDocxRunTextLineArray cluster = KXDocxRunTextLine::FindOverlapRunTextLineY(std::span(lines).subspan(j));
        // A line of no height (text under a flat matrix or of size 0) has no share of the cluster's
        // height to give: the cluster ends before it, and it becomes a paragraph of its own.
        const auto flat = std::find_if(cluster.begin(), cluster.end(), [](const auto& line) {
            return !(line->lineFrame().size.height > 0 && std::isfinite(line->lineFrame().size.height));
        });
        cluster.erase(flat, cluster.end());
        if (cluster.size() >= 2) {
            const size_t last = j + cluster.size() - 1;
            const double gapAfter = nextTop(last) - lines[last]->lineFrame().maxY();
            const kx::Rect &f = cluster[0]->lineFrame(), &s = cluster[1]->lineFrame();
            const double span = s.maxY() - f.origin.y;
            const double share = f.size.height + s.size.height > 0
                                     ? span * f.size.height / (f.size.height + s.size.height)
                                     : 0;
            const double rho = f.size.height > 0 ? (cluster[0]->yBaseLine() - f.origin.y) / f.size.height : 0;
            const double delta = (f.size.height - share) * rho;
            make(cluster[0], before + delta, share - delta, 0, align);
            // The running y follows the cluster's lines from the first one's top, which already
            // stands the space before below the frame's top: counting that space again would leave
            // the next lines too little height, squeezing a line of a column that starts lower than
            // the band into a fraction of its size and pulling the column up under it.
            double y = f.origin.y + delta + (share - delta);
            for (size_t c = 1; c < cluster.size(); ++c) {
                const auto& line = cluster[c];
                const kx::Rect& lf = line->lineFrame();
                const double rhoL = lf.size.height > 0 ? (line->yBaseLine() - lf.origin.y) / lf.size.height : 0;
                const double height = (line->yBaseLine() - y) * (2.0 - rhoL);
                const double after = c + 1 == cluster.size() ? gapAfter : 0;
                auto p = make(line, 0, height, after, alignOf(j + c, cluster[c - 1].get()));
                y += p->yBefore() + p->yHeight() + p->yAfter();
            }
            j += cluster.size();
            continue;
        }

        const auto& line = lines[j];
        const double h = line->lineFrame().size.height;
        const double gap = nextTop(j) - line->lineFrame().maxY();
        double after = gap, remainder = 0;
        if (gap - kTopOffsetAbsorbed > 2 * h) {
            after = 2 * h;
            remainder = gap - 2 * h;
        }
        auto p = make(line, before, h, after, align);
        const bool lastOfGroup = j + 1 == lines.size();
        if (remainder > 0 && !(lastLineLeavesGap && lastOfGroup)) {
            append(paragraphs,
                   KXDocxParagraph::BlankParagraph(remainder, h, p->pProperty().ind.left,
                                                   columnFrame.maxX() - line->lineFrame().maxX(), trend, p->rProperty(),
                                                   record, before + line->lineFrame().origin.y + h + after, columnFrame));
        }
        ++j;
    }
    return paragraphs;
}

void KXDocxPageSection::createFootBlankParagraphArray() {
    if (!(footBlankHeight_ > 1.0)) return;
    std::shared_ptr<KXDocxParagraph> p = firstParagraph();
    append(footBlankParagraphArray_,
           KXDocxParagraph::BlankParagraph(footBlankHeight_, p ? p->pProperty().spacing.line : 0,
                                           columGroupFrame_.origin.x - sectionFrame_.origin.x, 0, 0,
                                           p ? p->rProperty() : KXDocx_RPr{}, withoutBreak(sectProperty_),
                                           sectionFrame_.maxY() - footBlankHeight_, sectionFrame_));
}
