#pragma once
// The named colour spaces of a content stream's resources (its ColorSpace dictionary).

#include <map>
#include <memory>
#include <string>

#include "pdf/color/KXPDFColorSpace.h"

class KXPDFColorSpaceCollection {
public:
    KXPDFColorSpaceCollection() = default;
    // Every entry that the factory turns into a space, under its resource name; the others are
    // skipped. A null dictionary gives an empty collection.
    explicit KXPDFColorSpaceCollection(const kx::PDFObject& colorSpaceDictionary);

    // nullptr when the name is not in the collection.
    std::shared_ptr<const KXPDFColorSpace> colorSpaceNamed(const std::string& name) const;
    std::map<std::string, std::shared_ptr<const KXPDFColorSpace>> colorSpacesByName() const { return colorSpaces_; }
    // Adds the entries, replacing those of the same name.
    void addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<const KXPDFColorSpace>>& spaces);
    std::map<std::string, std::shared_ptr<const KXPDFColorSpace>>& colorSpaces() { return colorSpaces_; }
    void setColorSpaces(std::map<std::string, std::shared_ptr<const KXPDFColorSpace>> spaces) {
        colorSpaces_ = std::move(spaces);
    }

private:
    std::map<std::string, std::shared_ptr<const KXPDFColorSpace>> colorSpaces_;
};
