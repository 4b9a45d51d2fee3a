#include "app/jobs/KXCUtilities.h"

#include <algorithm>

#include "app/jobs/KXSettingsStore.h"
#include "platform/FileSystem.h"

bool KXCUtilities::boolValueForKey(const std::string& key, bool defaultValue) {
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    if (!store.hasObjectForKey(key)) {
        store.setBool(key, defaultValue);
        store.synchronize();
        return defaultValue;
    }
    return store.boolForKey(key);
}

std::int64_t KXCUtilities::integerValueForKey(const std::string& key, std::int64_t defaultValue) {
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    if (!store.hasObjectForKey(key)) {
        store.setInteger(key, defaultValue);
        store.synchronize();
        return defaultValue;
    }
    return store.integerForKey(key);
}

float KXCUtilities::floatValueForKey(const std::string& key, float defaultValue) {
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    if (!store.hasObjectForKey(key)) {
        store.setFloat(key, defaultValue);
        store.synchronize();
        return defaultValue;
    }
    return store.floatForKey(key);
}

std::optional<std::string> KXCUtilities::stringValueForKey(const std::string& key,
                                                           const std::optional<std::string>& defaultValue) {
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    if (!store.hasObjectForKey(key)) {
        if (!defaultValue) return std::nullopt;
        store.setString(key, *defaultValue);
        store.synchronize();
        return defaultValue;
    }
    return store.stringForKey(key);
}

namespace {

// The number-th name for a path: the path itself, then "base 2.ext", "base 3.ext", ...
std::string numberedPath(const std::string& path, long number) {
    if (number <= 1) return path;
    const std::string extension = kx::pathExtension(path);
    std::string candidate = kx::pathWithoutExtension(path) + " " + std::to_string(number);
    if (!extension.empty()) candidate += "." + extension;
    return candidate;
}

}  // namespace

std::optional<std::string> KXCUtilities::getNewPathby(const std::string& path, int lastNumber) {
    if (!kx::fileExists(path)) return path;
    for (int number = 2; number <= lastNumber; ++number) {
        std::string candidate = numberedPath(path, number);
        if (!kx::fileExists(candidate)) return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> KXCUtilities::reserveNewPathBy(const std::string& path, bool folder, std::string* whyNot,
                                                          int lastNumber) {
    return kx::reserveFreePath([&](long number) { return numberedPath(path, number); }, std::max(lastNumber, 1),
                               folder, whyNot);
}
