#include "flowtext/FlowProduct_p.h"

#include "util/KXLibBundle.h"

namespace kx::detail {

namespace {
std::string infoString(const std::string& key, const std::string& fallback) {
    std::optional<kx::PlistValue> value = KXLibBundle::ObjectForInfoDictionaryKey_KXLib(key);
    if (!value || value->type != kx::PlistValue::Type::String || value->string.empty()) return fallback;
    return value->string;
}
}  // namespace

std::string productDisplayName() { return infoString("CFBundleDisplayName", "Docuvane"); }

std::string productVersion() { return infoString("CFBundleVersion", ""); }

}  // namespace kx::detail
