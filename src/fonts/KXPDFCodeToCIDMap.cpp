#include "fonts/KXPDFCodeToCIDMap.h"

#include <charconv>
#include <map>
#include <mutex>

#include "fonts/KXFontSupport_p.h"
#include "fonts/KXPDFCMapTokenizer.h"
#include "fonts/KXPDFCodeToCIDMapCache.h"
#include "fonts/KXPDFMapTool.h"

namespace {

using kx::detail::hexDigitValue;

// A "<...>" code token of 1 to 4 bytes: its bytes and byte count. The closing ">" is not required
// (the code-space and range rules look only at the opening bracket and the length).
bool codeBytes(const std::string& token, unsigned char bytes[4], int& nBytes) {
    if (token.size() < 4 || token.front() != '<' || token.size() % 2 != 0) return false;
    nBytes = static_cast<int>((token.size() - 2) / 2);
    if (nBytes < 1 || nBytes > 4) return false;
    for (int i = 0; i < nBytes; ++i) {
        int hi = hexDigitValue(token[1 + 2 * i]), lo = hexDigitValue(token[2 + 2 * i]);
        if (hi < 0 || lo < 0) return false;
        bytes[i] = static_cast<unsigned char>((hi << 4) | lo);
    }
    return true;
}

std::uint32_t bigEndian(const unsigned char* bytes, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | bytes[i];
    return v;
}

bool unsignedNumber(const std::string& token, std::uint32_t& value) {
    auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    return error == std::errc() && end == token.data() + token.size();
}

// Maps read from resource files do not change: each is read once per process.
struct ResourceMaps {
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, std::shared_ptr<const KXPDFCodeToCIDMap>> maps;
};

ResourceMaps& resourceMaps() {
    static ResourceMaps maps;
    return maps;
}

}  // namespace

KXPDFCodeToCIDMap::KXPDFCodeToCIDMap(std::string collection, std::string cMapName)
    : cMapCollection_(std::move(collection)), cMapName_(std::move(cMapName)), tables_(1) {}

KXPDFCodeToCIDMap::KXPDFCodeToCIDMap(std::string collection, std::string cMapName, std::int32_t wMode)
    : cMapCollection_(std::move(collection)), cMapName_(std::move(cMapName)), wMode_(wMode) {}

std::shared_ptr<const KXPDFCodeToCIDMap> KXPDFCodeToCIDMap::parse(KXPDFCodeToCIDMapCache* cache,
                                                                  const std::string& collection,
                                                                  const std::string& cMapName,
                                                                  std::optional<std::string_view> cMapFile) {
    std::optional<std::string> resource;
    const bool fromResource = !cMapFile;
    if (fromResource) {
        {
            std::lock_guard lock(resourceMaps().mutex);
            auto it = resourceMaps().maps.find({collection, cMapName});
            if (it != resourceMaps().maps.end()) return it->second;
        }
        resource = KXPDFMapTool::FindCMapFile(collection, cMapName);
        if (resource) cMapFile = *resource;
    }
    if (!cMapFile || cMapFile->empty()) {
        if (cMapName == "Identity" || cMapName == "Identity-H")
            return std::make_shared<KXPDFCodeToCIDMap>(collection, cMapName, 0);
        if (cMapName == "Identity-V") return std::make_shared<KXPDFCodeToCIDMap>(collection, cMapName, 1);
        return nullptr;
    }

    auto map = std::make_shared<KXPDFCodeToCIDMap>(collection, cMapName);
    KXPDFCodeToCIDMapCache localCache;
    if (!cache) cache = &localCache;
    cache->reading_.push_back(cMapName);
    bool ok = map->parseText(cache, *cMapFile);
    cache->reading_.pop_back();
    if (!ok) return nullptr;

    std::shared_ptr<const KXPDFCodeToCIDMap> result = map;
    if (fromResource) {
        std::lock_guard lock(resourceMaps().mutex);
        resourceMaps().maps.emplace(std::make_pair(collection, cMapName), result);
    }
    return result;
}

bool KXPDFCodeToCIDMap::parseText(KXPDFCodeToCIDMapCache* cache, std::string_view text) {
    KXPDFCMapTokenizer tokenizer(text);
    std::string tok1, tok2, tok3;
    tokenizer.getToken(tok1);
    bool more = tokenizer.getToken(tok2);
    auto freshPair = [&] {
        tokenizer.getToken(tok1);
        more = tokenizer.getToken(tok2);
    };

    while (more) {
        if (tok2 == "usecmap" && tok1.size() > 1 && tok1[0] == '/') {
            if (!useCMap(cache, tok1.substr(1))) return false;
            freshPair();
        } else if (tok1 == "/WMode") {
            std::int32_t mode = 0;
            std::from_chars(tok2.data(), tok2.data() + tok2.size(), mode);
            wMode_ = mode;
            freshPair();
        } else if (tok2 == "begincodespacerange") {
            while (tokenizer.getToken(tok1) && tok1 != "endcodespacerange") {
                if (!tokenizer.getToken(tok2) || tok2 == "endcodespacerange") break;
                unsigned char lo[4], hi[4];
                int nLo = 0, nHi = 0;
                if (tok1.size() != tok2.size() || !codeBytes(tok1, lo, nLo) || !codeBytes(tok2, hi, nHi)) continue;
                if (!addCodeSpace(0, lo, hi, nLo)) return false;
            }
            freshPair();
        } else if (tok2 == "begincidchar") {
            while (tokenizer.getToken(tok1) && tok1 != "endcidchar") {
                if (!tokenizer.getToken(tok2) || tok2 == "endcidchar") break;
                unsigned char code[4];
                int n = 0;
                std::uint32_t cid = 0;
                if (tok1.back() != '>' || !codeBytes(tok1, code, n) || !unsignedNumber(tok2, cid)) continue;
                std::uint32_t value = bigEndian(code, n);
                if (!addCIDs(value, value, n, cid)) return false;
            }
            freshPair();
        } else if (tok2 == "begincidrange") {
            while (tokenizer.getToken(tok1) && tok1 != "endcidrange") {
                if (!tokenizer.getToken(tok2) || tok2 == "endcidrange") break;
                if (!tokenizer.getToken(tok3) || tok3 == "endcidrange") break;
                unsigned char lo[4], hi[4];
                int nLo = 0, nHi = 0;
                std::uint32_t cid = 0;
                if (tok1.size() != tok2.size() || !codeBytes(tok1, lo, nLo) || !codeBytes(tok2, hi, nHi) ||
                    !unsignedNumber(tok3, cid))
                    continue;
                if (!addCIDs(bigEndian(lo, nLo), bigEndian(hi, nHi), nLo, cid)) return false;
            }
            freshPair();
        } else {
            tok1 = tok2;
            more = tokenizer.getToken(tok2);
        }
    }
    return true;
}

