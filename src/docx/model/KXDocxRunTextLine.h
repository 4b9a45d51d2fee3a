#pragma once
// One visual line of text on a DOCX page: the text runs that sit on one baseline, left to right,
// after neighbouring runs that belong together have been fused. The line knows its frame, its
// baseline, the single-line height Word would give it, the range of reading positions it covers,
// its text (with " | " where the reading order breaks, a blank or a tab where one text flow leaves
// a gap) and the white-space gaps between its text flows, from which column groups find columns.
// A line may instead stand for an inline table, and then holds no runs.
//
// The class operations are the toolkit that turns a page's runs into ordered lines and rows: it
// drops overprinted duplicates, splits lines where the reading order jumps, gathers lines whose
// text continues, sorts them, finds the lines of one visual row, folds superscript and subscript
// lines into their main line and merges a row into one line. They leave their arguments as they
// are and return new arrays, except where a comment says otherwise. Orders are stable: equal keys
// keep the order they came in, and finders give ties to the earlier element.
//
// Geometry is in display space: points, origin at the top left, y downward ("above" is smaller y).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "docx/model/KXDocxRunText.h"
#include "docx/model/KXDocxRunTextLineSpace.h"
#include "platform/Geometry.h"

class KXDocxRunTextLine;
using KXDocxRunTextLineArray = std::vector<std::shared_ptr<KXDocxRunTextLine>>;
using KXDocxRunTextLineSpaceArray = std::vector<std::shared_ptr<KXDocxRunTextLineSpace>>;

class KXDocxRunTextLine {
public:
    // An empty line.
    KXDocxRunTextLine() = default;

    // A line built from the runs: ordered by reading position, fused, ordered left to right, with
    // its geometry, gaps and text. The runs are the caller's and the fusion changes them in place.
    static std::shared_ptr<KXDocxRunTextLine> initWithRunTextArray(KXDocxRunTextArray runs);
    // A line that stands for a table (any run of the table model).
    static std::shared_ptr<KXDocxRunTextLine> initWithTable(std::shared_ptr<KXDocxRun> table);

    std::shared_ptr<KXDocxRunTextLine> copy() const { return std::make_shared<KXDocxRunTextLine>(*this); }
    std::string description() const;

    // The line build (see initWithRunTextArray); nothing for no runs.
    void processRunTextArray();
    // Stores the runs and recomputes the geometry (not the gaps, not the text).
    void setRunTextArray(KXDocxRunTextArray runs);
    // Appends the runs and recomputes the geometry (not the gaps, not the text).
    void addRunTextArray(const KXDocxRunTextArray& runs);
    // Frame, baseline, reading range and line heights of the runs.
    void updateLineInfo(const KXDocxRunTextArray& runs);
    // The gaps of the runs (left to right), and the line text.
    KXDocxRunTextLineSpaceArray _findRowSpace(const KXDocxRunTextArray& runs);
    // The width of the text in the first run's font and size; 0 without runs.
    double getTextWidth(std::u16string_view text) const;
    // Whether each run's reading range ends where the next one's begins.
    bool isPDFScanIndexContinuous() const;
    // One blank after the last run.
    void addBlankSpaceTextBehind();
    // The blank width of the last run; 0 without runs.
    double behindTextSpaceWidth() const;
    // Undoes superscript and subscript: sizes back to the glyph height (half points), baseline back
    // to the glyph bottom.
    void removeScript();

