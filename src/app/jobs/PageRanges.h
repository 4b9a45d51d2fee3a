#pragma once
// Page ranges typed by a user ("1-3,5", "3-1", "all") turned into the 1-based page numbers of a
// document, in the order written, repeats kept. The command line and the window's custom range share
// the walk over the tokens; they differ in what selects every page and in how a token with more
// than one "-" reads.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// How a token with more than one "-" (such as "1-2-3") reads.
enum class ExtraDashToken {
    ItsNumber,  // the token's own leading number: "1-2-3" is page 1
    Nothing,    // the token contributes no page
};

// The pages named by a range text for a document of `count` pages: the text is split at every ",";
// a token with exactly one "-" is the range a-b (ascending when b > a, else descending), any other
// token its leading integer (a part without leading digits counts 0). Numbers outside 1..count are
// dropped. A range is cut to the document before it is walked, so "1-2000000000" costs what
// "1-count" costs.
std::vector<std::uint64_t> pageNumbersInRangeText(std::string_view text, std::int64_t count, ExtraDashToken rule);

// The command line's page selection: no text, an empty one or "all" in any letter case selects
// 1..count (nothing when count < 1); any other text reads as above, a token like "1-2-3" giving its
// own number.
std::vector<std::uint64_t> PageIndexsForString(const std::optional<std::string>& text, std::int64_t count);

// 1, 2, ..., count (nothing when count < 1).
std::vector<std::uint64_t> allPageNumbers(std::int64_t count);

// The window's custom range: an empty text selects page 1 (nothing when count < 1), the text the
// window shows for all pages (`allPagesText`, localised) selects 1..count, any other text reads as
// above with a token like "1-2-3" giving nothing.
std::vector<std::uint64_t> pageIndexsForCustomRange(std::string_view text, std::string_view allPagesText,
                                                    std::int64_t count);

// Whether the window's custom range reads as it is written: the text for all pages, an empty text, or
// tokens separated by "," each of which is read whole by the number reading above (blanks, a "+",
// digits, blanks), or is two such parts joined by one "-". A text read only in part ("All Pages2-3",
// "2a", "1-2-3") is not: its pages would not be the ones the user wrote.
bool isCustomRangeReadable(std::string_view text, std::string_view allPagesText);

}  // namespace kx
