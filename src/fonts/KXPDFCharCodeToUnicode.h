#pragma once
// Maps character codes (or CIDs) to Unicode: a font's /ToUnicode map, or the CID-to-Unicode table of
// a character collection. Both are CMap texts with bfchar and bfrange sections, read by one parser.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A code that maps to two or more values.
struct CharCodeToUnicodeString {
    std::uint32_t c = 0;
    std::uint32_t u[8] = {};
    std::int32_t len = 0;
};

class KXPDFCharCodeToUnicode {
public:
    // An empty map (initWithTag:): 65,536 codes without a mapping.
    explicit KXPDFCharCodeToUnicode(std::string tag);

    // A new map tagged "ToUnicode" from CMap text with 8- or 16-bit codes. Null only when the text
    // asks for more entries than may be allocated (the message is on the standard error stream).
    static std::unique_ptr<KXPDFCharCodeToUnicode> parseCMap(std::string_view text, int nBits);

    // Writes the code's values into `u` (at most `uSize`) and returns their number; 0 when the code
    // has no mapping.
    int mapToUnicode(std::uint32_t code, std::uint32_t* u, int uSize) const;
    // The lowest code whose single value is U+0020, else the code of the first multi-value mapping
    // that ends in U+0020, else 0.
    std::uint32_t spaceCIDCode() const;
    // Enters one mapping from `n` hexadecimal digits; `offset` is added to the (last) value.
    // False when the mapping cannot be stored (an allocation check failed).
    bool addMapping(std::uint32_t code, const char* uStr, int n, int offset);

    const std::string& tag() const { return tag_; }
    void setTag(std::string tag) { tag_ = std::move(tag); }
    std::int32_t wMode() const { return wMode_; }
    void setWMode(std::int32_t mode) { wMode_ = mode; }
    std::uint32_t mapLen() const { return static_cast<std::uint32_t>(map_.size()); }
    const std::vector<CharCodeToUnicodeString>& sMap() const { return sMap_; }

    // A "usecmap" inside a map is followed this deep at most.
    static constexpr int kMaxUseCMapDepth = 8;
    // Multi-value mappings one map may hold (far above any real font's needs).
    static constexpr size_t kMaxStringMappings = size_t{1} << 20;

private:
    void updateSpaceCode() const;
    bool parseCMap1(std::string_view text, int nBits, int depth, std::set<std::string>& visited);

    std::string tag_;
    std::vector<std::uint32_t> map_;
    std::vector<CharCodeToUnicodeString> sMap_;
    // The first multi-value mapping of each code, so that a lookup does not walk the whole list.
    std::unordered_map<std::uint32_t, size_t> sMapIndex_;
    std::int32_t wMode_ = 0;
    // spaceCIDCode, worked out once after the map changed (a parsed map is final when shared).
    mutable std::uint32_t spaceCode_ = 0;
    mutable bool spaceCodeDirty_ = false;
};
