#include "util/KXRegex.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/Regex.h"

namespace {

// Compiled patterns, kept: the spreadsheet writer tests every cell against several of them.
bool matches(std::u16string_view pattern, std::u16string_view text) {
    static std::mutex mutex;
    static std::map<std::u16string, std::shared_ptr<const kx::Regex>, std::less<>> cache;
    std::shared_ptr<const kx::Regex> regex;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = cache.find(pattern);
        if (it == cache.end()) {
            if (cache.size() > 256) cache.clear();
            it = cache.emplace(std::u16string(pattern), std::make_shared<const kx::Regex>(pattern)).first;
        }
        regex = it->second;
    }
    return regex->matchesWhole(text);
}

// The symbols go inside a character class: the characters that would end or change the class are
// escaped.
std::u16string classEscaped(std::u16string_view symbols) {
    std::u16string out;
    for (char16_t c : symbols) {
        if (c == u'\\' || c == u']' || c == u'[' || c == u'^' || c == u'-' || c == u'&') out.push_back(u'\\');
        out.push_back(c);
    }
    return out;
}

bool currency(std::u16string_view text, const std::vector<std::u16string>& symbols, std::u16string_view before,
              std::u16string_view after) {
    std::u16string pattern(before);
    pattern += classEscaped(KXRegex::currencySymbols(symbols));
    pattern += after;
    return matches(pattern, text);
}

}  // namespace

bool KXRegex::validateGeneralNumbersDecimalSepartorByDot(std::u16string_view t) {
    return matches(u"^(-?[0-9]+)(\\.[0-9]+)?$", t);
}
bool KXRegex::validateGeneralNumbersDecimalSepartorByComma(std::u16string_view t) {
    return matches(u"^(-?[0-9]+)(,[0-9]+)?$", t);
}
bool KXRegex::validatePercentNumbersDecimalSepartorByDot(std::u16string_view t) {
    return matches(u"^(-?[0-9]+)(\\.[0-9]+)?[%]", t);
}
bool KXRegex::validatePercentNumbersDecimalSepartorByComma(std::u16string_view t) {
    return matches(u"^(-?[0-9]+)(,[0-9]+)?[%]", t);
}
bool KXRegex::validateNumbersWithThousandSepartorByComma(std::u16string_view t) {
    return matches(u"^-?[0-9]{1,3}(,[0-9]{3})+(\\.[0-9]+)?$", t);
}
bool KXRegex::validateNumbersWithThousandSepartorByDot(std::u16string_view t) {
    return matches(u"^-?[0-9]{1,3}(\\.[0-9]{3})+(,[0-9]+)?$", t);
}
bool KXRegex::validateCurrencyNumberSBNSC(std::u16string_view t, const std::vector<std::u16string>& s) {
    return currency(t, s, u"^-?[", u"][ ]*[0-9]{1,3}(,[0-9]{3})*(\\.[0-9]+)?$");
}
bool KXRegex::validateCurrencyNumberSBNSD(std::u16string_view t, const std::vector<std::u16string>& s) {
    return currency(t, s, u"^-?[", u"][ ]*[0-9]{1,3}(\\.[0-9]{3})*(,[0-9]+)?$");
}
bool KXRegex::validateCurrencyNumberSANSC(std::u16string_view t, const std::vector<std::u16string>& s) {
    return currency(t, s, u"^-?[0-9]{1,3}(,[0-9]{3})*(\\.[0-9]+)?[ ]*[", u"]$");
}
bool KXRegex::validateCurrencyNumberSANSD(std::u16string_view t, const std::vector<std::u16string>& s) {
    return currency(t, s, u"^-?[0-9]{1,3}(\\.[0-9]{3})*(,[0-9]+)?[ ]*[", u"]$");
}

std::u16string KXRegex::currencySymbols(const std::vector<std::u16string>& symbols) {
    std::u16string joined;
    for (const auto& s : symbols) joined += s;
    return joined.empty() ? std::u16string(u"$\uFFE5\u00A5\u20AC") : joined;
}

bool KXRegex::validateIntNumbers(std::u16string_view t) { return matches(u"^-?[0-9]+$", t); }

bool KXRegex::validateWithRegex(std::u16string_view pattern, std::u16string_view text) {
    return matches(pattern, text);
}

// No language tokenizer is available, so the language is guessed from the scripts of the text:
// Han ideographs (without kana or hangul, which would make it Japanese or Korean) give Chinese when
// they weigh at least as much as the Latin letters (an ideograph counts as three letters: it is
// closer to a word than to a letter), and the form is told by characters that exist only in the
// simplified or only in the traditional script; Latin letters otherwise give English.
std::string KXRegex::LanguageForString(std::u16string_view text) {
    // Frequent characters whose form differs between the two scripts, pair by pair.
    static constexpr std::u16string_view kSimplified =
        u"这们来说时会国对过发经学后为个长还开关现实问门见东车书买卖电话语认让给从应样机进种动边头钱间题准业务员产运区广万与"
        u"义乐写军农决况处备复导层岁帅师带帮并庆库废张弹强归当录总战户扩扫报担择换据无觉观议记讲许设证词试谈该请读谁调"
        u"贵费资质购赛赶趋转轮软较辑输办边达过还这进远连迟选递遗邮邻郑钟铁银锁错长门闭问闻阳队阶际陆陈难顶项顺须领频题颜"
        u"风飞馆马验骑鱼鸟鸡黄齐龙";
    static constexpr std::u16string_view kTraditional =
        u"這們來說時會國對過發經學後為個長還開關現實問門見東車書買賣電話語認讓給從應樣機進種動邊頭錢間題準業務員產運區廣萬與"
        u"義樂寫軍農決況處備復導層歲帥師帶幫並慶庫廢張彈強歸當錄總戰戶擴掃報擔擇換據無覺觀議記講許設證詞試談該請讀誰調"
        u"貴費資質購賽趕趨轉輪軟較輯輸辦邊達過還這進遠連遲選遞遺郵鄰鄭鐘鐵銀鎖錯長門閉問聞陽隊階際陸陳難頂項順須領頻題顏"
        u"風飛館馬驗騎魚鳥雞黃齊龍";
    std::u16string_view head = text.substr(0, std::min<size_t>(text.size(), 100));
    int han = 0, latin = 0, kanaOrHangul = 0, simplified = 0, traditional = 0;
    for (char16_t c : head) {
        if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7)) {
            ++latin;
        } else if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0xAC00 && c <= 0xD7AF)) {
            ++kanaOrHangul;
        } else if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF)) {
            ++han;
            bool s = kSimplified.find(c) != std::u16string_view::npos;
            bool t = kTraditional.find(c) != std::u16string_view::npos;
            if (s && !t) ++simplified;
            if (t && !s) ++traditional;
        }
    }
    if (han > 0 && 3 * han >= latin) {
        if (kanaOrHangul > 0) return "";
        return traditional > simplified ? "zh-Hant" : "zh-Hans";
    }
    if (latin > 0 && kanaOrHangul == 0) return "en";
    return "";
}

bool KXRegex::IsLanguageForString_English(std::u16string_view t) { return LanguageForString(t) == "en"; }

bool KXRegex::IsLanguageForString_Chinese(std::u16string_view t) {
    std::string l = LanguageForString(t);
    return l == "zh-Hans" || l == "zh-Hant";
}

bool KXRegex::IsLanguageForString_Chinese_Simplified(std::u16string_view t) { return LanguageForString(t) == "zh-Hans"; }

bool KXRegex::IsLanguageForString_Chinese_Traditional(std::u16string_view t) {
    return LanguageForString(t) == "zh-Hant";
}
