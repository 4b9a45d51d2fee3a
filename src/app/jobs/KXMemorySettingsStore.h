#pragma once
// A settings store held in memory: the store of the command line and of the tests.

#include <map>
#include <string>
#include <variant>

#include "app/jobs/KXSettingsStore.h"

class KXMemorySettingsStore : public KXSettingsStore {
public:
    using Value = std::variant<bool, std::int64_t, float, std::string>;

    bool hasObjectForKey(const std::string& key) const override;
    bool boolForKey(const std::string& key) const override;
    std::int64_t integerForKey(const std::string& key) const override;
    float floatForKey(const std::string& key) const override;
    std::string stringForKey(const std::string& key) const override;

    void setBool(const std::string& key, bool value) override { values_[key] = value; }
    void setInteger(const std::string& key, std::int64_t value) override { values_[key] = value; }
    void setFloat(const std::string& key, float value) override { values_[key] = value; }
    void setString(const std::string& key, const std::string& value) override { values_[key] = value; }
    void removeObjectForKey(const std::string& key) override { values_.erase(key); }
    bool synchronize() override {
        ++synchronizeCount_;
        return true;
    }

    // What is stored, for the tests.
    const std::map<std::string, Value>& values() const { return values_; }
    int synchronizeCount() const { return synchronizeCount_; }

private:
    std::map<std::string, Value> values_;
    int synchronizeCount_ = 0;
};
