#include "fonts/KXPDFFontCollection.h"

#include <map>
#include <mutex>
#include <utility>

#include "fonts/KXPDFFont.h"
#include "util/ResourceDictionaryCache.h"

namespace {

// The fonts a document has built, by font object and resource name. Every page and every form lists
// its fonts again, mostly the same objects, and building one (its embedded program loaded, its
// maps parsed) costs far more than finding it; a font does not change once built, so one copy
// serves every page of the document. The document keeps this cache and drops it when it closes.
struct DocumentFonts {
    // A document that makes new font objects on every page would fill the cache for nothing; past
    // this many it starts again.
    static constexpr size_t kMaxFonts = 512;
    using Key = std::pair<int, std::string>;

    std::mutex mutex;
    std::map<Key, std::shared_ptr<KXPDFFont>> fonts;  // null: the object gives no font

    // The font of the object under this resource name; a font built under another name is copied
    // with this one (the copy shares the loaded program).
    bool find(const Key& key, std::shared_ptr<KXPDFFont>& font) {
        std::lock_guard lock(mutex);
        auto it = fonts.lower_bound({key.first, std::string()});
        if (it == fonts.end() || it->first.first != key.first) return false;
        if (it->first != key) {
            auto same = fonts.find(key);
            if (same != fonts.end()) {
                it = same;
            } else if (it->second) {
                std::shared_ptr<KXPDFFont> copy(it->second->clone());
                copy->setObjectKey(key.second);
                it = fonts.emplace(key, std::move(copy)).first;
            }
        }
        font = it->second;
        return true;
    }

    void store(Key key, std::shared_ptr<KXPDFFont> font) {
        std::lock_guard lock(mutex);
        if (fonts.size() >= kMaxFonts) fonts.clear();
        fonts.emplace(std::move(key), std::move(font));
    }
};

}  // namespace

KXPDFFontCollection::KXPDFFontCollection() = default;

KXPDFFontCollection::KXPDFFontCollection(const kx::PDFObject& fontDictionary) {
    if (!fontDictionary.isDictionary()) return;
    // A dictionary read again (a form drawn many times, resources shared by pages) gives the fonts
    // it gave before, also those written in place in it.
    fonts_ = kx::detail::builtFromResourceDictionary<FontMap>(fontDictionary, [&] {
        FontMap fonts;
        std::shared_ptr<DocumentFonts> built = fontDictionary.documentCache<DocumentFonts>();
        for (size_t i = 0; i < fontDictionary.dictCount(); ++i) {
            kx::PDFObject value = fontDictionary.dictValueAt(i);
            if (!value.isDictionary()) continue;
            std::string key = fontDictionary.dictKeyAt(i);
            // Fonts that are objects of their own are found again from other dictionaries too.
            const bool cacheable = built && value.objectNumber() > 0;
            DocumentFonts::Key cacheKey{value.objectNumber(), key};
            std::shared_ptr<KXPDFFont> font;
            if (!cacheable || !built->find(cacheKey, font)) {
                font = KXPDFFont::FontWithDictionary(value, key);
                if (cacheable) built->store(std::move(cacheKey), font);
            }
            if (font) fonts[key] = std::move(font);
        }
        return fonts;
    });
}

std::shared_ptr<KXPDFFont> KXPDFFontCollection::fontForKey(const std::string& key) const {
    auto it = fonts_.find(key);
    return it == fonts_.end() ? nullptr : it->second;
}

void KXPDFFontCollection::addObjectsFromDictionary(const FontMap& fonts) {
    for (const auto& [key, font] : fonts) fonts_[key] = font;
}
