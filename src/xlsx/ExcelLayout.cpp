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

// How far two runs share their heights, as a share of the lower of them: 0 for runs that do not
// meet, more for runs that overlap.
double heightShared(const KXExcelRunText& a, const KXExcelRunText& b) {
    const KXPDF_CTMInfo& g = a.ctmInfo();
    const KXPDF_CTMInfo& h = b.ctmInfo();
    const double shared = std::min(g.yBottom, h.yBottom) - std::max(g.yTop, h.yTop);
    const double lower = std::min(g.yBottom - g.yTop, h.yBottom - h.yTop);
    return shared > 0 && lower > 0 ? shared / lower : 0;
}

bool besideEachOther(const KXExcelRunText& a, const KXExcelRunText& b) {
    return a.ctmInfo().xRight <= b.ctmInfo().xLeft || b.ctmInfo().xRight <= a.ctmInfo().xLeft;
}

// A tenth of a line's height: lines set close still overlap less than this.
constexpr double kInterleaved = 0.1;

bool interleave(const RunList& upper, const RunList& lower) {
    bool beside = false;
    for (const KXExcelRunText* a : upper)
        for (const KXExcelRunText* b : lower) {
            if (heightShared(*a, *b) <= kInterleaved) continue;
            if (!besideEachOther(*a, *b)) return false;
            beside = true;
        }
    return beside;
}

}  // namespace

std::vector<RunList> tableBlocks(std::vector<RunList> bands) {
    std::vector<RunList> blocks;
    bool lastIsTable = false;
    for (RunList& band : bands) {
        const bool table = band.size() >= 2;
        if (table && lastIsTable) {
            RunList& block = blocks.back();
            block.insert(block.end(), band.begin(), band.end());
        } else {
            blocks.push_back(std::move(band));
        }
        lastIsTable = table;
    }
    return blocks;
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

std::vector<RunList> bandsWithCellsJoined(std::vector<RunList> bands, std::int32_t option) {
    std::vector<char> interleaved(bands.size(), 0);
    for (size_t k = 1; k < bands.size(); ++k) interleaved[k] = interleave(bands[k - 1], bands[k]);
    for (RunList& band : bands) band = joinedLines(KXExcelSortUtilities::SortRunTextsByX(band), option);
    for (size_t k = 1; k < bands.size(); ++k) {
        if (!interleaved[k]) continue;
        RunList& lower = bands[k];
        for (KXExcelRunText* a : bands[k - 1]) {
            for (auto it = lower.begin(); it != lower.end(); ++it) {
                // Runs of other columns of these bands lie anywhere beside it: the next line stands
                // below the line, overlapping it.
                if ((*it)->ctmInfo().xRight - a->ctmInfo().xLeft <= 1.0 ||
                    !KXExcelSortUtilities::continuesCell(*a, **it, a->ctmInfo().yBottom))
                    continue;
                KXExcelSortUtilities::MergeRunTextsInHeight({a, *it});
                lower.erase(it);
                break;
            }
        }
    }
    return bands;
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
