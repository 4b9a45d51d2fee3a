#pragma once
// Locale-independent formatting and parsing of numbers. Everything written into an output file goes
// through here: the desktop application sets the user's locale, and "12,50pt" would break every XML
// part.

#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

namespace kx {

// printf with the "C" locale whatever the process or thread locale is.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, va_list args);

// "%.<decimals>f" in the "C" locale.
std::string formatFixed(double value, int decimals);
// Shortest text that reads back as the same double ("0.1", "12.5", "3").
std::string formatShortest(double value);

// Whole-string parses; nullopt when the text is not entirely a number.
std::optional<double> parseDouble(std::string_view s);
std::optional<long long> parseInteger(std::string_view s);

}  // namespace kx
