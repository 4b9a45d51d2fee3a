#include "pdf/xobject/KXPDFXObjectCollection.h"

KXPDFXObjectCollection::KXPDFXObjectCollection(const kx::PDFObject& dictionary) {
    if (!dictionary.isDictionary()) return;
    size_t n = dictionary.dictCount();
    size_t i = 0;
    for (; i < n && xObjects_.size() <= kMaxObjects; ++i) {
        kx::PDFObject value = dictionary.dictValueAt(i);
        if (!value.isStream()) continue;
        std::string key = dictionary.dictKeyAt(i);
        if (auto x = KXPDFXObject::XObjectWithObject(value, key)) xObjects_[key] = std::move(x);
    }
    if (i < n) unmade_ = dictionary;
}

void KXPDFXObjectCollection::addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<KXPDFXObject>>& objects) {
    for (const auto& [name, object] : objects) xObjects_[name] = object;
}

std::shared_ptr<KXPDFXObject> KXPDFXObjectCollection::xObjectWithNamed(const std::string& name) const {
    auto it = xObjects_.find(name);
    if (it != xObjects_.end()) return it->second;
    // A page of a document whose pages share one large dictionary names an entry past the kept
    // ones: it is made for this use only, so that what is held stays bounded however many are named.
    if (unmade_.isNull()) return nullptr;
    return KXPDFXObject::XObjectWithObject(unmade_.dictGet(name), name);
}
