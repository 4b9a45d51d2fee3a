#include "app/jobs/PageRanges.h"

#include <algorithm>

#include "platform/Unicode.h"

namespace kx {

namespace {

// The leading integer of a text, as a number reader that stops at the first character that does not
// belong: blanks, a sign, digits; 0 when there is none. Saturates at the 32-bit limits.
long long intValue(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = std::min(v * 10 + (s[i] - '0'), 1LL << 31);
    v = negative ? -v : v;
    return std::clamp<long long>(v, -(1LL << 31), (1LL << 31) - 1);
}

std::vector<std::string_view> split(std::string_view s, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == separator) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// Whether intValue reads the whole part: blanks, an optional "+", digits, blanks.
bool isReadWhole(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    size_t i = 0;
    while (i < s.size() && blank(s[i])) ++i;
    if (i < s.size() && s[i] == '+') ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    while (i < s.size() && blank(s[i])) ++i;
    return i == s.size();
}

}  // namespace

std::vector<std::uint64_t> pageNumbersInRangeText(std::string_view text, std::int64_t count, ExtraDashToken rule) {
    std::vector<std::uint64_t> pages;
    auto keep = [&](long long n) {
        if (n >= 1 && n <= count) pages.push_back(static_cast<std::uint64_t>(n));
    };
    for (std::string_view token : split(text, ',')) {
        if (token.find('-') == std::string_view::npos) {
            keep(intValue(token));
            continue;
        }
        std::vector<std::string_view> parts = split(token, '-');
        if (parts.size() != 2) {
            if (rule == ExtraDashToken::ItsNumber) keep(intValue(token));
            continue;
        }
        const long long a = intValue(parts[0]), b = intValue(parts[1]);
        // Only the numbers inside the document are kept, so the range is cut to 1..count before it
        // is walked.
        if (b > a) {
            for (long long n = std::max(a, 1LL), last = std::min<long long>(b, count); n <= last; ++n) keep(n);
        } else {
            for (long long n = std::min<long long>(a, count), last = std::max(b, 1LL); n >= last; --n) keep(n);
        }
    }
    return pages;
}

std::vector<std::uint64_t> PageIndexsForString(const std::optional<std::string>& text, std::int64_t count) {
    if (!text || text->empty() || asciiLower(*text) == "all") return allPageNumbers(count);
    return pageNumbersInRangeText(*text, count, ExtraDashToken::ItsNumber);
}

std::vector<std::uint64_t> allPageNumbers(std::int64_t count) {
    std::vector<std::uint64_t> pages;
    if (count > 0) pages.reserve(static_cast<size_t>(count));
    for (std::int64_t n = 1; n <= count; ++n) pages.push_back(static_cast<std::uint64_t>(n));
    return pages;
}

std::vector<std::uint64_t> pageIndexsForCustomRange(std::string_view text, std::string_view allPagesText,
                                                    std::int64_t count) {
    if (text.empty()) return count < 1 ? std::vector<std::uint64_t>{} : std::vector<std::uint64_t>{1};
    if (text == allPagesText) return allPageNumbers(count);
    return pageNumbersInRangeText(text, count, ExtraDashToken::Nothing);
}

bool isCustomRangeReadable(std::string_view text, std::string_view allPagesText) {
    if (text.empty() || text == allPagesText) return true;
    for (std::string_view token : split(text, ',')) {
        const std::vector<std::string_view> parts = split(token, '-');
        if (parts.size() > 2) return false;
        for (std::string_view part : parts)
            if (!isReadWhole(part)) return false;
    }
    return true;
}

}  // namespace kx
