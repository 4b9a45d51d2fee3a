#include "app/jobs/KXMemorySettingsStore.h"

#include <cctype>

#include "platform/Format.h"
#include "platform/Numeric.h"

namespace {

// Reads text the way the settings store reads a stored text as a number: the leading number after
// blanks, 0 when there is none, never by the process locale.
double leadingNumber(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    size_t end = start;
    if (end < text.size() && (text[end] == '+' || text[end] == '-')) ++end;
    while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.')) ++end;
    for (size_t length = end - start; length > 0; --length)
        if (auto v = kx::parseDouble(std::string_view(text).substr(start, length))) return *v;
    return 0;
}

// "YES", "true" and any number other than 0 are true.
bool textAsBool(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i == text.size()) return false;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    if (c == 'y' || c == 't') return true;
    return leadingNumber(text) != 0;
}

}  // namespace

bool KXMemorySettingsStore::hasObjectForKey(const std::string& key) const { return values_.count(key) != 0; }

bool KXMemorySettingsStore::boolForKey(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return false;
    if (auto* v = std::get_if<bool>(&it->second)) return *v;
    if (auto* v = std::get_if<std::int64_t>(&it->second)) return *v != 0;
    if (auto* v = std::get_if<float>(&it->second)) return *v != 0;
    return textAsBool(std::get<std::string>(it->second));
}

std::int64_t KXMemorySettingsStore::integerForKey(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return 0;
    if (auto* v = std::get_if<bool>(&it->second)) return *v ? 1 : 0;
    if (auto* v = std::get_if<std::int64_t>(&it->second)) return *v;
    if (auto* v = std::get_if<float>(&it->second)) return kx::toInt<std::int64_t>(*v);
    return kx::toInt<std::int64_t>(leadingNumber(std::get<std::string>(it->second)));
}

float KXMemorySettingsStore::floatForKey(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return 0;
    if (auto* v = std::get_if<bool>(&it->second)) return *v ? 1.0f : 0.0f;
    if (auto* v = std::get_if<std::int64_t>(&it->second)) return static_cast<float>(*v);
    if (auto* v = std::get_if<float>(&it->second)) return *v;
    return static_cast<float>(leadingNumber(std::get<std::string>(it->second)));
}

std::string KXMemorySettingsStore::stringForKey(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return {};
    if (auto* v = std::get_if<bool>(&it->second)) return *v ? "1" : "0";
    if (auto* v = std::get_if<std::int64_t>(&it->second)) return std::to_string(*v);
    if (auto* v = std::get_if<float>(&it->second)) return kx::formatShortest(*v);
    return std::get<std::string>(it->second);
}
