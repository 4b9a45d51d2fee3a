#pragma once
// The rules by which a spreadsheet page's runs are ordered, cut into bands of overlapping runs,
// joined into lines and cells, grouped by their row or column, and measured. Every tolerance of the
// grid layout lives here.
//
// Lists hold the page's runs (which the page owns). Operations named Find... answer, for a non-empty
// list, its first run and the later runs that go with it, in list order (an empty list for an empty
// list): the caller takes them out of its working list and asks again. The Merge... operations
// change the first run of the list in place; nothing else changes a run.

#include <cstdint>
#include <string_view>
#include <vector>

class KXExcelRunText;

class KXExcelSortUtilities {
public:
    using RunList = std::vector<KXExcelRunText*>;

    KXExcelSortUtilities() = delete;

    // Stable sorts by left edge and by top: sorting by X and then by Y orders by top, ties by left
    // edge; by Y and then by X orders by left edge, ties by top.
    static RunList SortRunTextsByX(const RunList& runs);
    static RunList SortRunTextsByY(const RunList& runs);

    // The first run's horizontal band: each later run whose top lies above the lowest baseline of
    // the band so far.
    static RunList FindRunTextsCrossedInHeight(const RunList& runs);
    // The first run's vertical band: each later run whose left edge lies at or left of the band's
    // right edge so far.
    static RunList FindRunTextsCrossedInWidth(const RunList& runs);
    // The runs that continue the first run's line: baselines less than 1 apart, properties alike
    // (isSameToRPr), and a gap from the line's right edge that the option allows (0: from -3 to 2
    // exclusive, 1: below 3, 2: less than 2 either way).
    static RunList FindRunTextsMergedInWidth(const RunList& runs, std::int32_t option = 0);
    // The runs that continue the first run's cell downwards: starting left of its right edge by
    // more than 1, their top within 2 of the cell's bottom so far, properties alike.
    static RunList FindRunTextsMergedInHeight(const RunList& runs);
    // The first run takes in the others as one line (texts one after the other, with a blank where
    // a gap parts two words) or as further lines of its cell (a blank between alike runs unless the
    // line break stands between two Chinese characters, a line break between unlike ones); its box
    // becomes the group's. Nullptr for an empty list.
    static KXExcelRunText* MergeRunTextsInWidth(const RunList& runs);
    static KXExcelRunText* MergeRunTextsInHeight(const RunList& runs);
    // The tests of the two joins for one run r against the group's first run, `reach` being the
    // group's right edge (line) or bottom (cell) so far.
    static bool continuesLine(const KXExcelRunText& anchor, const KXExcelRunText& r, double reach, std::int32_t option);
    static bool continuesCell(const KXExcelRunText& anchor, const KXExcelRunText& r, double reach);
    // On a list sorted by left edge (line) or top (cell), no run from r on can continue the group.
    static bool endsLine(const KXExcelRunText& r, double reach, std::int32_t option);
    static bool endsCell(const KXExcelRunText& r, double reach);
    // Whether the text holds a Chinese character (U+4E01 to U+9FFE).
    static bool HaveNoneEnglishString(std::u16string_view text);

    static RunList FindRunTextsInSameRowColumnIndex(const RunList& runs);
    static RunList FindRunTextsInSameColumnIndex(const RunList& runs);
    static RunList FindRunTextsInSameRowIndex(const RunList& runs);

    // Extremes of a non-empty list.
    static double GetMaxxRightInRunTexts(const RunList& runs);
    static double GetMinxRightInRunTexts(const RunList& runs);
    static double GetMaxxLeftInRunTexts(const RunList& runs);
    static double GetMinxLeftInRunTexts(const RunList& runs);
    static double GetMinxTopInRunTexts(const RunList& runs);
};
