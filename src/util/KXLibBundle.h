#pragma once
// The two look-ups in the program's own resources from which every resource search starts: a
// resource beside the program by name and type, and a value of the program's information list
// ("Info.plist" in the resource folder: display name, version).

#include <optional>
#include <string>

#include "platform/PropertyList.h"

class KXLibBundle {
public:
    // The path of the resource "<name>.<type>" (or "<name>" for an empty type) in the resource
    // folder, when it exists.
    static std::optional<std::string> PathForResource_KXLib(const std::string& name, const std::string& type);
    // The information-list value for the key, when the list and the key exist.
    static std::optional<kx::PlistValue> ObjectForInfoDictionaryKey_KXLib(const std::string& key);
    // The information-list text for the key; the fallback when it is missing, empty or not a text.
    static std::string InfoDictionaryString(const std::string& key, const std::string& fallback);
};
