#pragma once
// A preference store that lives as long as the object: the command line's
// store (set from flags) and the tests'.

#include <map>
#include <mutex>
#include <string>

#include "platform/Preferences.h"

namespace quillary {

class MemoryPreferences : public Preferences {
public:
    void registerDefaults(const std::map<std::string, std::string>& defaults) override;
    long integerForKey(const std::string& key) const override;
    bool boolForKey(const std::string& key) const override;
    std::string stringForKey(const std::string& key) const override;
    void setBool(const std::string& key, bool value) override;
    void setString(const std::string& key, const std::string& value) override;
    void synchronize() override {}

    // Reading a stored text as the platform does: leading blanks skipped,
    // digits up to the first other character; no number gives 0.
    static long parseInteger(const std::string& text);
    static bool parseBool(const std::string& text);

private:
    std::string lookup(const std::string& key) const;
    mutable std::mutex mutex_;  // the background steps read preferences too
    std::map<std::string, std::string> defaults_;
    std::map<std::string, std::string> values_;
};

}  // namespace quillary
