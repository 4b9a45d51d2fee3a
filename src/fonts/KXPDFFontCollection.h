#pragma once
// The fonts of a page's /Font resources by resource name.

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/pdf/PDFObject.h"

class KXPDFFont;

class KXPDFFontCollection {
public:
    using FontMap = std::unordered_map<std::string, std::shared_ptr<KXPDFFont>>;

    // An empty collection (init).
    KXPDFFontCollection();
    // initWithDictionary: every entry of a /Font resource dictionary whose value is a dictionary and
    // makes a font; an empty collection for no dictionary.
    explicit KXPDFFontCollection(const kx::PDFObject& fontDictionary);

    // The font of a resource name, or none.
    std::shared_ptr<KXPDFFont> fontForKey(const std::string& key) const;
    FontMap fontsByName() const { return fonts_; }
    void addObjectsFromDictionary(const FontMap& fonts);

    const FontMap& fonts() const { return fonts_; }
    void setFonts(FontMap fonts) { fonts_ = std::move(fonts); }

private:
    FontMap fonts_;
};
