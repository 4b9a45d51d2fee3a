// The sort the flow page uses for runs that arrive nearly in order: the same order as a stable
// sort, whether the input is close to its order or far from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "flowtext/MostlyOrderedSort_p.h"

namespace {

using Item = std::pair<int, int>;  // key, place in the input

std::vector<Item> numbered(const std::vector<int>& keys) {
    std::vector<Item> items;
    for (size_t i = 0; i < keys.size(); ++i) items.emplace_back(keys[i], static_cast<int>(i));
    return items;
}

}  // namespace

TEST(MostlyOrderedSort, GivesTheStableOrderNearAndFarFromOrder) {
    std::mt19937 random(7);
    std::vector<int> shuffled(500);
    for (size_t i = 0; i < shuffled.size(); ++i) shuffled[i] = static_cast<int>(i % 37);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    std::vector<int> nearly(400);
    for (size_t i = 0; i < nearly.size(); ++i) nearly[i] = static_cast<int>(i / 3) + static_cast<int>(random() % 5);
    std::vector<int> reversed(300);
    for (size_t i = 0; i < reversed.size(); ++i) reversed[i] = 300 - static_cast<int>(i);

    struct Case {
        const char* what;
        std::vector<int> keys;
    };
    const Case cases[] = {
        {"empty", {}},
        {"one", {4}},
        {"in order with ties", {1, 1, 2, 2, 2, 3}},
        {"a few out of place", {1, 3, 2, 4, 6, 5, 5, 7, 0}},
        {"nearly in order", nearly},
        {"reversed (past the budget)", reversed},
        {"shuffled with ties (past the budget)", shuffled},
    };
    auto byKey = [](const Item& a, const Item& b) { return a.first < b.first; };
    for (const auto& c : cases) {
        std::vector<Item> expected = numbered(c.keys);
        std::stable_sort(expected.begin(), expected.end(), byKey);
        std::vector<Item> sorted = numbered(c.keys);
        kx::detail::sortMostlyOrdered(sorted.begin(), sorted.end(), byKey);
        EXPECT_EQ(sorted, expected) << c.what;
    }
}
