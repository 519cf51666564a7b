#pragma once
// The preference store of the desktop application: an INI file under
// $XDG_CONFIG_HOME/Quillary/, with the registered defaults kept in memory.

#include <QSettings>
#include <map>
#include <mutex>

#include "platform/Preferences.h"

namespace quillary::gui {

class QtPreferences : public Preferences {
public:
    // `file` is the INI file's path; settingsFile() is the user's.
    explicit QtPreferences(const QString& file);

    // $XDG_CONFIG_HOME/Quillary/Quillary.ini (~/.config when unset).
    static QString settingsFile();

    void registerDefaults(const std::map<std::string, std::string>& defaults) override;
    long integerForKey(const std::string& key) const override;
    bool boolForKey(const std::string& key) const override;
    std::string stringForKey(const std::string& key) const override;
    void setBool(const std::string& key, bool value) override;
    void setString(const std::string& key, const std::string& value) override;
    void synchronize() override;

private:
    std::string lookup(const std::string& key) const;
    // The build reads the store from its background thread; one QSettings
    // object is not safe to share between threads unguarded.
    mutable std::mutex mutex_;
    QSettings settings_;
    std::map<std::string, std::string> defaults_;
};

}  // namespace quillary::gui
