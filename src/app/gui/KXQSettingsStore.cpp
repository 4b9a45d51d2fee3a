#include "app/gui/KXQSettingsStore.h"

#include <QSettings>
#include <QVariant>

namespace {

QString qKey(const std::string& key) { return QString::fromStdString(key); }

}  // namespace

KXQSettingsStore::KXQSettingsStore() : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Docuvane", "Docuvane")) {}

KXQSettingsStore::KXQSettingsStore(const QString& iniPath) : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

KXQSettingsStore::~KXQSettingsStore() { settings_->sync(); }

bool KXQSettingsStore::hasObjectForKey(const std::string& key) const { return settings_->contains(qKey(key)); }

// Values come back from the file as text ("true", "144", "0.92"); QVariant reads them without the
// process locale.
bool KXQSettingsStore::boolForKey(const std::string& key) const {
    QVariant v = settings_->value(qKey(key));
    if (v.typeId() == QMetaType::QString) {
        const QString text = v.toString().trimmed().toLower();
        if (text == "yes") return true;
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        if (isNumber) return number != 0;
    }
    return v.toBool();
}

std::int64_t KXQSettingsStore::integerForKey(const std::string& key) const {
    QVariant v = settings_->value(qKey(key));
    bool ok = false;
    const qlonglong whole = v.toLongLong(&ok);
    if (ok) return whole;
    const double number = v.toDouble(&ok);
    if (ok && number > -9.2e18 && number < 9.2e18) return static_cast<std::int64_t>(number);
    return v.toBool() && v.typeId() == QMetaType::Bool ? 1 : 0;
}

float KXQSettingsStore::floatForKey(const std::string& key) const {
    bool ok = false;
    const float number = settings_->value(qKey(key)).toFloat(&ok);
    return ok ? number : 0.0f;
}

std::string KXQSettingsStore::stringForKey(const std::string& key) const {
    return settings_->value(qKey(key)).toString().toStdString();
}

void KXQSettingsStore::setBool(const std::string& key, bool value) { settings_->setValue(qKey(key), value); }

void KXQSettingsStore::setInteger(const std::string& key, std::int64_t value) {
    settings_->setValue(qKey(key), static_cast<qlonglong>(value));
}

void KXQSettingsStore::setFloat(const std::string& key, float value) { settings_->setValue(qKey(key), value); }

void KXQSettingsStore::setString(const std::string& key, const std::string& value) {
    settings_->setValue(qKey(key), QString::fromStdString(value));
}

void KXQSettingsStore::removeObjectForKey(const std::string& key) { settings_->remove(qKey(key)); }

bool KXQSettingsStore::synchronize() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString KXQSettingsStore::fileName() const { return settings_->fileName(); }
