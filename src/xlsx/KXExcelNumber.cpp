#include "xlsx/KXExcelNumber.h"

#include <algorithm>

#include "platform/Format.h"
#include "platform/Unicode.h"
#include "util/KXNumberUtils.h"
#include "util/KXRegex.h"
#include "xlsx/KXExcelManager.h"

namespace {

// A cell keeps 15 significant digits exactly.
constexpr size_t kMaxSignificantDigits = 15;

// In one pass: a cell's text can be megabytes long.
std::u16string removingAll(std::u16string_view text, std::u16string_view what) {
    if (what.empty()) return std::u16string(text);
    std::u16string s;
    s.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(what); at != std::u16string_view::npos; at = text.find(what, from)) {
        s.append(text.substr(from, at - from));
        from = at + what.size();
    }
    s.append(text.substr(from));
    return s;
}

std::u16string replacingAll(std::u16string_view text, char16_t from, char16_t to) {
    std::u16string s(text);
    for (char16_t& c : s)
        if (c == from) c = to;
    return s;
}

// The text is ASCII (digits, sign and "."), so each unit is one byte.
std::string ascii(std::u16string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char16_t c : text) s.push_back(static_cast<char>(c));
    return s;
}

// A format with the negative numbers in parentheses: "#,##0_);(#,##0)".
std::string accountingFormat(const std::string& positive) { return positive + "_);(" + positive + ")"; }

}  // namespace

KXExcelNumber::KXExcelNumber(std::u16string_view numberString)
    : KXExcelNumber(numberString, KXExcelManager::sharedInstance().thousandSepartor()) {}

KXExcelNumber::KXExcelNumber(std::u16string_view numberString, std::string_view thousandSepartor)
    : commaGroups_(thousandSepartor != ".") {
    valideNumbers(numberString);
}

std::u16string KXExcelNumber::getThousandSepartor(std::uint64_t type) { return KXNumberUtils::getThousandSepartor(type); }

std::u16string KXExcelNumber::getDecimalSepartor(std::uint64_t type) { return KXNumberUtils::getDecimalSepartor(type); }

