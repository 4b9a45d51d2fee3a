#include "platform/Unicode.h"

namespace kx {

namespace {
constexpr char32_t kReplacement = 0xFFFD;
bool isHigh(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void appendUtf16(std::u16string& out, char32_t cp) {
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

char32_t nextCodePoint(std::u16string_view s, size_t& i) {
    char32_t c = s[i++];
    if (isHigh(c)) {
        if (i < s.size() && isLow(s[i])) {
            char32_t lo = s[i++];
            return 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
        }
        return kReplacement;
    }
    if (isLow(c)) return kReplacement;
    return c;
}

namespace {

// Decodes one UTF-8 sequence at s[i]; invalid or overlong sequences give U+FFFD and consume one byte.
char32_t nextUtf8(std::string_view s, size_t& i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len = 0;
    char32_t cp = 0, min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + static_cast<size_t>(len) > s.size()) {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k < len; ++k) {
        unsigned char b = byte(i + static_cast<size_t>(k));
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += static_cast<size_t>(len);
    return cp;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) appendUtf16(out, nextUtf8(s, i));
    return out;
}

std::string utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    size_t i = 0;
    while (i < s.size()) appendUtf8(out, nextCodePoint(s, i));
    return out;
}

bool isValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        size_t start = i;
        char32_t cp = nextUtf8(s, i);
        if (cp == kReplacement) {
            // A literal U+FFFD is three bytes; a replacement for an invalid byte consumed one.
            if (i - start != 3) return false;
        }
    }
    return true;
}

std::string truncateUtf8(std::string_view s, size_t maxBytes) {
    if (s.size() <= maxBytes) return std::string(s);
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return std::string(s.substr(0, cut));
}

std::u16string truncateUtf16(std::u16string_view s, size_t maxUnits) {
    if (s.size() <= maxUnits) return std::u16string(s);
    size_t cut = maxUnits;
    if (cut > 0 && isHigh(s[cut - 1]) && isLow(s[cut])) --cut;
    return std::u16string(s.substr(0, cut));
}

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::u16string asciiToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (unsigned char c : s) out.push_back(c);
    return out;
}

}  // namespace kx
