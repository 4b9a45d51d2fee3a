#pragma once
// Pattern tests for number, percentage and currency texts (each pattern must match the whole
// text; digits are the ASCII digits 0-9 only), and a guess at the language of a text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class KXRegex {
public:
    static bool validateGeneralNumbersDecimalSepartorByDot(std::u16string_view text);
    static bool validateGeneralNumbersDecimalSepartorByComma(std::u16string_view text);
    static bool validatePercentNumbersDecimalSepartorByDot(std::u16string_view text);
    static bool validatePercentNumbersDecimalSepartorByComma(std::u16string_view text);
    static bool validateNumbersWithThousandSepartorByComma(std::u16string_view text);
    static bool validateNumbersWithThousandSepartorByDot(std::u16string_view text);
    // Currency amounts with one of the symbols (the default set "$￥¥€" when none are given):
    // SB symbol before the number, SA after it; NSC comma groups and a dot decimal part, NSD dot
    // groups and a comma decimal part.
    static bool validateCurrencyNumberSBNSC(std::u16string_view text, const std::vector<std::u16string>& symbols);
    static bool validateCurrencyNumberSBNSD(std::u16string_view text, const std::vector<std::u16string>& symbols);
    static bool validateCurrencyNumberSANSC(std::u16string_view text, const std::vector<std::u16string>& symbols);
    static bool validateCurrencyNumberSANSD(std::u16string_view text, const std::vector<std::u16string>& symbols);
    // The symbols joined, or the default set.
    static std::u16string currencySymbols(const std::vector<std::u16string>& symbols);
    static bool validateIntNumbers(std::u16string_view text);
    static bool validateWithRegex(std::u16string_view pattern, std::u16string_view text);

    // "en", "zh-Hans" or "zh-Hant" for the first 100 UTF-16 units of the text; "" for an empty text
    // or one the guess cannot place.
    static std::string LanguageForString(std::u16string_view text);
    static bool IsLanguageForString_English(std::u16string_view text);
    static bool IsLanguageForString_Chinese(std::u16string_view text);
    static bool IsLanguageForString_Chinese_Simplified(std::u16string_view text);
    static bool IsLanguageForString_Chinese_Traditional(std::u16string_view text);
};
