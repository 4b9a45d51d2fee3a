#pragma once
// Text drawn over itself (a bold face made by printing a line twice, a block of the page drawn again
// at the same place) is read once. Of runs with the same text whose baselines lie within a point of
// each other and whose left ends lie within 1.5 points and within half the first one's width, and
// which look alike (the caller says what that is: the same reading frame and style but for the
// colour), the first drawn stays and the others go. The same letter twice in a row ("ll" in small
// type) stands a whole letter further on and stays. Shared by every family that reads a page's text.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Geometry.h"

namespace kx {

// The runs kept so far, each under its text in cells 1.5 points wide and a point high: a copy lies
// in the cell of the run it copies or in one beside it, so that each run is compared with the few of
// its text around it, however many the page has (a line of a million dots). `Look` is what a caller
// keeps of a run to tell whether another looks as it does.
template <class Look>
class OverprintIndex {
public:
    // Whether a run of `text` with its baseline's left end at `base` (display space), looking
    // `look`, copies a run kept before; `alike(kept, look)` says whether it looks as that one does.
    // A run with no place copies nothing.
    template <class Alike>
    bool isCopy(std::u16string_view text, kx::Point base, const Look& look, Alike alike) const {
        const std::optional<std::pair<std::int64_t, std::int64_t>> cell = cellOf(base);
        if (!cell) return false;
        // Each text is looked up once and its cells by its number.
        const auto named = textIds_.find(std::u16string(text));
        if (named == textIds_.end()) return false;
        for (std::int64_t dx = -1; dx <= 1; ++dx)
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                const auto found = cells_.find(Key{named->second, cell->first + dx, cell->second + dy});
                if (found == cells_.end()) continue;
                for (const Kept& k : found->second)
                    if (std::fabs(base.x - k.base.x) <= k.reach && std::fabs(base.y - k.base.y) <= 1.0 &&
                        alike(k.look, look))
                        return true;
            }
        return false;
    }

    // Keeps a run, `width` wide, for the runs after it to be compared with. A run with no place
    // or no width is not kept: nothing can copy it.
    void keep(std::u16string_view text, kx::Point base, double width, Look look) {
        const std::optional<std::pair<std::int64_t, std::int64_t>> cell = cellOf(base);
        const double reach = std::min(1.5, 0.5 * width);
        if (!cell || !(reach > 0)) return;
        const size_t id = textIds_.try_emplace(std::u16string(text), textIds_.size()).first->second;
        cells_[Key{id, cell->first, cell->second}].push_back(Kept{base, reach, std::move(look)});
    }

    // isCopy, and a run that copies none is kept.
    template <class Alike>
    bool isCopyElseKeep(std::u16string_view text, kx::Point base, double width, Look look, Alike alike) {
        if (isCopy(text, base, look, alike)) return true;
        keep(text, base, width, std::move(look));
        return false;
    }

    void clear() {
        cells_.clear();
        textIds_.clear();
    }

private:
    struct Key {
        size_t text;
        std::int64_t x, y;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& c) const {
            const size_t h = std::hash<size_t>()(c.text) * 0x100000001b3ULL;
            return h ^ (std::hash<std::int64_t>()(c.x) * 31 + std::hash<std::int64_t>()(c.y) + 0x9e3779b9 + (h << 6));
        }
    };
    struct Kept {
        kx::Point base;
        double reach;
        Look look;
    };
    static std::optional<std::pair<std::int64_t, std::int64_t>> cellOf(kx::Point p) {
        constexpr double kLimit = 1e12;
        if (!(std::fabs(p.x) < kLimit) || !(std::fabs(p.y) < kLimit)) return std::nullopt;
        return std::pair{static_cast<std::int64_t>(std::floor(p.x / 1.5)), static_cast<std::int64_t>(std::floor(p.y))};
    }
    std::unordered_map<std::u16string, size_t> textIds_;
    std::unordered_map<Key, std::vector<Kept>, KeyHash> cells_;
};

// Drops from `runs`, a page's runs in the order drawn, those that copy a run before them:
// `textOf(run)` gives a run's text, `baseOf(run)` the left end of its baseline in display space,
// `widthOf(run)` its width, and `alike(first, other)` whether `other` looks as `first` does.
// Returns how many runs went.
template <class Run, class TextOf, class BaseOf, class WidthOf, class Alike>
size_t dropOverprintedRuns(std::vector<Run>& runs, TextOf textOf, BaseOf baseOf, WidthOf widthOf, Alike alike) {
    if (runs.size() < 2) return 0;
    OverprintIndex<const Run*> index;
    std::vector<bool> dropped(runs.size(), false);
    size_t count = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
        const Run& run = runs[i];
        dropped[i] = index.isCopyElseKeep(std::u16string_view(textOf(run)), baseOf(run), widthOf(run), &run,
                                          [&](const Run* first, const Run* other) { return alike(*first, *other); });
        count += dropped[i];
    }
    if (!count) return 0;
    size_t kept = 0;
    for (size_t i = 0; i < runs.size(); ++i)
        if (!dropped[i]) runs[kept++] = std::move(runs[i]);
    runs.resize(kept);
    return count;
}

}  // namespace kx