std::int32_t KXPDFCodeToCIDMap::subTableOf(std::int32_t table, unsigned byte) {
    std::int32_t sub = tables_[static_cast<size_t>(table)][byte].subTable;
    if (sub >= 0) return sub;
    if (tables_.size() >= kMaxTables) {
        kx::detail::checkAllocationSize(static_cast<size_t>(INT_MAX), sizeof(CMapVector));
        return -1;
    }
    tables_.emplace_back();
    sub = static_cast<std::int32_t>(tables_.size() - 1);
    tables_[static_cast<size_t>(table)][byte] = CMapVectorEntry{0, sub};
    return sub;
}

bool KXPDFCodeToCIDMap::addCodeSpace(std::int32_t table, const unsigned char* lo, const unsigned char* hi, int nBytes) {
    if (nBytes < 2) return true;  // single-byte codes stay leaves
    for (unsigned b = lo[0]; b <= hi[0]; ++b) {
        std::int32_t sub = subTableOf(table, b);
        if (sub < 0) return false;
        if (!addCodeSpace(sub, lo + 1, hi + 1, nBytes - 1)) return false;
    }
    return true;
}

bool KXPDFCodeToCIDMap::addCIDs(std::uint32_t start, std::uint32_t end, int nBytes, std::uint32_t firstCID) {
    if (start > end) return true;
    // A range may span several leading bytes (<0000> <FFFF> in embedded CMaps): each run of codes
    // that shares its leading bytes is filled in turn, the CIDs counting on across the runs.
    const std::uint32_t firstPrefix = start >> 8, lastPrefix = end >> 8;
    for (std::uint64_t prefix = firstPrefix; prefix <= lastPrefix; ++prefix) {
        std::int32_t table = 0;
        for (int i = nBytes - 1; i >= 1; --i) {
            table = subTableOf(table, static_cast<unsigned>((prefix << 8 >> (8 * i)) & 0xFF));
            if (table < 0) return false;
        }
        unsigned lowFirst = prefix == firstPrefix ? (start & 0xFF) : 0;
        unsigned lowLast = prefix == lastPrefix ? (end & 0xFF) : 0xFF;
        for (unsigned k = lowFirst; k <= lowLast; ++k) {
            CMapVectorEntry& entry = tables_[static_cast<size_t>(table)][k];
            if (entry.isVector()) continue;
            std::uint64_t code = (prefix << 8) | k;
            entry.cid = firstCID + static_cast<std::uint32_t>(code - start);
        }
    }
    return true;
}

bool KXPDFCodeToCIDMap::useCMap(KXPDFCodeToCIDMapCache* cache, const std::string& useName) {
    auto used = cache->getCMap(cMapCollection_, useName);
    if (!used || !used->hasTable()) return true;  // nothing to merge
    return copyToVector(0, *used, 0);
}

bool KXPDFCodeToCIDMap::copyToVector(std::int32_t dest, const KXPDFCodeToCIDMap& source, std::int32_t src) {
    for (unsigned i = 0; i < 256; ++i) {
        const CMapVectorEntry from = source.tables_[static_cast<size_t>(src)][i];
        if (from.isVector()) {
            std::int32_t sub = subTableOf(dest, i);
            if (sub < 0 || !copyToVector(sub, source, from.subTable)) return false;
        } else {
            CMapVectorEntry& to = tables_[static_cast<size_t>(dest)][i];
            if (!to.isVector()) to.cid = from.cid;
        }
    }
    return true;
}

std::uint32_t KXPDFCodeToCIDMap::getCID(const unsigned char* s, int len, std::uint32_t* code, int* nUsed) const {
    if (len <= 0) {
        *code = 0;
        *nUsed = 1;
        return 0;
    }
    if (tables_.empty()) {
        if (len >= 2) {
            *nUsed = 2;
            *code = (static_cast<std::uint32_t>(s[0]) << 8) | s[1];
            return *code;
        }
        *nUsed = 1;
        *code = s[0];
        return 0;
    }
    std::uint32_t c = 0;
    size_t table = 0;
    for (int i = 0; i < len && i < 4; ++i) {
        c = (c << 8) | s[i];
        const CMapVectorEntry& entry = tables_[table][s[i]];
        if (!entry.isVector()) {
            *nUsed = i + 1;
            *code = c;
            return entry.cid;
        }
        table = static_cast<size_t>(entry.subTable);
    }
    *nUsed = 1;
    *code = s[0];
    return 0;
}

bool KXPDFCodeToCIDMap::isMath(const std::string& collection, const std::string& cMapName) const {
    return cMapCollection_ == collection && cMapName_ == cMapName;
}
