#include "fonts/KXPDFCodeToCIDMapCache.h"

#include <algorithm>

#include "fonts/KXPDFCodeToCIDMap.h"

std::shared_ptr<const KXPDFCodeToCIDMap> KXPDFCodeToCIDMapCache::getCMap(const std::string& collection,
                                                                          const std::string& cMapName) {
    if (!cache_.empty() && cache_.back()->isMath(collection, cMapName)) return cache_.back();
    for (size_t i = 0; i + 1 < cache_.size(); ++i) {
        if (cache_[i]->isMath(collection, cMapName)) {
            auto map = cache_[i];
            cache_.erase(cache_.begin() + static_cast<std::ptrdiff_t>(i));
            cache_.push_back(map);
            return map;
        }
    }
    if (reading_.size() >= kMaxUseCMapDepth || std::find(reading_.begin(), reading_.end(), cMapName) != reading_.end())
        return nullptr;
    auto map = KXPDFCodeToCIDMap::parse(this, collection, cMapName);
    if (map) cache_.push_back(map);
    return map;
}
