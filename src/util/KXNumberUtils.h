#pragma once
// Currency symbols, separators, decimal counts and spreadsheet number-format codes.
//
// Number types, as the spreadsheet number recognition codes them: 0 and 1 plain numbers with dot
// and comma decimals, 2 and 3 numbers with comma and dot thousand groups, 4 and 5 currency with the
// symbol before the number, 6 and 7 currency with the symbol after it, 8 and 9 percentages with
// comma and dot decimals.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class KXNumberUtils {
public:
    // "￥" (full width), "¥", "$", "€", in this order.
    static const std::vector<std::u16string>& supportCurrencySymbols();
    // The first of those symbols that occurs in the text; "" when none does.
    static std::u16string getSymbol(std::u16string_view text);
    static std::u16string getThousandSepartor(std::uint64_t numberType);
    static std::u16string getDecimalSepartor(std::uint64_t numberType);
    // Without the symbol (when given) and blanks, the text split at the separator: the length of
    // the second part when there are exactly two parts, else 0.
    static std::int64_t getDecimalLength(std::u16string_view text, std::optional<std::u16string_view> currencySymbol,
                                         std::u16string_view decimalSepartor);
    // The same with the symbol that getSymbol finds.
    static std::int64_t getDecimalLength(std::u16string_view text, std::u16string_view decimalSepartor);
    // "#,##0" with "." and n zeros after it when n > 0.
    static std::string numberCodeWithDecimalLength(std::int32_t n);
    // The number code and the symbol: the symbol after the number for types 6 and 7, before it
    // otherwise.
    static std::string currencyFormatWithDecimalLength(std::int32_t n, std::u16string_view symbol,
                                                       std::uint64_t numberType);
    static std::string currencyFormatWithDecimalLength(std::int32_t n, std::u16string_view symbol,
                                                       bool symbolBeforeNumber);
};
