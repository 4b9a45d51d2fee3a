#pragma once
// Page lists from range texts such as "1-3,5".

#include <cstdint>
#include <string>
#include <vector>

class KXPageRanges {
public:
    // 1, 2, ..., count (empty when count < 1).
    static std::vector<std::uint64_t> allPages(std::int64_t count);
    // The window's custom range: an empty text is page 1, the "All Pages" text every page, anything
    // else a list of numbers and ranges.
    static std::vector<std::uint64_t> PageIndexsForCustomRange(const std::string& text, const std::string& allPagesText,
                                                               std::int64_t count);
    // A list of numbers and ranges ("3-1" descends; "4-" is 4-0): numbers outside 1..count are
    // dropped, order and repeats stay. A range is cut to the document before it is walked.
    static std::vector<std::uint64_t> pagesOfList(const std::string& text, std::int64_t count);
};
