#pragma once
// The settings store of the desktop application: the user's settings file through QSettings.

#include <QString>
#include <memory>

#include "app/jobs/KXSettingsStore.h"

class QSettings;

class KXQSettingsStore : public KXSettingsStore {
public:
    // The application's settings file in the user's configuration folder.
    KXQSettingsStore();
    // A settings file at the path (the tests use a temporary one).
    explicit KXQSettingsStore(const QString& iniPath);
    ~KXQSettingsStore() override;

    bool hasObjectForKey(const std::string& key) const override;
    bool boolForKey(const std::string& key) const override;
    std::int64_t integerForKey(const std::string& key) const override;
    float floatForKey(const std::string& key) const override;
    std::string stringForKey(const std::string& key) const override;

    void setBool(const std::string& key, bool value) override;
    void setInteger(const std::string& key, std::int64_t value) override;
    void setFloat(const std::string& key, float value) override;
    void setString(const std::string& key, const std::string& value) override;
    void removeObjectForKey(const std::string& key) override;
    bool synchronize() override;

    QString fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};
