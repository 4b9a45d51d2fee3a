#pragma once
// The XObjects of a resource dictionary, by name.

#include <map>
#include <memory>
#include <string>

#include "pdf/xobject/KXPDFXObject.h"

class KXPDFXObjectCollection {
public:
    KXPDFXObjectCollection() = default;
    // Every stream entry that makes an XObject, in the dictionary's order, while the collection
    // holds at most 2400 (so at most 2401 are kept).
    explicit KXPDFXObjectCollection(const kx::PDFObject& dictionary);

    void addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<KXPDFXObject>>& objects);
    std::map<std::string, std::shared_ptr<KXPDFXObject>> xObjectsByName() const { return xObjects_; }
    std::shared_ptr<KXPDFXObject> xObjectWithNamed(const std::string& name) const;
    const std::map<std::string, std::shared_ptr<KXPDFXObject>>& xObjects() const { return xObjects_; }
    void setXObjects(std::map<std::string, std::shared_ptr<KXPDFXObject>> objects) { xObjects_ = std::move(objects); }

    static constexpr size_t kMaxObjects = 2400;

private:
    std::map<std::string, std::shared_ptr<KXPDFXObject>> xObjects_;
};
