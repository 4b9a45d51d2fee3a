#include "fonts/KXFontSupport_p.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "fonts/BuiltinFontWidths.h"
#include "fonts/KXFontTables_p.h"
#include "util/KXPDFPathUtilities.h"
#include "util/PDFObjectValues.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"

namespace kx::detail {

bool fontNumber(const PDFObject& dict, std::string_view key, double& out) {
    return pdfNumberInDictionary(dict, key, out);
}

bool fontNumberAt(const PDFObject& array, size_t index, double& out) {
    return pdfNumberInArray(array, index, out);
}

std::string fontString(const PDFObject& dict, std::string_view key) {
    PDFObject value = dict.dictGet(key);
    std::string text;
    if (value.getName(text)) return text;
    if (value.isString()) return utf16ToUtf8(value.textString());
    return {};
}

std::optional<std::string> parserResourcePath(const std::string& relativePath) {
    if (relativePath.empty()) return std::nullopt;
    return KXPDFPathUtilities::PathInLibBundleForResource(relativePath);
}

std::optional<std::string> parserResourceText(const std::string& relativePath) {
    auto path = parserResourcePath(relativePath);
    if (!path) return std::nullopt;
    return readFile(*path);
}

bool checkAllocationSize(size_t count, size_t size) {
    if (size == 0 || count >= static_cast<size_t>(INT_MAX) / size) {
        std::fputs("Bogus memory allocation size\n", stderr);
        return false;
    }
    return true;
}

void reportOutOfMemory() { std::fputs("Out of memory\n", stderr); }

std::optional<int> codeOfNumberedGlyphName(std::string_view name) {
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    size_t letters = 0;
    while (letters < name.size() && isLetter(name[letters])) ++letters;
    if (letters < 1 || letters > 2) return std::nullopt;
    std::string_view digits = name.substr(letters);
    if (digits.empty() || digits.size() > 3) return std::nullopt;
    int code = 0;
    for (char c : digits) {
        if (!isDigit(c)) return std::nullopt;
        code = code * 10 + (c - '0');
    }
    if (code > 255) return std::nullopt;
    return code;
}

bool isGlyphIndexName(std::string_view name) {
    for (std::string_view prefix : {"glyph", "index", "cid", "g"}) {
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
        std::string_view digits = name.substr(prefix.size());
        return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    }
    return false;
}

std::optional<char32_t> characterOfUName(std::string_view name) {
    if (name.size() < 5 || name.size() > 7 || name[0] != 'u') return std::nullopt;
    char32_t value = 0;
    for (char c : name.substr(1)) {
        const int digit = hexDigitValue(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<char32_t>(digit);
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    return value;
}

bool isPrintableCharacter(char32_t c) { return c >= 0x20 && !(c >= 0x7F && c <= 0x9F); }

namespace {

// The characters of one part of a glyph name; false when the part maps to nothing.
bool appendTextOfGlyphNamePart(std::u16string& text, std::string_view part) {
    const GlyphNameEntry* end = kGlyphList + kGlyphListCount;
    const GlyphNameEntry* it = std::lower_bound(kGlyphList, end, part, [](const GlyphNameEntry& e, std::string_view n) {
        return std::string_view(e.name) < n;
    });
    if (it != end && std::string_view(it->name) == part) {
        text.push_back(static_cast<char16_t>(it->unicode));
        return true;
    }
    if (part.size() > 3 && part.substr(0, 3) == "uni" && (part.size() - 3) % 4 == 0) {
        std::u16string units;
        for (size_t i = 3; i < part.size(); i += 4) {
            char16_t unit = 0;
            for (char c : part.substr(i, 4)) {
                const int digit = hexDigitValue(c);
                if (digit < 0) return false;
                unit = static_cast<char16_t>(unit * 16 + digit);
            }
            if (unit >= 0xD800 && unit <= 0xDFFF) return false;
            units.push_back(unit);
        }
        text += units;
        return true;
    }
    if (std::optional<char32_t> c = characterOfUName(part)) {
        appendUtf16(text, *c);
        return true;
    }
    return false;
}

}  // namespace

std::u16string textOfGlyphName(std::string_view name) {
    std::u16string text;
    const std::string_view base = name.substr(0, name.find('.'));
    if (base.size() == name.size() && base.find('_') == std::string_view::npos) {
        if (!appendTextOfGlyphNamePart(text, base)) {
            if (std::uint16_t unicode = BuiltinFontWidths::nameToUnicodeID(base))
                text.push_back(static_cast<char16_t>(unicode));
        }
        return text;
    }
    for (size_t start = 0; start <= base.size();) {
        size_t stop = std::min(base.find('_', start), base.size());
        appendTextOfGlyphNamePart(text, base.substr(start, stop - start));
        start = stop + 1;
    }
    return text;
}

}  // namespace kx::detail
