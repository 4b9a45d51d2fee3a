#pragma once
// The named shadings of a content stream's resources (its Shading dictionary).

#include <map>
#include <memory>
#include <string>

#include "pdf/shading/KXPDFShading.h"

class KXPDFShadingCollection {
public:
    KXPDFShadingCollection() = default;
    // Every entry that the factory turns into a shading, under its resource name. A null
    // dictionary gives an empty collection.
    explicit KXPDFShadingCollection(const kx::PDFObject& shadingDictionary);

    // nullptr when the name is not in the collection.
    std::shared_ptr<KXPDFShading> objectNamed(const std::string& name) const;
    std::map<std::string, std::shared_ptr<KXPDFShading>> collectObjectsByName() const { return collectObjects_; }
    // Adds the entries, replacing those of the same name.
    void addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<KXPDFShading>>& shadings);
    std::map<std::string, std::shared_ptr<KXPDFShading>>& collectObjects() { return collectObjects_; }
    void setCollectObjects(std::map<std::string, std::shared_ptr<KXPDFShading>> objects) {
        collectObjects_ = std::move(objects);
    }

private:
    std::map<std::string, std::shared_ptr<KXPDFShading>> collectObjects_;
};
