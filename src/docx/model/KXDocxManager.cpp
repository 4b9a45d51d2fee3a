#include "docx/model/KXDocxManager.h"

#include "docx/model/KXDocxUtilities.h"
#include "platform/Format.h"
#include "platform/PropertyList.h"
#include "platform/Unicode.h"

namespace {

std::unique_ptr<KXDocxManager>& instance() {
    static std::unique_ptr<KXDocxManager> manager;
    return manager;
}

float factorOf(const kx::PlistValue& entry, const char* key) {
    const kx::PlistValue* value = entry.find(key);
    if (!value) return 0;
    if (value->type == kx::PlistValue::Type::String) return static_cast<float>(kx::parseDouble(value->string).value_or(0));
    if (value->type == kx::PlistValue::Type::Real || value->type == kx::PlistValue::Type::Integer)
        return static_cast<float>(value->number());
    return 0;
}

// Factors outside 0.5 to 2.0 are not believed.
double plausible(float v) { return v > 2.0f || v < 0.5f ? 0.0 : static_cast<double>(v); }

void removeAll(std::string& s, std::string_view what) {
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at)) s.erase(at, what.size());
}

}  // namespace

KXDocxManager::KXDocxManager() { readWordInfoDictionary(); }

KXDocxManager& KXDocxManager::sharedInstance() {
    std::unique_ptr<KXDocxManager>& manager = instance();
    if (!manager) manager = std::make_unique<KXDocxManager>();
    return *manager;
}

void KXDocxManager::destory() { instance().reset(); }

std::optional<std::string> KXDocxManager::PathForWordLineHeightResources() {
    return KXDocxUtilities::PathInLibBundleForResource("word-line-height.plist");
}

void KXDocxManager::readWordInfoDictionary() {
    if (wordInfoDictionary_) return;
    std::optional<std::string> path = PathForWordLineHeightResources();
    if (!path) return;
    std::optional<kx::PlistValue> list = kx::readPropertyList(*path);
    if (!list || list->type != kx::PlistValue::Type::Dictionary) return;
    WordInfoDictionary table;
    table.reserve(list->dictionary.size());
    for (const auto& [name, entry] : list->dictionary) {
        if (entry.type != kx::PlistValue::Type::Dictionary) continue;
        table[name] = {factorOf(entry, "font-height-factor"), factorOf(entry, "font-ascent-factor")};
    }
    wordInfoDictionary_ = std::move(table);
}

const KXDocxManager::WordLineFactors* KXDocxManager::findFactors(const std::string& fontName) const {
    if (!wordInfoDictionary_) return nullptr;
    const std::string n = kx::asciiLower(fontName);
    std::string withoutRegular = n;
    removeAll(withoutRegular, " regular");
    for (const std::string& key : {n, n + " ", n + " regular", n + " regular ", withoutRegular}) {
        auto it = wordInfoDictionary_->find(key);
        if (it != wordInfoDictionary_->end()) return &it->second;
    }
    return nullptr;
}

double KXDocxManager::WordLineHeight(const std::string& fontName) {
    const WordLineFactors* f = sharedInstance().findFactors(fontName);
    return f ? plausible(f->heightFactor) : 0.0;
}

double KXDocxManager::WordLineAscentFactor(const std::string& fontName) {
    const WordLineFactors* f = sharedInstance().findFactors(fontName);
    return f ? plausible(f->ascentFactor) : 0.0;
}