    const std::u16string& lineText() const { return lineText_; }
    void setLineText(std::u16string text) { lineText_ = std::move(text); }
    const kx::Rect& lineFrame() const { return lineFrame_; }
    void setLineFrame(const kx::Rect& frame) { lineFrame_ = frame; }
    // The largest single-line height of the runs; 0 when a run of a several-run line has none.
    double wordSingleLineHeight() const { return wordSingleLineHeight_; }
    void setWordSingleLineHeight(double height) { wordSingleLineHeight_ = height; }
    double wordSingleLineBlankTop() const { return wordSingleLineBlankTop_; }
    void setWordSingleLineBlankTop(double top) { wordSingleLineBlankTop_ = top; }
    const KXDocxRunTextArray& runTextArray() const { return runTextArray_; }
    // The runs to change in place (the paragraph code puts split-off blanks between them).
    KXDocxRunTextArray& mutableRunTextArray() { return runTextArray_; }
    const KXDocxRunTextLineSpaceArray& spaceRowArray() const { return spaceRowArray_; }
    void setSpaceRowArray(KXDocxRunTextLineSpaceArray spaces) { spaceRowArray_ = std::move(spaces); }
    double yBaseLine() const { return yBaseLine_; }
    void setYBaseLine(double y) { yBaseLine_ = y; }
    std::uint64_t minPDFScanIndex() const { return minPDFScanIndex_; }
    void setMinPDFScanIndex(std::uint64_t index) { minPDFScanIndex_ = index; }
    // One past the last reading position.
    std::uint64_t maxPDFScanIndex() const { return maxPDFScanIndex_; }
    void setMaxPDFScanIndex(std::uint64_t index) { maxPDFScanIndex_ = index; }
    const std::shared_ptr<KXDocxRun>& inlineTable() const { return inlineTable_; }
    void setInlineTable(std::shared_ptr<KXDocxRun> table) { inlineTable_ = std::move(table); }

    // Finders: null for no elements, ties to the earlier element.
    static std::shared_ptr<KXDocxRunText> FindNewScanRunText(const KXDocxRunTextArray& runs);    // smallest index
    static std::shared_ptr<KXDocxRunText> FindMinIndexRunText(const KXDocxRunTextArray& runs);   // smallest index
    static std::shared_ptr<KXDocxRunText> FindXLeftRunText(const KXDocxRunTextArray& runs);      // smallest xLeft
    static std::shared_ptr<KXDocxRunTextLine> FindMinIndexRunTextLine(const KXDocxRunTextLineArray& lines);
    static std::shared_ptr<KXDocxRunTextLine> FindMaxHeightRunTextLine(const KXDocxRunTextLineArray& lines);
    // Lowest bottom edge.
    static std::shared_ptr<KXDocxRunTextLine> FindBottomRunTextLine(const KXDocxRunTextLineArray& lines);
    static std::shared_ptr<KXDocxRunTextLine> FindBaseYRunTextLine(const KXDocxRunTextLineArray& lines);
    static std::shared_ptr<KXDocxRunTextLine> FindTopYRunTextLine(const KXDocxRunTextLineArray& lines);

    // Stable orders.
    static KXDocxRunTextArray SortRunTextArrayByIndex(KXDocxRunTextArray runs);
    static KXDocxRunTextLineArray SortRunTextLineArrayByIndex(KXDocxRunTextLineArray lines);
    static KXDocxRunTextLineArray SortRunTextLineArrayByTopY(KXDocxRunTextLineArray lines);
    static KXDocxRunTextLineArray SortRunTextLineArrayByBaseY(KXDocxRunTextLineArray lines);

    // The union of the line frames; the zero rectangle for no lines.
    static kx::Rect FrameOfLineArray(const KXDocxRunTextLineArray& lines);
    static kx::Rect GetRunTextLineFrame(const KXDocxRunTextLineArray& lines) { return FrameOfLineArray(lines); }

    static KXDocxRunTextArray FindBankSpaceRunTextArray(const KXDocxRunTextArray& runs);
    // True when every run is blank (and for no runs).
    static bool IsBankSpaceRunTextArray(const KXDocxRunTextArray& runs);
    // Orders the given runs by reading position (in place), then whether each run's text range
    // ends where the next one's begins; false for no runs.
    static bool IsRunTextArrayPDFTextIndexContinuous(KXDocxRunTextArray& runs);
    // The same test on all the lines' runs; false for no lines.
    static bool IsRunLineArrayPDFTextIndexContinuous(const KXDocxRunTextLineArray& lines);
    // Whether two neighbours (in x order) overlap by more than half a character width.
    static bool HaveXOverlapRunTextArray(const KXDocxRunTextArray& runs);
    // Text drawn twice over itself (a shadow beside a title, a fake bold offset by more than a
    // duplicate): the runs of one row in reading order, cut wherever the reading goes back over
    // text it has shown, more than half a run deep. When every showing holds text that the
    // longest one holds too, one array per showing; else the runs alone, as given.
    static std::vector<KXDocxRunTextArray> SplitRunTextArrayDrawnTwice(const KXDocxRunTextArray& runs);
    // The first run and every later run that duplicates it; the caller keeps only the first.
    static KXDocxRunTextArray FindDuplicateRunTexts(const KXDocxRunTextArray& runs);

