#include "pdf/interpreter/KXPDFPropertiesCollection.h"

KXPDFPropertiesCollection::KXPDFPropertiesCollection(const kx::PDFObject& dict) {
    if (!dict.isDictionary()) return;
    for (auto& [name, value] : dict.dictEntries()) {
        if (auto p = KXPDFProperties::PropertiesWithObject(value, name)) collectObjects_[name] = std::move(p);
    }
}

std::shared_ptr<const KXPDFProperties> KXPDFPropertiesCollection::objectNamed(const std::string& name) const {
    auto it = collectObjects_.find(name);
    return it == collectObjects_.end() ? nullptr : it->second;
}

void KXPDFPropertiesCollection::addObjectsFromDictionary(
    const std::map<std::string, std::shared_ptr<const KXPDFProperties>>& objects) {
    for (auto& [name, o] : objects) collectObjects_[name] = o;
}
