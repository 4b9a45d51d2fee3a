#pragma once
// The one place where text changes encoding. Text content is UTF-16 (std::u16string); paths, XML
// names and keys are UTF-8 (std::string). Conversions join surrogate pairs; a lone surrogate or an
// invalid UTF-8 sequence becomes U+FFFD, so every result is valid in its encoding.

#include <string>
#include <string_view>

namespace kx {

std::u16string utf8ToUtf16(std::string_view s);
std::string utf16ToUtf8(std::u16string_view s);

// Appends one code point (U+FFFD for surrogates and values above U+10FFFF).
void appendUtf8(std::string& out, char32_t cp);
void appendUtf16(std::u16string& out, char32_t cp);

// Decodes the code point at s[i] and advances i; lone surrogates give U+FFFD.
char32_t nextCodePoint(std::u16string_view s, size_t& i);

bool isValidUtf8(std::string_view s);

// The longest prefix of at most maxBytes bytes that ends on a code-point boundary.
std::string truncateUtf8(std::string_view s, size_t maxBytes);
// The longest prefix of at most maxUnits UTF-16 units that does not split a surrogate pair.
std::u16string truncateUtf16(std::u16string_view s, size_t maxUnits);

// ASCII helpers for keys and tokens.
std::string asciiLower(std::string_view s);
std::u16string asciiToUtf16(std::string_view s);

}  // namespace kx
