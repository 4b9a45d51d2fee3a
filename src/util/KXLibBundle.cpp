#include "util/KXLibBundle.h"

#include "platform/Resources.h"

std::optional<std::string> KXLibBundle::PathForResource_KXLib(const std::string& name, const std::string& type) {
    return kx::resourcePath(name, type);
}

std::optional<kx::PlistValue> KXLibBundle::ObjectForInfoDictionaryKey_KXLib(const std::string& key) {
    std::optional<std::string> path = kx::resourcePath("Info", "plist");
    if (!path) return std::nullopt;
    std::optional<kx::PlistValue> info = kx::readPropertyList(*path);
    if (!info) return std::nullopt;
    const kx::PlistValue* value = info->find(key);
    if (!value) return std::nullopt;
    return *value;
}

std::string KXLibBundle::InfoDictionaryString(const std::string& key, const std::string& fallback) {
    std::optional<kx::PlistValue> value = ObjectForInfoDictionaryKey_KXLib(key);
    if (!value || value->type != kx::PlistValue::Type::String || value->string.empty()) return fallback;
    return value->string;
}
