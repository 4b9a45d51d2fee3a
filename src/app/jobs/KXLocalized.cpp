#include "app/jobs/KXLocalized.h"

namespace {

std::function<std::string(const std::string&)>& installedLookup() {
    static std::function<std::string(const std::string&)> lookup;
    return lookup;
}

}  // namespace

std::string kx_sharedLocalized(const std::string& text) {
    const auto& lookup = installedLookup();
    if (!lookup) return text;
    std::string translated = lookup(text);
    return translated.empty() ? text : translated;
}

void kx_setSharedLocalizer(std::function<std::string(const std::string&)> lookup) { installedLookup() = std::move(lookup); }
