#pragma once
// A run of consecutive indexes: the first index and how many follow (characters of a text, rows or
// columns of a table).

#include <cstdint>

namespace kx {

struct Range {
    std::uint64_t location = 0;
    std::uint64_t length = 0;

    // One past the last index.
    std::uint64_t end() const { return location + length; }
    bool operator==(const Range&) const = default;
};

}  // namespace kx
