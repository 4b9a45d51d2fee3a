#pragma once
// The encoding CMap of a composite font: cuts a shown string into codes of one to four bytes by its
// code-space ranges and maps each code to a CID. Built from CMap text (a resource named by the
// font's /Encoding, or an embedded CMap stream), with "usecmap" inheritance.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class KXPDFCodeToCIDMapCache;

class KXPDFCodeToCIDMap {
public:
    // One entry of a 256-entry table: a leaf with a CID, or a sub-table for the next byte.
    struct CMapVectorEntry {
        std::uint32_t cid = 0;
        std::int32_t subTable = -1;  // index into the map's tables; -1 for a leaf
        bool isVector() const { return subTable >= 0; }
    };
    using CMapVector = std::array<CMapVectorEntry, 256>;

    // A map from CMap text, or (without text) from the resource file of the name; the names
    // "Identity", "Identity-H" and "Identity-V" without any text give identity maps. None when
    // nothing can be read, or when the text asks for more tables than may be allocated.
    static std::shared_ptr<const KXPDFCodeToCIDMap> parse(KXPDFCodeToCIDMapCache* cache, const std::string& collection,
                                                          const std::string& cMapName,
                                                          std::optional<std::string_view> cMapFile = std::nullopt);

    // initWithCollection:cMapName: an empty table, horizontal.
    KXPDFCodeToCIDMap(std::string collection, std::string cMapName);
    // initWithCollection:cMapName:wMode: an identity map (no table).
    KXPDFCodeToCIDMap(std::string collection, std::string cMapName, std::int32_t wMode);

    // The CID of the next code of `s` (`len` > 0 bytes); `code` gets the raw code (big-endian),
    // `nUsed` the bytes it took.
    std::uint32_t getCID(const unsigned char* s, int len, std::uint32_t* code, int* nUsed) const;
    bool isMath(const std::string& collection, const std::string& cMapName) const;

    const std::string& cMapCollection() const { return cMapCollection_; }
    const std::string& cMapName() const { return cMapName_; }
    std::int32_t wMode() const { return wMode_; }
    bool hasTable() const { return !tables_.empty(); }

    // Sub-tables one map may hold: enough for the largest published CMaps (four-byte UTF-32
    // maps need about 4,400), small enough that a hostile range cannot exhaust memory.
    static constexpr size_t kMaxTables = 16384;

private:
    bool parseText(KXPDFCodeToCIDMapCache* cache, std::string_view text);
    bool useCMap(KXPDFCodeToCIDMapCache* cache, const std::string& useName);
    bool copyToVector(std::int32_t dest, const KXPDFCodeToCIDMap& source, std::int32_t src);
    bool addCodeSpace(std::int32_t table, const unsigned char* lo, const unsigned char* hi, int nBytes);
    bool addCIDs(std::uint32_t start, std::uint32_t end, int nBytes, std::uint32_t firstCID);
    // The sub-table under `entry` of `table`, made when the entry is a leaf; -1 when the budget is
    // exhausted.
    std::int32_t subTableOf(std::int32_t table, unsigned byte);

    std::string cMapCollection_;
    std::string cMapName_;
    std::int32_t wMode_ = 0;
    std::vector<CMapVector> tables_;  // tables_[0] is the first byte's table; empty for identity
};
