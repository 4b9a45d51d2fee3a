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

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/pdf/PDFObject.h"

namespace kx::detail {

template <class Built>
class ResourceDictionaryCache {
public:
    // The dictionaries used last are kept. A run already holds everything its dictionaries build at
    // once, so keeping a few of them costs no more than a few runs; keeping every dictionary of a
    // document would let a hostile one hold far more (spaces with tables of millions of samples,
    // each in a dictionary of its own). Past this many things built, over the dictionaries kept,
    // the oldest go too.
    static constexpr std::size_t kMaxDictionaries = 4;
    static constexpr std::size_t kMaxThings = 4096;

    std::optional<Built> find(const kx::PDFObject& dictionary) {
        std::lock_guard lock(mutex_);
        const std::uintptr_t id = dictionary.identity();
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->id != id) continue;
            // Used last at the back.
            std::rotate(it, it + 1, entries_.end());
            return entries_.back().built;
        }
        return std::nullopt;
    }

    void store(const kx::PDFObject& dictionary, Built built, std::size_t things) {
        if (things > kMaxThings) return;
        std::lock_guard lock(mutex_);
        const std::uintptr_t id = dictionary.identity();
        // Another thread may have stored the same dictionary meanwhile; the first copy stays.
        for (const Entry& e : entries_)
            if (e.id == id) return;
        while (!entries_.empty() && (entries_.size() >= kMaxDictionaries || held_ + things > kMaxThings)) {
            held_ -= entries_.front().things;
            entries_.erase(entries_.begin());
        }
        entries_.push_back(Entry{id, dictionary, std::move(built), things});
        held_ += things;
    }

private:
    struct Entry {
        std::uintptr_t id = 0;
        kx::PDFObject dictionary;  // keeps the identity taken
        Built built;
        std::size_t things = 0;
    };
    std::mutex mutex_;
    std::vector<Entry> entries_;  // used last at the back
    std::size_t held_ = 0;
};

// The things built from `dictionary` by `build` (a map, so its size counts what it holds), built
// once while the document keeps them. Built straight away for a dictionary of no document. `build` runs without the
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
