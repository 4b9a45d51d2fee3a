#pragma once
// An extended graphics state resource, parsed into a map of values under fixed keys ("LW", "CA",
// "BM", "SMask-S", ...). The gs operator applies the map to the render state and runs the soft-mask
// group stored under "SMask-XObject-" followed by the resource name.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/pdf/PDFObject.h"

// The Font entry of a graphics state: the size when it is a number, the font when it is a name.
struct KXPDFExtGStateFont {
    std::optional<double> size;
    std::optional<std::string> name;
    bool operator==(const KXPDFExtGStateFont&) const = default;
};

// One value of the map. Numbers keep the kind they were read as; arrays of numbers (the dash array,
// the soft-mask backdrop) are vectors; a soft-mask group is its stream object.
struct KXPDFExtGStateValue {
    std::variant<bool, std::int64_t, double, std::string, std::vector<double>, kx::PDFObject, KXPDFExtGStateFont> value;

    // A number as a double (booleans as 0 or 1); nullopt for other kinds.
    std::optional<double> number() const;
    std::optional<bool> boolean() const;
    const std::string* string() const { return std::get_if<std::string>(&value); }
    const std::vector<double>* numbers() const { return std::get_if<std::vector<double>>(&value); }
    const kx::PDFObject* object() const { return std::get_if<kx::PDFObject>(&value); }
    const KXPDFExtGStateFont* font() const { return std::get_if<KXPDFExtGStateFont>(&value); }
};

class KXPDFExtGState {
public:
    KXPDFExtGState() = default;
    // Reads every entry that is present and readable; the others are not stored.
    KXPDFExtGState(const kx::PDFObject& dictionary, std::string objectKey);

    const std::string& objectKey() const { return objectKey_; }
    void setObjectKey(std::string key) { objectKey_ = std::move(key); }
    const std::map<std::string, KXPDFExtGStateValue>& gStateValue() const { return gStateValue_; }
    void setGStateValue(std::map<std::string, KXPDFExtGStateValue> values) { gStateValue_ = std::move(values); }

    // Blend-mode value of a name (Normal 0 ... Luminosity 15) or of an array (its first known name;
    // 0 when it holds none); nullopt for an unknown name, an array with an element that is not a
    // name, or any other object.
    static std::optional<int> parseBlendMode(const kx::PDFObject& object);

private:
    std::string objectKey_;
    std::map<std::string, KXPDFExtGStateValue> gStateValue_;
};
