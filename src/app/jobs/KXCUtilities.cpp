#include "app/jobs/KXCUtilities.h"

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

std::optional<std::string> KXCUtilities::getNewPathby(const std::string& path, int lastNumber) {
    if (!kx::fileExists(path)) return path;
    const std::string base = kx::pathWithoutExtension(path);
    const std::string extension = kx::pathExtension(path);
    for (int number = 2; number <= lastNumber; ++number) {
        std::string candidate = base + " " + std::to_string(number);
        if (!extension.empty()) candidate += "." + extension;
        if (!kx::fileExists(candidate)) return candidate;
    }
    return std::nullopt;
}
