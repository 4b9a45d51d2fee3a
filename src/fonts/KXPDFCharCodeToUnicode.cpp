#include "fonts/KXPDFCharCodeToUnicode.h"

#include <algorithm>
#include <climits>

#include "fonts/KXFontSupport_p.h"
#include "fonts/KXPDFCMapTokenizer.h"
#include "fonts/KXPDFMapTool.h"

namespace {

using kx::detail::hexDigitValue;

// The digits of a "<...>" token (without the brackets), when the token has that form and every
// digit is hexadecimal.
bool hexDigits(const std::string& token, std::string_view& digits) {
    if (token.size() < 2 || token.front() != '<' || token.back() != '>') return false;
    digits = std::string_view(token).substr(1, token.size() - 2);
    for (char c : digits)
        if (hexDigitValue(c) < 0) return false;
    return true;
}

// The value of hexadecimal digits; false when it does not fit in 32 bits.
bool hexNumber(std::string_view digits, std::uint32_t& value) {
    value = 0;
    size_t start = 0;
    while (start + 8 < digits.size() && digits[start] == '0') ++start;  // leading zeros do not count
    if (digits.size() - start > 8) return false;
    for (size_t i = start; i < digits.size(); ++i) value = (value << 4) | static_cast<std::uint32_t>(hexDigitValue(digits[i]));
    return true;
}

}  // namespace

KXPDFCharCodeToUnicode::KXPDFCharCodeToUnicode(std::string tag) : tag_(std::move(tag)), map_(65536, 0) {}

std::unique_ptr<KXPDFCharCodeToUnicode> KXPDFCharCodeToUnicode::parseCMap(std::string_view text, int nBits) {
    auto map = std::make_unique<KXPDFCharCodeToUnicode>("ToUnicode");
    std::set<std::string> visited;
    if (!map->parseCMap1(text, nBits, 0, visited)) return nullptr;
    map->updateSpaceCode();
    return map;
}

bool KXPDFCharCodeToUnicode::parseCMap1(std::string_view text, int nBits, int depth, std::set<std::string>& visited) {
    const std::uint64_t maxCode = nBits == 8 ? 0xFF : nBits == 16 ? 0xFFFF : 0xFFFFFFFFull;
    KXPDFCMapTokenizer tokenizer(text);
    std::string tok1, tok2, tok3;
    tokenizer.getToken(tok1);
    bool more = tokenizer.getToken(tok2);
    auto freshPair = [&] {
        tokenizer.getToken(tok1);
        more = tokenizer.getToken(tok2);
    };

    while (more) {
        if (tok2 == "usecmap") {
            if (tok1.size() > 1 && tok1[0] == '/') {
                // Only the collection tables can be named; a chain that comes back to a map already
                // being read, or runs too deep, stops there.
                std::string name = tok1.substr(1);
                // The tables are named by their collection or by their own name.
                std::string collection = name;
                if (collection.size() > 5 && collection.ends_with("-UCS2")) collection.resize(collection.size() - 5);
                if (depth < kMaxUseCMapDepth && visited.insert(collection).second) {
                    auto used = KXPDFMapTool::FindToUnicodeFile(collection);
                    if (used && !used->empty() && !parseCMap1(*used, nBits, depth + 1, visited)) return false;
                }
            }
            freshPair();
        } else if (tok2 == "beginbfchar") {
            while (tokenizer.getToken(tok1)) {
                if (tok1 == "endbfchar") break;
                if (!tokenizer.getToken(tok2)) break;
                if (tok2 == "endbfchar") break;
                std::string_view src, dst;
                if (!hexDigits(tok1, src) || !hexDigits(tok2, dst)) continue;
                std::uint32_t code = 0;
                if (!hexNumber(src, code) || code > maxCode) continue;
                if (!addMapping(code, dst.data(), static_cast<int>(dst.size()), 0)) return false;
            }
            freshPair();
        } else if (tok2 == "beginbfrange") {
            while (tokenizer.getToken(tok1)) {
                if (tok1 == "endbfrange") break;
                if (!tokenizer.getToken(tok2) || tok2 == "endbfrange") break;
                if (!tokenizer.getToken(tok3) || tok3 == "endbfrange") break;
                std::string_view loDigits, hiDigits;
                std::uint32_t lo = 0, hi = 0;
                bool rangeOk = hexDigits(tok1, loDigits) && hexDigits(tok2, hiDigits) && hexNumber(loDigits, lo) &&
                               hexNumber(hiDigits, hi);
                if (hi > maxCode) hi = static_cast<std::uint32_t>(maxCode);
                if (tok3 == "[") {
                    // Every element maps the next code, whether it can be read or not.
                    std::uint64_t code = lo;
                    std::string element;
                    while (tokenizer.getToken(element) && element != "]") {
                        std::string_view dst;
                        if (rangeOk && code <= maxCode && hexDigits(element, dst) &&
                            !addMapping(static_cast<std::uint32_t>(code), dst.data(), static_cast<int>(dst.size()), 0))
                            return false;
                        ++code;
                    }
                } else {
                    std::string_view dst;
                    if (!rangeOk || !hexDigits(tok3, dst)) continue;
                    for (std::uint64_t i = 0; lo + i <= hi; ++i) {
                        if (!addMapping(static_cast<std::uint32_t>(lo + i), dst.data(), static_cast<int>(dst.size()),
                                        static_cast<int>(i)))
                            return false;
                    }
                }
            }
            freshPair();
        } else {
            tok1 = tok2;
            more = tokenizer.getToken(tok2);
        }
    }
    return true;
}

