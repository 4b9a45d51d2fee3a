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
    // holds at most 2400 (so at most 2401 are kept). The entries past those are not made up front
    // (a dictionary of millions of entries costs no more than one of 2401), but a name that the
    // content uses is still looked up among them when it is drawn.
    explicit KXPDFXObjectCollection(const kx::PDFObject& dictionary);

    void addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<KXPDFXObject>>& objects);
    std::map<std::string, std::shared_ptr<KXPDFXObject>> xObjectsByName() const { return xObjects_; }
    // The kept entry of the name; else, when the dictionary had more entries than were kept, a new
    // object for the dictionary's entry of that name (nullptr when there is none or it makes no XObject).
    std::shared_ptr<KXPDFXObject> xObjectWithNamed(const std::string& name) const;
    const std::map<std::string, std::shared_ptr<KXPDFXObject>>& xObjects() const { return xObjects_; }
    void setXObjects(std::map<std::string, std::shared_ptr<KXPDFXObject>> objects) { xObjects_ = std::move(objects); }

    static constexpr size_t kMaxObjects = 2400;

private:
    std::map<std::string, std::shared_ptr<KXPDFXObject>> xObjects_;
    // The dictionary, when entries of it were left unmade by the bound; null otherwise.
    kx::PDFObject unmade_;
};