void KXExcelNumber::valideNumbers(std::u16string_view text) {
    std::u16string t = removingAll(text, u" ");
    // One pair of parentheses round an unsigned number makes it negative, as accounts write it.
    bool inParentheses = false;
    if (t.find_first_of(u"()") != std::u16string::npos) {
        bool onePair = t.size() > 2 && t.front() == u'(' && t.back() == u')' &&
                       t.find_first_of(u"()-", 1) == t.size() - 1;
        if (!onePair) {
            isNumber_ = false;
            return;
        }
        t = t.substr(1, t.size() - 2);
        inParentheses = true;
    }
    // Every number form has a digit: most words are told apart here, without a pattern.
    if (std::none_of(t.begin(), t.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
        isNumber_ = false;
        return;
    }
    isNumber_ = commaGroups_ ? valideNumbersWithThousandSepartorComma(t) : valideNumbersWithThousandSepartorDot(t);
    if (!isNumber_) return;
    if (isCurrency(type_)) currencySymbol_ = KXNumberUtils::getSymbol(t);
    if (isThousandSepartorNumber(type_) || isCurrency(type_)) formatCode_ = numberFormatCodeWith(t, type_);
    if (!isPlainNumeral(t)) {
        isNumber_ = false;
        formatCode_.reset();
        return;
    }
    readNumber_ = realNumber(t, type_);
    if (inParentheses) {
        if (readNumber_->find_first_not_of("0.") != std::string::npos) readNumber_->insert(readNumber_->begin(), '-');
        formatCode_ = accountingFormat(formatCode_.value_or(positiveFormat(t)));
        numID_ = -1;
    }
}

// The format of a plain number or a percentage that shows it with the page's decimals, for the
// parentheses of a negative number to go round.
std::string KXExcelNumber::positiveFormat(std::u16string_view t) const {
    const std::int32_t decimals = getDecimalLength(removingAll(t, u"%"), u"", decimalSepartor_);
    std::string digits = decimals > 0 ? "0." + std::string(static_cast<size_t>(decimals), '0') : "0";
    return isPercentNumber(type_) ? digits + "%" : digits;
}

bool KXExcelNumber::valideNumbersWithThousandSepartorComma(std::u16string_view t) {
    const auto& symbols = KXNumberUtils::supportCurrencySymbols();
    if (KXRegex::validateGeneralNumbersDecimalSepartorByDot(t)) {
        numID_ = 0;
        type_ = 0;
    } else if (KXRegex::validatePercentNumbersDecimalSepartorByDot(t)) {
        numID_ = 9;
        type_ = 9;
    } else if (KXRegex::validateNumbersWithThousandSepartorByComma(t)) {
        type_ = 2;
    } else if (KXRegex::validateCurrencyNumberSBNSC(t, symbols)) {
        type_ = 4;
    } else if (KXRegex::validateCurrencyNumberSANSC(t, symbols)) {
        type_ = 6;
    } else {
        return false;
    }
    decimalSepartor_ = getDecimalSepartor(type_);
    if (!isGeneralNumber(type_) && !isPercentNumber(type_)) thousandSepartor_ = getThousandSepartor(type_);
    return true;
}

bool KXExcelNumber::valideNumbersWithThousandSepartorDot(std::u16string_view t) {
    const auto& symbols = KXNumberUtils::supportCurrencySymbols();
    if (KXRegex::validateGeneralNumbersDecimalSepartorByComma(t)) {
        numID_ = 0;
        type_ = 1;
    } else if (KXRegex::validatePercentNumbersDecimalSepartorByComma(t)) {
        numID_ = 9;
        type_ = 8;
    } else if (KXRegex::validateNumbersWithThousandSepartorByDot(t)) {
        type_ = 3;
    } else if (KXRegex::validateCurrencyNumberSBNSD(t, symbols)) {
        type_ = 5;
    } else if (KXRegex::validateCurrencyNumberSANSD(t, symbols)) {
        type_ = 7;
    } else {
        return false;
    }
    decimalSepartor_ = getDecimalSepartor(type_);
    if (!isGeneralNumber(type_) && !isPercentNumber(type_)) thousandSepartor_ = getThousandSepartor(type_);
    return true;
}

std::string KXExcelNumber::numberFormatCodeWith(std::u16string_view t, std::uint64_t type) const {
    if (isGeneralNumber(type)) return "";
    const std::u16string symbol = currencySymbol_.value_or(u"");
    std::int32_t n = getDecimalLength(t, symbol, decimalSepartor_);
    if (symbol.empty()) return KXNumberUtils::numberCodeWithDecimalLength(n);
    return KXNumberUtils::currencyFormatWithDecimalLength(n, symbol, type);
}

std::int32_t KXExcelNumber::getDecimalLength(std::u16string_view text, std::u16string_view currencySymbol,
                                             std::u16string_view decimalSepartor) {
    std::optional<std::u16string_view> symbol;
    if (!currencySymbol.empty()) symbol = currencySymbol;
    return static_cast<std::int32_t>(KXNumberUtils::getDecimalLength(text, symbol, decimalSepartor));
}

std::string KXExcelNumber::realNumber(std::u16string_view t, std::uint64_t type) {
    const std::u16string decimal = getDecimalSepartor(type);
    if (isGeneralNumber(type)) return ascii(decimal == u"," ? replacingAll(t, u',', u'.') : std::u16string(t));
    if (isPercentNumber(type)) return realNumberFromPercent(t, decimal);
    std::u16string s(t);
    if (isCurrency(type))
        for (const std::u16string& symbol : KXNumberUtils::supportCurrencySymbols()) s = removingAll(s, symbol);
    s = removingAll(s, u" ");
    const std::u16string thousands = getThousandSepartor(type);
    s = removingAll(s, thousands);
    if (thousands == u".") s = replacingAll(s, u',', u'.');
    return ascii(s);
}

std::string KXExcelNumber::realNumberFromPercent(std::u16string_view t, std::u16string_view decimalSepartor) {
    std::u16string u = removingAll(t, u"%");
    if (decimalSepartor == u",") u = replacingAll(u, u',', u'.');
    numID_ = std::count(u.begin(), u.end(), u'.') == 1 ? 10 : 9;
    const std::string v = kx::format("%lf", kx::parseDouble(ascii(u)).value_or(0.0) * 0.01);
    const size_t point = v.find('.');
    if (point == std::string::npos || v.find('.', point + 1) != std::string::npos) return v;
    const size_t last = v.find_last_not_of('0');
    return last == point ? v.substr(0, point) : v.substr(0, last + 1);
}

bool KXExcelNumber::isPlainNumeral(std::u16string_view t) const {
    std::u16string integer, fraction;
    bool afterDecimal = false;
    for (char16_t c : t) {
        if (c == decimalSepartor_.front()) {
            afterDecimal = true;
        } else if (c >= u'0' && c <= u'9') {
            (afterDecimal ? fraction : integer).push_back(c);
        }
    }
    if (integer.size() > 1 && integer.front() == u'0') return false;
    size_t firstNonZero = integer.find_first_not_of(u'0');
    size_t significant = firstNonZero == std::u16string::npos ? 0 : integer.size() - firstNonZero;
    while (!fraction.empty() && fraction.back() == u'0') fraction.pop_back();
    if (significant == 0) {
        size_t lead = fraction.find_first_not_of(u'0');
        significant = lead == std::u16string::npos ? 0 : fraction.size() - lead;
    } else {
        significant += fraction.size();
    }
    return significant <= kMaxSignificantDigits;
}
