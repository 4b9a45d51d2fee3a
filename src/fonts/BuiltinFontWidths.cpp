#include "fonts/BuiltinFontWidths.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "fonts/KXFontTables_p.h"

using kx::detail::kGlyphList;
using kx::detail::kGlyphListCount;
using kx::detail::kPreferredNames;
using kx::detail::kPreferredNamesCount;

BuiltinFontWidths::BuiltinFontWidths(const BFontWidth* widths, int size) {
    widthsCount_ = size > 0 ? size : 0;
    widthsTab_.resize(static_cast<size_t>(widthsCount_));
    for (int i = 0; i < widthsCount_; ++i) {
        auto& bucket = widthsTab_[hash(widths[i].name)];
        bucket.insert(bucket.begin(), widths[i]);
    }
}

std::uint32_t BuiltinFontWidths::hash(std::string_view name) const {
    std::uint32_t h = 0;
    for (unsigned char c : name) h = h * 17 + c;
    return widthsCount_ > 0 ? h % static_cast<std::uint32_t>(widthsCount_) : 0;
}

bool BuiltinFontWidths::getString(std::string_view name, std::uint16_t* width) const {
    if (widthsCount_ <= 0) return false;
    for (const auto& entry : widthsTab_[hash(name)]) {
        if (entry.name == name) {
            if (width) *width = entry.width;
            return true;
        }
    }
    return false;
}

bool BuiltinFontWidths::getCharacter(std::uint16_t unicode, std::uint16_t* width) const {
    return getString(unicodeIDToName(unicode), width);
}

std::uint16_t BuiltinFontWidths::nameToUnicodeID(std::string_view name) {
    auto end = kGlyphList + kGlyphListCount;
    auto it = std::lower_bound(kGlyphList, end, name, [](const kx::detail::GlyphNameEntry& e, std::string_view n) {
        return std::string_view(e.name) < n;
    });
    if (it != end && std::string_view(it->name) == name) return it->unicode;
    if (name.size() > 3 && name.substr(0, 3) == "uni") {
        std::string_view rest = name.substr(3);
        std::uint64_t value = 0;
        const char* first = rest.data();
        const char* last = rest.data() + rest.size();
        // Digits up to the first character that is not one count, as a scanning conversion would.
        if (rest.size() == 4) std::from_chars(first, last, value, 16);
        else std::from_chars(first, last, value, 10);
        return static_cast<std::uint16_t>(value & 0xFFFF);
    }
    return 0;
}

std::string BuiltinFontWidths::unicodeIDToName(std::uint16_t unicode) {
    if (unicode == 0) return ".notdef";
    auto end = kPreferredNames + kPreferredNamesCount;
    auto it = std::lower_bound(kPreferredNames, end, unicode,
                               [](const kx::detail::PreferredNameEntry& e, std::uint16_t u) { return e.unicode < u; });
    if (it != end && it->unicode == unicode) return it->name;
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "uni%04x", static_cast<unsigned>(unicode));
    return buffer;
}
