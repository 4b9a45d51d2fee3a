#pragma once
// What was built from one resource dictionary (the fonts of a /Font dictionary, the colour spaces
// of a /ColorSpace dictionary), kept by the dictionary's document.
//
// A form drawn a thousand times, or the same resources on every page, would otherwise build every
// entry again at every run: two hundred fonts written in place, or forty ICC profiles (more than
// the profile cache keeps), made a form drawn 1000 times take minutes. The things built are
// read-only once made, so one copy serves every run. An entry keeps its dictionary, so the
// dictionary's identity cannot be taken by another object while the entry lives; the document
// drops the whole cache when it closes.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/pdf/PDFObject.h"

namespace kx::detail {

template <class Built>
class ResourceDictionaryCache {
public:
    // Past this many things built, over every dictionary, the cache starts again: a document whose
    // every page lists new objects would fill it for nothing.
    static constexpr std::size_t kMaxThings = 4096;

    std::optional<Built> find(const kx::PDFObject& dictionary) {
        std::lock_guard lock(mutex_);
        auto it = entries_.find(dictionary.identity());
        if (it == entries_.end()) return std::nullopt;
        return it->second.built;
    }

    void store(const kx::PDFObject& dictionary, Built built, std::size_t things) {
        std::lock_guard lock(mutex_);
        if (held_ + things > kMaxThings) {
            entries_.clear();
            held_ = 0;
        }
        if (things > kMaxThings) return;
        // Another thread may have stored the same dictionary meanwhile; the first copy stays.
        if (entries_.try_emplace(dictionary.identity(), Entry{dictionary, std::move(built), things}).second)
            held_ += things;
    }

private:
    struct Entry {
        kx::PDFObject dictionary;  // keeps the identity taken
        Built built;
        std::size_t things = 0;
    };
    std::mutex mutex_;
    std::unordered_map<std::uintptr_t, Entry> entries_;
    std::size_t held_ = 0;
};

// The things built from `dictionary` by `build` (a map, so its size counts what it holds), built
// once per document. Built straight away for a dictionary of no document. `build` runs without the
// cache locked: it may build from other dictionaries in turn.
template <class Built, class Build>
Built builtFromResourceDictionary(const kx::PDFObject& dictionary, Build&& build) {
    auto cache = dictionary.documentCache<ResourceDictionaryCache<Built>>();
    if (!cache) return build();
    if (std::optional<Built> found = cache->find(dictionary)) return std::move(*found);
    Built built = build();
    cache->store(dictionary, built, built.size());
    return built;
}

}  // namespace kx::detail
