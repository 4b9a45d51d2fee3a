#pragma once
// Ordering of runs, lines and blocks by one key. The page model orders its objects by reading
// position, by x or by y, and equal keys must keep the order they came in (the model's finders
// give ties to the earlier element), so every such order is a stable sort. Keys are worked out once
// per element; a key that is not a number sorts after every number, so a malformed geometry can
// neither break the ordering nor lose its element.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

namespace kx::detail {

template <class T, class KeyFn>
void stableSortByKey(std::vector<T>& items, KeyFn key) {
    if (items.size() < 2) return;
    using Key = decltype(key(items.front()));
    std::vector<std::pair<Key, std::size_t>> keyed;
    keyed.reserve(items.size());
    bool sorted = true;
    for (std::size_t i = 0; i < items.size(); ++i) {
        Key k = key(items[i]);
        if constexpr (std::is_floating_point_v<Key>) {
            if (std::isnan(k)) k = HUGE_VAL;
        }
        if (i > 0 && k < keyed.back().first) sorted = false;
        keyed.emplace_back(k, i);
    }
    if (sorted) return;
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<T> out;
    out.reserve(items.size());
    for (const auto& k : keyed) out.push_back(std::move(items[k.second]));
    items = std::move(out);
}

template <class T, class KeyFn>
std::vector<T> stableSortedByKey(std::vector<T> items, KeyFn key) {
    stableSortByKey(items, key);
    return items;
}

// The element with the smallest key, the earliest of equals; the largest with `largest`. Null (a
// default T) for an empty array.
template <class T, class KeyFn>
T findByKey(const std::vector<T>& items, KeyFn key, bool largest = false) {
    if (items.empty()) return T{};
    std::size_t best = 0;
    auto bestKey = key(items[0]);
    for (std::size_t i = 1; i < items.size(); ++i) {
        auto k = key(items[i]);
        if (largest ? k > bestKey : k < bestKey) {
            best = i;
            bestKey = k;
        }
    }
    return items[best];
}

}  // namespace kx::detail
