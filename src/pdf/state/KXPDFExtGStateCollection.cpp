#include "pdf/state/KXPDFExtGStateCollection.h"

KXPDFExtGStateCollection::KXPDFExtGStateCollection(const kx::PDFObject& dict) {
    if (!dict.isDictionary()) return;
    for (auto& [name, value] : dict.dictEntries()) {
        if (value.isDictionary() && !value.isStream())
            collectObjects_[name] = std::make_shared<const KXPDFExtGState>(value, name);
    }
}

std::shared_ptr<const KXPDFExtGState> KXPDFExtGStateCollection::objectNamed(const std::string& name) const {
    auto it = collectObjects_.find(name);
    return it == collectObjects_.end() ? nullptr : it->second;
}

void KXPDFExtGStateCollection::addObjectsFromDictionary(
    const std::map<std::string, std::shared_ptr<const KXPDFExtGState>>& objects) {
    for (auto& [name, o] : objects) collectObjects_[name] = o;
}
