#pragma once
// Number recognition of a cell text: whether the text is a number in one of the accepted forms
// (plain, thousand groups, a currency symbol before or after, a percentage, any of them negative in
// parentheses), the value written into the cell, and the number format that shows it as the page
// did. A text is read under one convention only: "," groups thousands and "." separates decimals,
// or the other way round.
//
// Number types: 0 and 1 plain numbers with "." and "," decimals; 2 and 3 thousand groups of "," and
// "."; 4 and 5 a currency symbol before the number; 6 and 7 a symbol after it; 8 and 9 percentages
// with "," and "." decimals.
//
// What stays text although it reads as a number: digits other than ASCII 0-9, an integer part with
// a leading zero ("00123", a code rather than a quantity), more than 15 significant digits (beyond
// what a cell keeps exactly), and parentheses other than one pair round a number without a sign.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class KXExcelNumber {
public:
    // Recognises the text under the spreadsheet state's thousand separator.
    explicit KXExcelNumber(std::u16string_view numberString);
    // Under the given thousand separator ("." or anything else for ",").
    KXExcelNumber(std::u16string_view numberString, std::string_view thousandSepartor);

    bool isNumber() const { return isNumber_; }
    void setIsNumber(bool v) { isNumber_ = v; }
    // A built-in number format (0 general for a plain number, 9 whole percent, 10 percent with
    // decimals), or -1 when the number needs the format of formatCode to show as the page showed it
    // (its grouping and currency symbol, or the parentheses of a negative number).
    std::int32_t numID() const { return numID_; }
    void setNumID(std::int32_t v) { numID_ = v; }
    std::uint64_t type() const { return type_; }
    void setType(std::uint64_t v) { type_ = v; }
    const std::optional<std::string>& formatCode() const { return formatCode_; }
    void setFormatCode(std::optional<std::string> v) { formatCode_ = std::move(v); }
    const std::u16string& thousandSepartor() const { return thousandSepartor_; }
    const std::u16string& decimalSepartor() const { return decimalSepartor_; }
    const std::optional<std::u16string>& currencySymbol() const { return currencySymbol_; }
    // The cell value: "-", digits, and "." with decimals; none unless the text is a number.
    const std::optional<std::string>& readNumber() const { return readNumber_; }

    // Recognition of a text; sets every field.
    void valideNumbers(std::u16string_view text);
    // Classification under each convention of a text without blanks and parentheses.
    bool valideNumbersWithThousandSepartorComma(std::u16string_view text);
    bool valideNumbersWithThousandSepartorDot(std::u16string_view text);
    // The format code of a thousands or currency number ("#,##0.00", "$#,##0"); empty for a plain one.
    std::string numberFormatCodeWith(std::u16string_view text, std::uint64_t type) const;
    // Without the symbol and blanks, the number of digits after the decimal separator; 0 when there
    // is not exactly one separator.
    static std::int32_t getDecimalLength(std::u16string_view text, std::u16string_view currencySymbol,
                                         std::u16string_view decimalSepartor);
    // The value text of a number of the type.
    std::string realNumber(std::u16string_view text, std::uint64_t type);
    // The value of a percentage: the number times 0.01 with six decimals at most, trailing zeros
    // dropped; sets numID.
    std::string realNumberFromPercent(std::u16string_view text, std::u16string_view decimalSepartor);

    static bool isGeneralNumber(std::uint64_t type) { return type == 0 || type == 1; }
    static bool isThousandSepartorNumber(std::uint64_t type) { return type == 2 || type == 3; }
    static bool isCurrency(std::uint64_t type) { return type >= 4 && type <= 7; }
    static bool isPercentNumber(std::uint64_t type) { return type == 8 || type == 9; }
    static std::u16string getThousandSepartor(std::uint64_t type);
    static std::u16string getDecimalSepartor(std::uint64_t type);

private:
    // The digits of the number in the text are what a cell can hold as they stand.
    bool isPlainNumeral(std::u16string_view text) const;
    std::string positiveFormat(std::u16string_view text) const;

    bool commaGroups_ = true;
    bool isNumber_ = false;
    std::int32_t numID_ = -1;
    std::uint64_t type_ = 0;
    std::optional<std::string> formatCode_;
    std::u16string thousandSepartor_ = u",";
    std::u16string decimalSepartor_ = u".";
    std::optional<std::u16string> currencySymbol_;
    std::optional<std::string> readNumber_;
};
