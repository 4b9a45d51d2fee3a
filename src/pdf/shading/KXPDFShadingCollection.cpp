#include "pdf/shading/KXPDFShadingCollection.h"

KXPDFShadingCollection::KXPDFShadingCollection(const kx::PDFObject& shadingDictionary) {
    if (!shadingDictionary.isDictionary()) return;
    for (auto& [name, object] : shadingDictionary.dictEntries())
        if (auto shading = KXPDFShading::ShadingWithObject(object, name)) collectObjects_[name] = std::move(shading);
}

std::shared_ptr<KXPDFShading> KXPDFShadingCollection::objectNamed(const std::string& name) const {
    auto it = collectObjects_.find(name);
    return it == collectObjects_.end() ? nullptr : it->second;
}

void KXPDFShadingCollection::addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<KXPDFShading>>& shadings) {
    for (const auto& [name, shading] : shadings) collectObjects_[name] = shading;
}
