#include "util/KXNumberUtils.h"

#include "platform/Unicode.h"

const std::vector<std::u16string>& KXNumberUtils::supportCurrencySymbols() {
    static const std::vector<std::u16string> symbols = {u"\uFFE5", u"\u00A5", u"$", u"\u20AC"};
    return symbols;
}

std::u16string KXNumberUtils::getSymbol(std::u16string_view text) {
    for (const auto& s : supportCurrencySymbols())
        if (text.find(s) != std::u16string_view::npos) return s;
    return u"";
}

std::u16string KXNumberUtils::getThousandSepartor(std::uint64_t t) {
    return t == 3 || t == 5 || t == 7 ? u"." : u",";
}

std::u16string KXNumberUtils::getDecimalSepartor(std::uint64_t t) {
    return t == 0 || t == 2 || t == 4 || t == 6 || t == 9 ? u"." : u",";
}

std::int64_t KXNumberUtils::getDecimalLength(std::u16string_view text, std::optional<std::u16string_view> symbol,
                                             std::u16string_view separator) {
    std::u16string s(text);
    auto removeAll = [&s](std::u16string_view what) {
        if (what.empty()) return;
        for (size_t at = s.find(what); at != std::u16string::npos; at = s.find(what, at)) s.erase(at, what.size());
    };
    if (symbol) removeAll(*symbol);
    removeAll(u" ");
    if (separator.empty()) return 0;
    std::vector<std::u16string_view> parts;
    std::u16string_view rest = s;
    for (;;) {
        size_t at = rest.find(separator);
        parts.push_back(rest.substr(0, at));
        if (at == std::u16string_view::npos) break;
        rest.remove_prefix(at + separator.size());
    }
    return parts.size() == 2 ? static_cast<std::int64_t>(parts[1].size()) : 0;
}

std::int64_t KXNumberUtils::getDecimalLength(std::u16string_view text, std::u16string_view separator) {
    std::u16string symbol = getSymbol(text);
    return getDecimalLength(text, symbol.empty() ? std::nullopt : std::optional<std::u16string_view>(symbol), separator);
}

std::string KXNumberUtils::numberCodeWithDecimalLength(std::int32_t n) {
    if (n <= 0) return "#,##0";
    return "#,##0." + std::string(static_cast<size_t>(n), '0');
}

std::string KXNumberUtils::currencyFormatWithDecimalLength(std::int32_t n, std::u16string_view symbol,
                                                           std::uint64_t numberType) {
    return currencyFormatWithDecimalLength(n, symbol, !(numberType == 6 || numberType == 7));
}

std::string KXNumberUtils::currencyFormatWithDecimalLength(std::int32_t n, std::u16string_view symbol,
                                                           bool symbolBeforeNumber) {
    std::string code = numberCodeWithDecimalLength(n);
    std::string s = kx::utf16ToUtf8(symbol);
    return symbolBeforeNumber ? s + code : code + s;
}
