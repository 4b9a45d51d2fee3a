#include "pdf/color/KXPDFColorSpaceCollection.h"

#include "util/ResourceDictionaryCache.h"

KXPDFColorSpaceCollection::KXPDFColorSpaceCollection(const kx::PDFObject& dict) {
    if (!dict.isDictionary()) return;
    // The spaces of a dictionary are built once per document (ICC profiles take milliseconds each),
    // however often the forms and pages that list it run.
    using Spaces = decltype(colorSpaces_);
    colorSpaces_ = kx::detail::builtFromResourceDictionary<Spaces>(
        dict, [&] {
            Spaces spaces;
            // Entries in the file's order (as the reader keeps it); a later duplicate name does not
            // occur in a dictionary.
            for (auto& [name, value] : dict.dictEntries()) {
                if (auto space = KXPDFColorSpace::ColorSpaceWithObject(value, name)) spaces[name] = std::move(space);
            }
            return spaces;
        });
}

std::shared_ptr<const KXPDFColorSpace> KXPDFColorSpaceCollection::colorSpaceNamed(const std::string& name) const {
    auto it = colorSpaces_.find(name);
    return it == colorSpaces_.end() ? nullptr : it->second;
}

void KXPDFColorSpaceCollection::addObjectsFromDictionary(
    const std::map<std::string, std::shared_ptr<const KXPDFColorSpace>>& spaces) {
    for (auto& [name, space] : spaces) colorSpaces_[name] = space;
}
