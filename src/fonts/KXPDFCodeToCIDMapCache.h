#pragma once
// The encoding CMaps read for one font, most recently used last; serves the "usecmap" chain of a
// CMap. A chain that comes back to a map still being read, or runs deeper than a few levels, ends.

#include <memory>
#include <string>
#include <vector>

class KXPDFCodeToCIDMap;

class KXPDFCodeToCIDMapCache {
public:
    std::shared_ptr<const KXPDFCodeToCIDMap> getCMap(const std::string& collection, const std::string& cMapName);

    const std::vector<std::shared_ptr<const KXPDFCodeToCIDMap>>& cache() const { return cache_; }

    static constexpr size_t kMaxUseCMapDepth = 8;

private:
    friend class KXPDFCodeToCIDMap;
    std::vector<std::shared_ptr<const KXPDFCodeToCIDMap>> cache_;
    std::vector<std::string> reading_;  // names whose parse is in progress, outermost first
};
