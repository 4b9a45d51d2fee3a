#pragma once
// Reading and writing XML property lists (the resource lists that ship beside the program).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

struct PlistValue {
    enum class Type { Null, Boolean, Integer, Real, String, Data, Date, Array, Dictionary };
    Type type = Type::Null;
    bool boolean = false;
    std::int64_t integer = 0;
    double real = 0;
    std::string string;  // String (UTF-8), Date (ISO 8601 text) or Data (decoded bytes)
    std::vector<PlistValue> array;
    std::map<std::string, PlistValue> dictionary;

    bool isNull() const { return type == Type::Null; }
    // Dictionary lookup; nullptr when absent or not a dictionary.
    const PlistValue* find(const std::string& key) const;
    // Integer or real as a double.
    double number(double fallback = 0) const;
};

std::optional<PlistValue> readPropertyList(const std::string& path);
std::optional<PlistValue> parsePropertyList(const std::string& xml);

// Reading a list without building its values: the visitor hears of every value in document order,
// for readers that keep only what they need of a large list.
class PlistVisitor {
public:
    virtual ~PlistVisitor() = default;
    virtual void beginDictionary() {}
    virtual void key(std::string_view key) { (void)key; }
    virtual void endDictionary() {}
    virtual void beginArray() {}
    virtual void endArray() {}
    virtual void string(std::string_view text) { (void)text; }
    // Integers and reals.
    virtual void number(double value) { (void)value; }
    // Booleans, data and dates.
    virtual void otherValue() {}
};
// False when the file cannot be read or holds no property list.
bool visitPropertyList(const std::string& path, PlistVisitor& visitor);

// The value as an XML property list document without indentation (it is read by programs; dictionary
// keys in their sorted order; reals written so that they read back as the same double).
std::string serializePropertyList(const PlistValue& value);
// Writes the document to a file beside the destination first and then renames it over the
// destination, so that a reader sees the old list or the new one, never a part. False on failure
// (nothing is left at a new destination then).
bool writePropertyList(const std::string& path, const PlistValue& value);

}  // namespace kx
