#pragma once
// The named patterns of a content stream's resources (its Pattern dictionary).

#include <map>
#include <memory>
#include <string>

#include "pdf/shading/KXPDFPattern.h"

class KXPDFPatternCollection {
public:
    KXPDFPatternCollection() = default;
    // Every entry that the factory turns into a pattern (tiling patterns rendering their cells with
    // `cellDrawer`), under its resource name. A null dictionary gives an empty collection.
    explicit KXPDFPatternCollection(const kx::PDFObject& patternDictionary, kx::PatternCellDrawer cellDrawer = nullptr);

    // nullptr when the name is not in the collection.
    std::shared_ptr<KXPDFPattern> objectNamed(const std::string& name) const;
    std::map<std::string, std::shared_ptr<KXPDFPattern>> collectObjectsByName() const { return collectObjects_; }
    // Adds the entries, replacing those of the same name.
    void addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<KXPDFPattern>>& patterns);
    std::map<std::string, std::shared_ptr<KXPDFPattern>>& collectObjects() { return collectObjects_; }
    void setCollectObjects(std::map<std::string, std::shared_ptr<KXPDFPattern>> objects) {
        collectObjects_ = std::move(objects);
    }

private:
    std::map<std::string, std::shared_ptr<KXPDFPattern>> collectObjects_;
};
