#pragma once
// The extended graphics states of a content stream's resources (its ExtGState dictionary).

#include <map>
#include <memory>
#include <string>

#include "pdf/state/KXPDFExtGState.h"

class KXPDFExtGStateCollection {
public:
    KXPDFExtGStateCollection() = default;
    // Every entry whose value is a dictionary, under its resource name.
    explicit KXPDFExtGStateCollection(const kx::PDFObject& dictionary);

    std::shared_ptr<const KXPDFExtGState> objectNamed(const std::string& name) const;
    std::map<std::string, std::shared_ptr<const KXPDFExtGState>> collectObjectsByName() const { return collectObjects_; }
    void addObjectsFromDictionary(const std::map<std::string, std::shared_ptr<const KXPDFExtGState>>& objects);
    std::map<std::string, std::shared_ptr<const KXPDFExtGState>>& collectObjects() { return collectObjects_; }
    void setCollectObjects(std::map<std::string, std::shared_ptr<const KXPDFExtGState>> objects) {
        collectObjects_ = std::move(objects);
    }

private:
    std::map<std::string, std::shared_ptr<const KXPDFExtGState>> collectObjects_;
};
