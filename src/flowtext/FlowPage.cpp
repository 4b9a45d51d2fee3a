#include "flowtext/FlowPage.h"

#include <algorithm>
#include <cmath>

#include "capture/OverprintedRuns.h"
#include "docx/model/KXDocxUtilities.h"
#include "flowtext/FlowLayout_p.h"
#include "flowtext/FlowReadingFrame_p.h"
#include "platform/Numeric.h"

namespace kx::detail {

FlowPage::FlowPage(FlowFileWriter* writer, kx::Size pageSize, bool lastPage, bool hasTextMargin)
    : documentWriter_(writer),
      isLastPage_(lastPage),
      hasTextMargin_(hasTextMargin),
      sectProperty_(KXDocxUtilities::defaultSectPropertyHiden()),
      pageSize_(pageSize) {
    sectProperty_.shouldWrite = true;
    sectProperty_.pgSz.w = static_cast<float>(pageSize.width);
    sectProperty_.pgSz.h = static_cast<float>(pageSize.height);
    sectProperty_.type = lastPage ? 0 : 1;
    textMargin_ = sectProperty_.pgMar;
}

FlowPage::~FlowPage() = default;

void FlowPage::endWritePage(std::int64_t) {
    _creatParagraphs();
    if (documentWriter_) _writeParagraphs();
}

FlowParagraph* FlowPage::cachedTextBoxNewParagraph() {
    auto paragraph = std::make_unique<FlowParagraph>();
    if (FlowParagraph* last = cachedTextBoxLastParagraph()) {
        last->resolvePProperty();
        paragraph->setPProperty(last->pProperty());
        paragraph->setRProperty(last->rProperty());
    }
    cachedTextBoxParagraphs_.push_back(std::move(paragraph));
    return cachedTextBoxParagraphs_.back().get();
}

size_t FlowPage::dropOverprintedRuns(std::vector<RunTextPtr>& runs) {
    return kx::dropOverprintedRuns(
        runs, [](const RunTextPtr& r) -> const std::u16string& { return r->runText(); },
        [](const RunTextPtr& r) { return r->ctmInfo().bottomLeft; }, [](const RunTextPtr& r) { return r->textWidth(); },
        [](const RunTextPtr& first, const RunTextPtr& other) {
            if (other->readingFrame() != first->readingFrame()) return false;
            KXDocx_RPr style = other->rProperty();
            style.color = first->rProperty().color;
            return KXDocxRPrIsEqual(first->rProperty(), style);
        });
}

void FlowPage::_creatParagraphs() {
    dropOverprintedRuns(allRunTextArray_);
    dropOverprintedRuns(turnedRunTextArray_);
    const std::vector<bool> stacked = verticalColumnsAmong(allRunTextArray_);
    // An upright page (most pages) is read as it is; so is a page without runs, which still
    // measures its (empty) margins.
    if ((turnedRunTextArray_.empty() && stacked.empty()) || (allRunTextArray_.empty() && turnedRunTextArray_.empty())) {
        std::vector<ParagraphPtr> result =
            buildParagraphs(allRunTextArray_, sectProperty_, hasTextMargin_ ? &textMargin_ : nullptr);
        for (ParagraphPtr& p : result) paragraphArray_.push_back(std::move(p));
        return;
    }
    std::vector<FrameGroup> groups = readingGroups(allRunTextArray_, turnedRunTextArray_, stacked, pageSize_);
    for (size_t g = 0; g < groups.size(); ++g) {
        // The page's margins and section are those of the frame it reads in.
        KXDocx_SectPr otherSect = sectProperty_;
        KXDocx_PgMar otherMargin = textMargin_;
        const bool main = g == 0;
        std::vector<ParagraphPtr> result =
            buildParagraphs(groups[g].shown(), main ? sectProperty_ : otherSect,
                            !hasTextMargin_ ? nullptr : main ? &textMargin_ : &otherMargin);
        // A later frame's place on its turned page says nothing of its distance from the text
        // before it: the blank lines that stand for that distance go.
        size_t first = 0;
        if (!main)
            while (first < result.size() && result[first]->runArray().empty()) ++first;
        if (first == result.size()) continue;
        if (!paragraphArray_.empty()) groupStarts_.push_back({paragraphArray_.size(), main ? textMargin_ : otherMargin});
        for (size_t i = first; i < result.size(); ++i) paragraphArray_.push_back(std::move(result[i]));
    }
}

bool FlowPage::extendLastRun(std::vector<RunTextPtr>& runs, FlowRunText* last, const std::u16string& text,
                             const KXPDF_CTMInfo& g, double width, const KXDocx_RPr* style, double spaceWidth,
                             int frame) {
    if (allRunTextArray_.size() + turnedRunTextArray_.size() <= kx::kRunsBeforeExtending) return false;
    if (!last || runs.empty() || runs.back().get() != last) return false;
    const KXPDF_CTMInfo& h = last->ctmInfo();
    const kx::RunPlace lastPlace{h, last->textWidth(), &last->rProperty(), last->spaceWidth(), last->readingFrame()};
    // The geometry of a string spans its baseline from its left end to its right.
    const kx::Point direction{g.xRight - g.xLeft, g.yRight - g.yLeft};
    if (!kx::continuesRun(lastPlace, {g, width, style, spaceWidth, frame}, direction)) return false;
    last->runText() += text;
    last->setTextWidth(g.bottomLeft.x + width - h.bottomLeft.x);
    return true;
}

int FlowPage::joiningBlanks(double gap, double spaceWidth) {
    constexpr int kMaxJoiningBlanks = 100;
    const double quotient = static_cast<float>(gap / spaceWidth);
    if (!(spaceWidth > 0.0) || !std::isfinite(quotient)) return 1;
    return std::clamp(kx::toInt<int>(std::ceil(quotient)), 1, kMaxJoiningBlanks);
}

void FlowPage::writeParagraph(const FlowParagraph& paragraph) {
    if (paragraph.runArray().empty()) {
        documentWriter_->writeLinebreak();
        return;
    }
    // A plain run writes nothing; text runs write their text.
    for (const FlowParagraph::RunPtr& run : paragraph.runArray())
        if (const FlowRunText* text = FlowParagraph::textOf(run.get())) writeRunText(*text);
}

void FlowPage::writeParagraphsOnLines() {
    if (paragraphArray_.empty()) return;
    FlowFileWriter& writer = *documentWriter_;
    FlowParagraph& first = *paragraphArray_.front();
    first.setTextMargin(textMargin_);
    writeNewLine(first);
    writeParagraph(first);
    FlowRunText* previous = first.lastRunText();
    KXDocx_PgMar margin = textMargin_;
    int counter = 0;
    for (size_t i = 1; i < paragraphArray_.size(); ++i) {
        FlowParagraph& p = *paragraphArray_[i];
        if (const GroupStart* group = groupStartingAt(i)) {
            margin = group->margin;
            previous = nullptr;
        }
        int pending = 0;
        if (!p.haveText()) {
            if (counter > 1) {
                ++counter;
                continue;
            }
            pending = counter + 1;
        }
        p.setTextMargin(margin);
        FlowRunText* last = p.lastRunText();
        if (!previous || !last || std::fabs(previous->ctmInfo().bottomLeft.y - last->ctmInfo().bottomLeft.y) > 2.0) {
            writeNewLine(p);
            counter = pending + 1;
        } else {
            FlowRunText* firstRun = p.firstRunText();
            const double gap = (firstRun ? firstRun->ctmInfo().bottomLeft.x : 0.0) -
                               (previous->ctmInfo().bottomLeft.x + previous->textWidth());
            if (gap > 0.0) {
                const int blanks = joiningBlanks(gap, last->spaceWidth());
                for (int k = 0; k < blanks; ++k) writeContent(u" ");
            } else {
                writer.writeIndentation();
            }
            counter = 0;
        }
        if (last) previous = last;
        writeParagraph(p);
    }
}

void FlowPage::writeParagraphsAsText() {
    if (paragraphArray_.empty()) return;
    FlowFileWriter& writer = *documentWriter_;
    writeParagraph(*paragraphArray_.front());
    FlowRunText* previous = paragraphArray_.front()->lastRunText();
    for (size_t i = 1; i < paragraphArray_.size(); ++i) {
        FlowParagraph& p = *paragraphArray_[i];
        FlowRunText* last = p.lastRunText();
        if (groupStartingAt(i)) previous = nullptr;
        if (previous && last && std::fabs(previous->ctmInfo().bottomLeft.y - last->ctmInfo().bottomLeft.y) <= 2.0)
            writer.writeIndentation();
        else
            writer.writeLinebreak();
        if (last) previous = last;
        writeParagraph(p);
    }
}

}  // namespace kx::detail
