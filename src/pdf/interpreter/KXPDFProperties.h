#pragma once
// A marked-content property list of the resources (Properties dictionary) that the interpreter
// keeps: those with PropertiesType 1.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/pdf/PDFObject.h"

class KXPDFProperties {
public:
    KXPDFProperties() = default;
    KXPDFProperties(const kx::PDFObject& dictionary, std::string objectKey) : objectKey_(std::move(objectKey)) {
        (void)dictionary;
    }

    const std::string& objectKey() const { return objectKey_; }
    void setObjectKey(std::string key) { objectKey_ = std::move(key); }
    std::int64_t type() const { return type_; }
    void setType(std::int64_t type) { type_ = type; }

    // A dictionary whose integer PropertiesType is 1 gives a property list of type 1; anything else
    // gives nullptr.
    static std::shared_ptr<KXPDFProperties> PropertiesWithObject(const kx::PDFObject& object, std::string objectKey);

private:
    std::string objectKey_;
    std::int64_t type_ = 0;
};
