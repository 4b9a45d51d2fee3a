// The band steps shared by a page's layout and the content of table cells and text boxes.

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "docx/page/layout/KXDocxBands.h"

namespace kx::detail {

namespace {

struct U16Hash {
    size_t operator()(std::u16string_view s) const { return std::hash<std::u16string_view>()(s); }
};

template <class T>
void eraseMarked(std::vector<std::shared_ptr<T>>& items, const std::vector<bool>& marked) {
    size_t out = 0;
    for (size_t i = 0; i < items.size(); ++i)
        if (!marked[i]) items[out++] = std::move(items[i]);
    items.resize(out);
}

KXDocxRunTextLineArray linesOf(const KXDocxRunTextColumArray& blocks, size_t begin, size_t end) {
    KXDocxRunTextLineArray lines;
    for (size_t b = begin; b < end; ++b) lines.insert(lines.end(), blocks[b]->lineArray().begin(), blocks[b]->lineArray().end());
    return lines;
}

double heightOf(const std::shared_ptr<KXDocxRunTextLine>& line) { return line ? line->lineFrame().size.height : 0; }

}  // namespace

size_t removeDuplicateRunTexts(KXDocxRunTextArray& runs) {
    // A run duplicates an earlier one only with the same text, nearly the same baseline and a left
    // edge within half its width: the runs of one text are looked through in baseline order and in
    // left-edge order, each against the others of whichever window is the smaller, the runs within
    // a point of its baseline or those within reach of its left edge. (A line of the same letter
    // over and over fills the first window, a column of it the second.) The texts are looked at in
    // place: the runs outlive the map and nothing here changes them.
    std::unordered_map<std::u16string_view, std::vector<size_t>, U16Hash> byText;
    byText.reserve(runs.size());
    for (size_t i = 0; i < runs.size(); ++i) byText[runs[i]->runText()].push_back(i);
    std::vector<bool> removed(runs.size(), false);
    size_t count = 0;
    auto yOf = [&](size_t k) { return runs[k]->ctmInfo().yBase; };
    auto xOf = [&](size_t k) { return runs[k]->ctmInfo().xLeft; };
    // The indexes with a value (NaN last, where no window reaches), and the range of them whose
    // value lies in [low, high].
    auto sortedBy = [&](const std::vector<size_t>& indexes, auto of) {
        std::vector<size_t> sorted = indexes;
        auto numbered = std::stable_partition(sorted.begin(), sorted.end(), [&](size_t k) { return !std::isnan(of(k)); });
        std::stable_sort(sorted.begin(), numbered, [&](size_t a, size_t b) { return of(a) < of(b); });
        sorted.resize(static_cast<size_t>(numbered - sorted.begin()));
        return sorted;
    };
    auto within = [](const std::vector<size_t>& sorted, auto of, double low, double high) {
        auto from = std::lower_bound(sorted.begin(), sorted.end(), low, [&](size_t k, double v) { return of(k) < v; });
        auto to = std::upper_bound(from, sorted.end(), high, [&](double v, size_t k) { return v < of(k); });
        return std::make_pair(from, to);
    };
    for (auto& [text, indexes] : byText) {
        if (indexes.size() < 2) continue;
        const std::vector<size_t> byBase = sortedBy(indexes, yOf), byLeft = sortedBy(indexes, xOf);
        for (size_t i : indexes) {
            if (removed[i]) continue;
            const KXDocxRunText& first = *runs[i];
            const double y = yOf(i), x = xOf(i), reach = std::min(1.5, 0.5 * first.ctmInfo().frame.width());
            // A NaN edge or width duplicates nothing.
            if (std::isnan(y) || std::isnan(x) || std::isnan(reach)) continue;
            const double low = y - 1.0, high = y + 1.0;
            const auto rows = within(byBase, yOf, low, high);
            // The left edges are reached with a little to spare, so that rounding in the distance
            // the duplicate test takes leaves none out.
            const double slack = 1e-9 * (std::fabs(x) + std::fabs(reach)) + 1e-12;
            const auto columns = within(byLeft, xOf, x - reach - slack, x + reach + slack);
            const auto [from, to] = rows.second - rows.first <= columns.second - columns.first ? rows : columns;
            for (auto it = from; it != to; ++it) {
                const size_t j = *it;
                if (j <= i || removed[j] || !(yOf(j) >= low && yOf(j) <= high)) continue;
                if (first.isDuplicateRunText(*runs[j])) {
                    removed[j] = true;
                    ++count;
                }
            }
        }
    }
    if (count) eraseMarked(runs, removed);
    return count;
}

KXDocxRunTextLineArray linesByBaseline(KXDocxRunTextArray& runs, bool trimBlanks, size_t* removedCount) {
    KXDocxRunTextArray ordered = stableSortedByKey(runs, [](const std::shared_ptr<KXDocxRunText>& r) {
        return r->ctmInfo().yBase;
    });
    std::vector<const KXDocxRunText*> blank;
    KXDocxRunTextLineArray lines;
    for (size_t start = 0; start < ordered.size();) {
        const double base = ordered[start]->ctmInfo().yBase;
        size_t end = start + 1;
        while (end < ordered.size() && std::fabs(ordered[end]->ctmInfo().yBase - base) < 1.0) ++end;
        KXDocxRunTextArray row(ordered.begin() + static_cast<std::ptrdiff_t>(start),
                               ordered.begin() + static_cast<std::ptrdiff_t>(end));
        start = end;
        if (KXDocxRunTextLine::IsBankSpaceRunTextArray(row)) {
            for (const auto& r : row) blank.push_back(r.get());
            continue;
        }
        if (trimBlanks) {
            KXDocxRunTextArray kept;
            for (const auto& r : row) {
                if (r->isBankSpaceRunText())
                    blank.push_back(r.get());
                else
                    kept.push_back(r);
            }
            row = std::move(kept);
        }
        if (row.empty()) continue;
        // Text drawn twice on one baseline gives a line for each showing.
        for (const KXDocxRunTextArray& showing : KXDocxRunTextLine::SplitRunTextArrayDrawnTwice(row)) {
            auto line = std::make_shared<KXDocxRunTextLine>();
            line->addRunTextArray(showing);
            lines.push_back(std::move(line));
        }
    }
    if (!blank.empty()) {
        std::sort(blank.begin(), blank.end());
        std::vector<bool> marked(runs.size(), false);
        for (size_t i = 0; i < runs.size(); ++i) marked[i] = std::binary_search(blank.begin(), blank.end(), runs[i].get());
        eraseMarked(runs, marked);
    }
    if (removedCount) *removedCount = blank.size();
    return lines;
}

KXDocxRunTextColumArray rowBlocks(const KXDocxRunTextLineArray& all, bool columnMode) {
    KXDocxRunTextColumArray blocks;
    KXDocxRunTextLineArray remaining = all;
    while (!remaining.empty()) {
        KXDocxRunTextLineArray group = KXDocxRunTextLine::FindMergeRunTextLineArrayY(remaining);
        if (group.empty()) group = {remaining.front()};
        std::vector<bool> taken(remaining.size(), false);
        for (size_t i = 0; i < remaining.size(); ++i)
            taken[i] = std::find(group.begin(), group.end(), remaining[i]) != group.end();
        eraseMarked(remaining, taken);

        if (group.size() >= 2) {
            KXDocxRunTextLineArray split = KXDocxRunTextLine::SplitRunTextLineArrayContinuous(group);
            group.clear();
            while (!split.empty()) {
                KXDocxRunTextLineArray r = KXDocxRunTextLine::FindRunTextLineArrayContinuous(split);
                if (r.empty()) r = {split.front()};
                std::vector<bool> used(split.size(), false);
                for (size_t i = 0; i < split.size(); ++i) used[i] = std::find(r.begin(), r.end(), split[i]) != r.end();
                eraseMarked(split, used);
                if (KXDocxRunTextLine::IsScriptRunTextLineArray(r)) {
                    KXDocxRunTextLine::SetupScriptRunTextLineArray(r);
                    group.push_back(KXDocxRunTextLine::MergeRunTextLineArray(r));
                } else {
                    group.insert(group.end(), r.begin(), r.end());
                }
            }
        }
        blocks.push_back(KXDocxRunTextColum::CreateRunTextColum(KXDocxRunTextLine::SortRunTextLineArrayByBaseY(group),
                                                                columnMode));
    }
    return blocks;
}

KXDocxRunTextColumArray chooseBands(const KXDocxRunTextColumArray& blocks, bool columnMode) {
    KXDocxRunTextColumArray bands;
    const size_t n = blocks.size();
    for (size_t i = 0; i < n;) {
        std::shared_ptr<KXDocxRunTextColum> best = blocks[i];
        size_t bestK = 0;
        KXDocxRunTextLineArray lines = blocks[i]->lineArray();
        for (size_t k = 1; i + k < n; ++k) {
            const auto& prev = blocks[i + k - 1];
            const auto& next = blocks[i + k];
            lines.insert(lines.end(), next->lineArray().begin(), next->lineArray().end());
            auto cand = KXDocxRunTextColum::CreateRunTextColum(lines, columnMode);
            const float limit = std::max(1.5f * static_cast<float>(std::min(
                                                    heightOf(prev->lineArray().empty() ? nullptr : prev->lineArray().back()),
                                                    heightOf(next->lineArray().empty() ? nullptr : next->lineArray().front()))),
                                         5.0f);
            const double gap = next->columGroupFrame().origin.y - prev->columGroupFrame().maxY();
            const size_t sc = cand->spaceColumArray().size(), sb = best->spaceColumArray().size();
            const size_t sn = next->spaceColumArray().size();
            if (sc < sb) break;
            if (sc == sb) {
                if (gap > limit || sn > sc) break;
                if (columnMode && !cand->isPDFScanIndexContinuousRunTextInEveryColum()) break;
            } else {
                if (sn > sc) break;
                if (k + 2 < n - i) {
                    const auto& after = blocks[i + k + 1];
                    const double gap2 = after->columGroupFrame().origin.y - next->columGroupFrame().maxY();
                    if (gap > limit || gap > gap2) break;
                } else if (gap > limit) {
                    break;
                }
            }
            best = cand;
            bestK = k;
        }
        bands.push_back(best);
        i += bestK + 1;
    }
    return bands;
}

KXDocxRunTextColumArray mergeBands(const KXDocxRunTextColumArray& bands, bool columnMode) {
    KXDocxRunTextColumArray out;
    for (size_t start = 0; start < bands.size();) {
        KXDocxRunTextColumArray rest(bands.begin() + static_cast<std::ptrdiff_t>(start), bands.end());
        KXDocxRunTextColumArray merged = KXDocxRunTextColum::FindMergeRunTextColumArray(rest);
        const size_t taken = std::max<size_t>(merged.size(), 1);
        if (merged.size() >= 2)
            out.push_back(KXDocxRunTextColum::CreateRunTextColum(linesOf(rest, 0, merged.size()), columnMode));
        else
            out.push_back(rest.front());
        start += taken;
    }
    for (const auto& band : out) {
        band->createColumGroup();
        if (columnMode) {
            band->optimizeColumnSpaces();
            band->createColumGroup();
            band->optimizeColumnGroups();
        }
    }
    return out;
}

}  // namespace kx::detail
