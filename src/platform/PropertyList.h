#pragma once
// Reading XML property lists (the resource lists that ship beside the program).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
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

}  // namespace kx