    // The line cut where the reading order breaks into lines of continuing text, by baseline.
    static KXDocxRunTextLineArray SplitRunTextLineForContinuous(const KXDocxRunTextLine& line);
    // The same over lines, by baseline; a single line comes back as it is.
    static KXDocxRunTextLineArray SplitRunTextLineArrayContinuous(const KXDocxRunTextLineArray& lines);
    // The earliest line and the lines that continue its text, by baseline; the caller takes them
    // out and asks again for the rest.
    static KXDocxRunTextLineArray FindRunTextLineArrayContinuous(const KXDocxRunTextLineArray& lines);
    // The topmost line and the lines of its row, by baseline.
    static KXDocxRunTextLineArray FindMergeRunTextLineArrayY(const KXDocxRunTextLineArray& lines);
    // The lines that form one visual line with the first one.
    static KXDocxRunTextLineArray FindRunTextLineArrayAs1Line(const KXDocxRunTextLineArray& lines);
    // The same for lines seen in place (the rest of a group, without a copy of it).
    static KXDocxRunTextLineArray FindRunTextLineArrayAs1Line(std::span<const std::shared_ptr<KXDocxRunTextLine>> lines);
    // A run of lines from the first that overlap each other vertically by more than a point; empty
    // when that is the first line alone.
    static KXDocxRunTextLineArray FindOverlapRunTextLineY(const KXDocxRunTextLineArray& lines);
    static KXDocxRunTextLineArray FindOverlapRunTextLineY(std::span<const std::shared_ptr<KXDocxRunTextLine>> lines);
    // Whether the lines are a main line with superscript or subscript lines beside it.
    static bool IsScriptRunTextLineArray(const KXDocxRunTextLineArray& lines);
    // Marks the runs of the smaller lines of a row as superscript or subscript on the main line's
    // baseline (changes those runs); merge the row afterwards.
    static void SetupScriptRunTextLineArray(const KXDocxRunTextLineArray& lines);
    static bool IsAllScriptRunTextArray(const KXDocxRunTextArray& runs);
    static bool IsScriptLine(const KXDocxRunTextLine& line);
    // One new line of all the lines' runs; the line itself for one line; null for none.
    static std::shared_ptr<KXDocxRunTextLine> MergeRunTextLineArray(const KXDocxRunTextLineArray& lines);

    // The runs from the first one that fuse with it: same baseline (within 1), consecutive reading
    // positions, equal run properties, each touching or overlapping the one before and right of
    // the first.
    static KXDocxRunTextArray FindLeft2RightMergeRunTextArray(const KXDocxRunTextArray& runs);
    // The first run absorbs the others (text, widths, frame, reading range) and is returned; the
    // others stay as they were. Null for no runs.
    static std::shared_ptr<KXDocxRunText> MergeLeft2RightRunTextArray(const KXDocxRunTextArray& runs);

private:
    std::u16string lineText_;
    kx::Rect lineFrame_;
    double wordSingleLineHeight_ = 0;
    double wordSingleLineBlankTop_ = 0;
    KXDocxRunTextArray runTextArray_;
    KXDocxRunTextLineSpaceArray spaceRowArray_;
    double yBaseLine_ = 0;
    std::uint64_t minPDFScanIndex_ = 0;
    std::uint64_t maxPDFScanIndex_ = 0;
    std::shared_ptr<KXDocxRun> inlineTable_;
};
