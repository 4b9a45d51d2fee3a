#include "pdf/xobject/KXPDFXObjectCollection.h"

KXPDFXObjectCollection::KXPDFXObjectCollection(const kx::PDFObject& dictionary) {
    if (!dictionary.isDictionary()) return;
    size_t n = dictionary.dictCount();
    for (size_t i = 0; i < n && xObjects_.size() <= kMaxObjects; ++i) {
        kx::PDFObject value = dictionary.dictValueAt(i);
        if (!value.isStream()) continue;
        std::string key = dictionary.dictKeyAt(i);
        if (auto x = KXPDFXObject::XObjectWithObject(value, key)) xObjects_[key] = std::move(x);
    }
}

void KXPDFXObjectCollection::addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<KXPDFXObject>>& objects) {
    for (const auto& [name, object] : objects) xObjects_[name] = object;
}

std::shared_ptr<KXPDFXObject> KXPDFXObjectCollection::xObjectWithNamed(const std::string& name) const {
    auto it = xObjects_.find(name);
    return it == xObjects_.end() ? nullptr : it->second;
}
