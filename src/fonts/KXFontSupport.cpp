#include "fonts/KXFontSupport_p.h"

#include <algorithm>
#include <climits>
#include <cstdio>

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

}  // namespace kx::detail
