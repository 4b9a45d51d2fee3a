#include "xlsx/ExcelLayout_p.h"

#include <algorithm>

#include "xlsx/KXExcelRunText.h"
#include "xlsx/KXExcelSortUtilities.h"

namespace kx::detail {

std::vector<RunList> bandsByY(const RunList& runs) {
    std::vector<RunList> bands;
    double reach = 0;
    for (KXExcelRunText* r : runs) {
        if (!bands.empty() && reach > r->ctmInfo().yTop) {
            bands.back().push_back(r);
            reach = std::max(reach, r->ctmInfo().yBase);
        } else {
            bands.push_back({r});
            reach = r->ctmInfo().yBase;
        }
    }
    return bands;
}

std::vector<RunList> bandsByX(const RunList& runs) {
    std::vector<RunList> bands;
    double reach = 0;
    for (KXExcelRunText* r : runs) {
        if (!bands.empty() && reach >= r->ctmInfo().xLeft) {
            bands.back().push_back(r);
            reach = std::max(reach, r->ctmInfo().xRight);
        } else {
            bands.push_back({r});
            reach = r->ctmInfo().xRight;
        }
    }
    return bands;
}

kx::AffineTransform readingFrame(int quarterTurn, kx::Size size) {
    if (quarterTurn == 90) return {0, -1, 1, 0, 0, size.width};    // (x, y) -> (y, W - x)
    if (quarterTurn == 270) return {0, 1, -1, 0, size.height, 0};  // (x, y) -> (H - y, x)
    return kx::AffineTransform::identity();
}

namespace {

// Groups from the first run not yet taken, each group's members taken as they join; `continues`
// and `ends` are the join's test and the sorted list's end of the search, `reachOf` what a member
// extends, `merge` makes the group one run.
template <class Continues, class Ends, class ReachOf, class Merge>
RunList joined(const RunList& runs, Continues continues, Ends ends, ReachOf reachOf, Merge merge) {
    RunList result;
    std::vector<char> taken(runs.size(), 0);
    RunList group;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (taken[i]) continue;
        const KXExcelRunText& anchor = *runs[i];
        group.assign(1, runs[i]);
        double reach = reachOf(anchor);
        for (size_t j = i + 1; j < runs.size(); ++j) {
            if (taken[j]) continue;
            if (ends(*runs[j], reach)) break;
            if (!continues(anchor, *runs[j], reach)) continue;
            taken[j] = 1;
            group.push_back(runs[j]);
            reach = std::max(reach, reachOf(*runs[j]));
        }
        result.push_back(group.size() == 1 ? group.front() : merge(group));
    }
    return result;
}

}  // namespace

RunList joinedLines(const RunList& runs, std::int32_t option) {
    return joined(
        runs,
        [option](const KXExcelRunText& a, const KXExcelRunText& r, double reach) {
            return KXExcelSortUtilities::continuesLine(a, r, reach, option);
        },
        [option](const KXExcelRunText& r, double reach) { return KXExcelSortUtilities::endsLine(r, reach, option); },
        [](const KXExcelRunText& r) { return r.ctmInfo().xRight; },
        [](const RunList& g) { return KXExcelSortUtilities::MergeRunTextsInWidth(g); });
}

RunList joinedCells(const RunList& runs) {
    return joined(
        runs, [](const KXExcelRunText& a, const KXExcelRunText& r, double reach) {
            return KXExcelSortUtilities::continuesCell(a, r, reach);
        },
        [](const KXExcelRunText& r, double reach) { return KXExcelSortUtilities::endsCell(r, reach); },
        [](const KXExcelRunText& r) { return r.ctmInfo().yBottom; },
        [](const RunList& g) { return KXExcelSortUtilities::MergeRunTextsInHeight(g); });
}

}  // namespace kx::detail
