#include "fonts/KXPDFFontCollection.h"

#include "fonts/KXPDFFont.h"

KXPDFFontCollection::KXPDFFontCollection() = default;

KXPDFFontCollection::KXPDFFontCollection(const kx::PDFObject& fontDictionary) {
    if (!fontDictionary.isDictionary()) return;
    for (size_t i = 0; i < fontDictionary.dictCount(); ++i) {
        kx::PDFObject value = fontDictionary.dictValueAt(i);
        if (!value.isDictionary()) continue;
        std::string key = fontDictionary.dictKeyAt(i);
        if (auto font = KXPDFFont::FontWithDictionary(value, key)) fonts_[key] = std::move(font);
    }
}

std::shared_ptr<KXPDFFont> KXPDFFontCollection::fontForKey(const std::string& key) const {
    auto it = fonts_.find(key);
    return it == fonts_.end() ? nullptr : it->second;
}

void KXPDFFontCollection::addObjectsFromDictionary(const FontMap& fonts) {
    for (const auto& [key, font] : fonts) fonts_[key] = font;
}
