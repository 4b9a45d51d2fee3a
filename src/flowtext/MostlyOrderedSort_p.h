#pragma once
// Sorting ranges that are mostly in order already. A page's runs arrive roughly in reading order,
// so their tops, bottoms and left edges are nearly sorted: an insertion sort takes linear time on
// such input where a general sort takes n log n.

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>

namespace kx::detail {

// Sorts [first, last) by `less`, stably. Insertion gives up after a budget of moves (a range far
// from its order) and hands the range to std::stable_sort: insertion is stable, so the part it
// sorted keeps equal elements in their first order and the result is the one std::stable_sort
// gives the untouched range.
template <class It, class Less>
void sortMostlyOrdered(It first, It last, Less less) {
    const std::ptrdiff_t n = std::distance(first, last);
    if (n < 2) return;
    std::ptrdiff_t budget = 8 * n + 32;
    for (It i = std::next(first); i != last; ++i) {
        if (!less(*i, *std::prev(i))) continue;
        auto value = std::move(*i);
        It j = i;
        do {
            *j = std::move(*std::prev(j));
            --j;
            --budget;
        } while (j != first && less(value, *std::prev(j)));
        *j = std::move(value);
        if (budget < 0) {
            std::stable_sort(first, last, less);
            return;
        }
    }
}

template <class It>
void sortMostlyOrdered(It first, It last) {
    sortMostlyOrdered(first, last, std::less<>());
}

}  // namespace kx::detail
