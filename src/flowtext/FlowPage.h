#pragma once
// The flow page of the three flow-text families: it holds the text runs the exporter captured on
// one PDF page and, when the page ends, orders them into paragraphs (FlowLayout_p.h, the same
// steps for every family) and has the family write them (`_writeParagraphs`): each family's page
// writes its paragraphs and runs in its own syntax through its own file writer.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "capture/RunContinuation.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "flowtext/FlowFileWriter.h"
#include "flowtext/FlowParagraph.h"
#include "flowtext/FlowRun.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "platform/Geometry.h"

namespace kx::detail {

class FlowPage {
public:
    using RunTextPtr = std::shared_ptr<FlowRunText>;
    using ParagraphPtr = std::unique_ptr<FlowParagraph>;

    // The page of a document writer: `writer` outlives the page (null: the page writes nothing).
    // `hasTextMargin`: the page measures the text's top and left margins (HTML and RTF indent their
    // paragraphs from them).
    FlowPage(FlowFileWriter* writer, kx::Size pageSize, bool lastPage, bool hasTextMargin);
    virtual ~FlowPage();
    FlowPage(const FlowPage&) = delete;
    FlowPage& operator=(const FlowPage&) = delete;

    // Sent by the document writer right after it made the page.
    void begainWritePage(std::int64_t /*pageNumber*/) { paragraphArray_.clear(); }
    // Sent once when the page's content has been read: builds the paragraphs, then writes them.
    void endWritePage(std::int64_t pageNumber);
    // Writes the paragraphs into the document writer, in the family's syntax.
    virtual void _writeParagraphs() = 0;

    // The text-box cache of the capture's text boxes, dropped when the box ends. Reading a page opens
    // none: turned text is read in its own frame (turnedRunTextArray).
    FlowParagraph* cachedTextBoxLastParagraph() {
        return cachedTextBoxParagraphs_.empty() ? nullptr : cachedTextBoxParagraphs_.back().get();
    }
    // A new last paragraph, with the run and paragraph properties of the one before it.
    FlowParagraph* cachedTextBoxNewParagraph();
    std::vector<ParagraphPtr>& cachedTextBoxParagraphs() { return cachedTextBoxParagraphs_; }
    void setCachedTextBoxParagraphs(std::vector<ParagraphPtr> p) { cachedTextBoxParagraphs_ = std::move(p); }

    // Orders the page's runs into `paragraphArray`: the runs of each reading frame (readingGroups)
    // through buildParagraphs, the frame the page reads in first, each other frame's after it
    // starting on a line of its own. Runs once per page.
    void _creatParagraphs();
    // Text drawn over itself (a bold face made by printing a line twice, a block of the page
    // drawn again at the same place) is read once: of runs with the same text and style whose
    // baselines lie within a point of each other and whose left ends lie within 1.5 points and
    // within half the first one's width, in the same reading frame, the first drawn stays and the
    // others go. The same letter twice in a row ("ll" in small type) stands a whole letter
    // further on and stays. The colour is not compared. Returns how many runs went.
    static size_t dropOverprintedRuns(std::vector<RunTextPtr>& runs);

    // A new text run of the page, cut from the page's arena.
    RunTextPtr makeRunText() { return std::allocate_shared<FlowRunText>(runArena_); }
    // Appends `text` to `runs`' last run when the page holds more than kx::kRunsBeforeExtending runs,
    // `last` is that run (the run made or extended just before, null for none) and the text
    // continues it (kx::continuesRun; `g` spans the text's baseline from where it begins). The run
    // then ends where the text does. Returns whether it did.
    bool extendLastRun(std::vector<RunTextPtr>& runs, FlowRunText* last, const std::u16string& text,
                       const KXPDF_CTMInfo& g, double width, const KXDocx_RPr* style, double spaceWidth, int frame);

    bool isLastPage() const { return isLastPage_; }
    const KXDocx_PgMar& textMargin() const { return textMargin_; }
    void setTextMargin(const KXDocx_PgMar& m) { textMargin_ = m; }
    const KXDocx_SectPr& sectProperty() const { return sectProperty_; }
    void setSectProperty(const KXDocx_SectPr& s) { sectProperty_ = s; }
    const std::vector<ParagraphPtr>& paragraphArray() const { return paragraphArray_; }
    std::vector<ParagraphPtr>& paragraphArray() { return paragraphArray_; }
    const std::vector<RunTextPtr>& allRunTextArray() const { return allRunTextArray_; }
    std::vector<RunTextPtr>& allRunTextArray() { return allRunTextArray_; }
    // The runs read in another frame than the upright one (turned text, vertical writing), in the
    // order shown; each holds its frame and its geometry in that frame.
    const std::vector<RunTextPtr>& turnedRunTextArray() const { return turnedRunTextArray_; }
    std::vector<RunTextPtr>& turnedRunTextArray() { return turnedRunTextArray_; }
    // The page's size as shown.
    kx::Size pageSize() const { return pageSize_; }

    // The blanks that stand for a horizontal gap between two paragraphs on one line: one per space
    // width, rounded up. At least one, since the gap separates words even when the font gives no
    // usable space width, and never more than a line of blanks.
    static int joiningBlanks(double gap, double spaceWidth);

protected:
    // ---- What each family writes ----
    // A text run.
    virtual void writeRunText(const FlowRunText& run) = 0;
    // The start of a paragraph on a new line (HTML and RTF; nothing by default).
    virtual void writeNewLine(FlowParagraph& /*paragraph*/) {}
    // Text content between runs (HTML and RTF escape it as their text).
    virtual void writeContent(std::u16string_view /*text*/) {}

    // A paragraph: its runs in order, or one line break for a paragraph without runs.
    void writeParagraph(const FlowParagraph& paragraph);
    // Writing for HTML and RTF: a paragraph that continues the line of the one before it is joined
    // to it by blanks (or the writer's indentation when they touch); any other starts a new line
    // of the output. After a line of text one empty paragraph is kept and further ones dropped.
    void writeParagraphsOnLines();
    // Writing for plain text: paragraphs on one baseline are joined by the writer's indentation,
    // all others start a new line.
    void writeParagraphsAsText();

private:
    FlowFileWriter* documentWriter_ = nullptr;
    bool isLastPage_ = false;
    bool hasTextMargin_ = false;
    KXDocx_SectPr sectProperty_;
    KXDocx_PgMar textMargin_;
    std::vector<ParagraphPtr> paragraphArray_;
    std::vector<RunTextPtr> allRunTextArray_;
    std::vector<RunTextPtr> turnedRunTextArray_;
    kx::Size pageSize_;
    // Where in `paragraphArray_` the paragraphs of each frame after the first begin, in order, and
    // that frame's text margin: the writers start a new line there whatever the coordinates say
    // (each frame has its own), and indent the frame's paragraphs from its own margin.
    struct GroupStart {
        size_t index;
        KXDocx_PgMar margin;
    };
    std::vector<GroupStart> groupStarts_;
    // The group that begins at paragraph `index`, or null.
    const GroupStart* groupStartingAt(size_t index) const {
        auto it = std::lower_bound(groupStarts_.begin(), groupStarts_.end(), index,
                                   [](const GroupStart& g, size_t i) { return g.index < i; });
        return it != groupStarts_.end() && it->index == index ? &*it : nullptr;
    }
    std::vector<ParagraphPtr> cachedTextBoxParagraphs_;
    RunArenaAllocator<FlowRunText> runArena_;
};

}  // namespace kx::detail
