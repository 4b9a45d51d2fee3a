#pragma once
// The per-user settings store, as the jobs layer sees it: a few typed reads and writes under string
// keys. The desktop application installs a store kept on disk; the command line and the tests use
// the in-memory one. Everything here runs on the main thread.

#include <cstdint>
#include <string>

class KXSettingsStore {
public:
    virtual ~KXSettingsStore() = default;

    // Whether anything is stored under the key.
    virtual bool hasObjectForKey(const std::string& key) const = 0;
    // Typed reads; a value of another type is converted ("true" reads as YES, 1 as true, "144" as
    // 144), and a key holding nothing reads as false, 0, 0.0 or the empty string.
    virtual bool boolForKey(const std::string& key) const = 0;
    virtual std::int64_t integerForKey(const std::string& key) const = 0;
    virtual float floatForKey(const std::string& key) const = 0;
    virtual std::string stringForKey(const std::string& key) const = 0;

    virtual void setBool(const std::string& key, bool value) = 0;
    virtual void setInteger(const std::string& key, std::int64_t value) = 0;
    virtual void setFloat(const std::string& key, float value) = 0;
    virtual void setString(const std::string& key, const std::string& value) = 0;
    virtual void removeObjectForKey(const std::string& key) = 0;
    // Writes what is pending to the backing store; false when that failed.
    virtual bool synchronize() = 0;

    // The store of the process (an in-memory one until the application installs another).
    static KXSettingsStore& standardUserDefaults();
    // Installs the store of the process; nullptr restores the in-memory one. The caller keeps the
    // store alive while it is installed.
    static void setStandardUserDefaults(KXSettingsStore* store);
};
