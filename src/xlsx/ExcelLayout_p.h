#pragma once
// The cutting and joining steps the page and its layout nodes share.

#include <cstdint>
#include <vector>

class KXExcelRunText;

namespace kx::detail {

using RunList = std::vector<KXExcelRunText*>;

// A list sorted by top cut into its horizontal bands, and one sorted by left edge into its vertical
// bands (KXExcelSortUtilities::FindRunTextsCrossedInHeight / InWidth applied until nothing is
// left: on a sorted list each band is the next stretch of the list).
std::vector<RunList> bandsByY(const RunList& sortedByTop);
std::vector<RunList> bandsByX(const RunList& sortedByLeft);
// A list sorted by left edge with each line's runs joined into its first (FindRunTextsMergedInWidth
// and MergeRunTextsInWidth until nothing is left), and one sorted by top with each cell's lines
// joined (FindRunTextsMergedInHeight and MergeRunTextsInHeight).
RunList joinedLines(const RunList& sortedByLeft, std::int32_t option);
RunList joinedCells(const RunList& sortedByTop);

}  // namespace kx::detail
