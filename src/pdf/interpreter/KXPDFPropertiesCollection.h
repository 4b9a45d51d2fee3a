#pragma once
// The property lists of a content stream's resources that PropertiesWithObject accepts.

#include <map>
#include <memory>
#include <string>

#include "pdf/interpreter/KXPDFProperties.h"

class KXPDFPropertiesCollection {
public:
    KXPDFPropertiesCollection() = default;
    explicit KXPDFPropertiesCollection(const kx::PDFObject& dictionary);

    std::shared_ptr<const KXPDFProperties> objectNamed(const std::string& name) const;
    std::map<std::string, std::shared_ptr<const KXPDFProperties>> collectObjectsByName() const { return collectObjects_; }
    void addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<const KXPDFProperties>>& objects);
    std::map<std::string, std::shared_ptr<const KXPDFProperties>>& collectObjects() { return collectObjects_; }
    void setCollectObjects(std::map<std::string, std::shared_ptr<const KXPDFProperties>> objects) {
        collectObjects_ = std::move(objects);
    }

private:
    std::map<std::string, std::shared_ptr<const KXPDFProperties>> collectObjects_;
};
