#include "gui/QtPreferences.h"

#include <QStandardPaths>

#include "platform/MemoryPreferences.h"

namespace quillary::gui {

QtPreferences::QtPreferences(const QString& file) : settings_(file, QSettings::IniFormat) {}

QString QtPreferences::settingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Quillary/Quillary.ini";
}

void QtPreferences::registerDefaults(const std::map<std::string, std::string>& defaults) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : defaults) defaults_[key] = value;
}

std::string QtPreferences::lookup(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const QVariant stored = settings_.value(QString::fromStdString(key));
    if (stored.isValid()) return stored.toString().toStdString();
    const auto fallback = defaults_.find(key);
    return fallback == defaults_.end() ? std::string() : fallback->second;
}

// Stored texts read as the command line's store reads them, so a value means
// the same whichever program wrote it.
long QtPreferences::integerForKey(const std::string& key) const {
    return MemoryPreferences::parseInteger(lookup(key));
}

bool QtPreferences::boolForKey(const std::string& key) const {
    return MemoryPreferences::parseBool(lookup(key));
}

std::string QtPreferences::stringForKey(const std::string& key) const { return lookup(key); }

void QtPreferences::setBool(const std::string& key, bool value) {
    setString(key, value ? "1" : "0");
}

void QtPreferences::setString(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    settings_.setValue(QString::fromStdString(key), QString::fromStdString(value));
}

void QtPreferences::synchronize() {
    std::lock_guard lock(mutex_);
    settings_.sync();
}

}  // namespace quillary::gui
