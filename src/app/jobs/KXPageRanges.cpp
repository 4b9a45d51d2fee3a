#include "app/jobs/KXPageRanges.h"

#include <algorithm>

namespace {

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

std::vector<std::string> split(const std::string& s, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == separator) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

}  // namespace

std::vector<std::uint64_t> KXPageRanges::allPages(std::int64_t count) {
    std::vector<std::uint64_t> pages;
    for (std::int64_t n = 1; n <= count; ++n) pages.push_back(static_cast<std::uint64_t>(n));
    return pages;
}

std::vector<std::uint64_t> KXPageRanges::PageIndexsForCustomRange(const std::string& text,
                                                                 const std::string& allPagesText, std::int64_t count) {
    if (text.empty()) return count < 1 ? std::vector<std::uint64_t>{} : std::vector<std::uint64_t>{1};
    if (text == allPagesText) return allPages(count);
    return pagesOfList(text, count);
}

std::vector<std::uint64_t> KXPageRanges::pagesOfList(const std::string& text, std::int64_t count) {
    std::vector<std::uint64_t> pages;
    auto keep = [&](long long n) {
        if (n >= 1 && n <= count) pages.push_back(static_cast<std::uint64_t>(n));
    };
    for (const std::string& token : split(text, ',')) {
        std::vector<std::string> parts = split(token, '-');
        if (token.find('-') == std::string::npos || parts.size() != 2) {
            if (token.find('-') == std::string::npos) keep(intValue(token));
            continue;
        }
        const long long a = intValue(parts[0]), b = intValue(parts[1]);
        if (b > a) {
            for (long long n = std::max(a, 1LL), last = std::min<long long>(b, count); n <= last; ++n) keep(n);
        } else {
            for (long long n = std::min<long long>(a, count), last = std::max(b, 1LL); n >= last; --n) keep(n);
        }
    }
    return pages;
}