bool KXPDFCharCodeToUnicode::addMapping(std::uint32_t code, const char* uStr, int n, int offset) {
    if (n < 0) return true;
    if (code >= map_.size()) {
        std::uint64_t newLen = (static_cast<std::uint64_t>(code) + 256) & ~std::uint64_t{255};
        if (!kx::detail::checkAllocationSize(static_cast<size_t>(newLen), sizeof(std::uint32_t))) return false;
        map_.resize(static_cast<size_t>(newLen), 0);
    }
    auto digitsValue = [&](int from, int count) {
        std::uint32_t v = 0;
        for (int i = from; i < from + count && i < n; ++i) {
            int h = hexDigitValue(uStr[i]);
            v = (v << 4) | static_cast<std::uint32_t>(h < 0 ? 0 : h);
        }
        return v;
    };
    spaceCodeDirty_ = true;
    if (n <= 4) {
        map_[code] = digitsValue(0, n) + static_cast<std::uint32_t>(offset);
        return true;
    }
    if (sMap_.size() >= kMaxStringMappings) {
        kx::detail::checkAllocationSize(static_cast<size_t>(INT_MAX), sizeof(CharCodeToUnicodeString));
        return false;
    }
    CharCodeToUnicodeString entry;
    entry.c = code;
    entry.len = std::min(n / 4, 8);
    for (int j = 0; j < entry.len; ++j) entry.u[j] = digitsValue(j * 4, 4);
    entry.u[entry.len - 1] += static_cast<std::uint32_t>(offset);
    map_[code] = 0;
    sMapIndex_.emplace(code, sMap_.size());  // an earlier entry of the same code stays the one found
    sMap_.push_back(entry);
    return true;
}

int KXPDFCharCodeToUnicode::mapToUnicode(std::uint32_t code, std::uint32_t* u, int uSize) const {
    if (code >= map_.size() || uSize <= 0) return 0;
    if (map_[code]) {
        u[0] = map_[code];
        return 1;
    }
    auto it = sMapIndex_.find(code);
    if (it == sMapIndex_.end()) return 0;
    const CharCodeToUnicodeString& entry = sMap_[it->second];
    int count = std::min(entry.len, uSize);
    for (int j = 0; j < count; ++j) u[j] = entry.u[j];
    return count;
}

void KXPDFCharCodeToUnicode::updateSpaceCode() const {
    spaceCodeDirty_ = false;
    for (size_t code = 0; code < map_.size(); ++code) {
        if (map_[code] == 32) {
            spaceCode_ = static_cast<std::uint32_t>(code);
            return;
        }
    }
    for (const auto& entry : sMap_) {
        if (entry.len > 0 && entry.u[entry.len - 1] == 32) {
            spaceCode_ = entry.c;
            return;
        }
    }
    spaceCode_ = 0;
}

std::uint32_t KXPDFCharCodeToUnicode::spaceCIDCode() const {
    if (spaceCodeDirty_) updateSpaceCode();
    return spaceCode_;
}
