#pragma once
// The user's preference store.

#include <map>
#include <string>

namespace quillary {

class Preferences {
public:
    virtual ~Preferences() = default;

    // Values that apply while the store has none of its own, as strings
    // ("0", "1", "~/Documents"); read back as integer or boolean.
    virtual void registerDefaults(const std::map<std::string, std::string>& defaults) = 0;

    // Absent keys read as 0 / false / "". A string that does not start with a
    // number reads as 0; "YES"/"true" read as true.
    virtual long integerForKey(const std::string& key) const = 0;
    virtual bool boolForKey(const std::string& key) const = 0;
    virtual std::string stringForKey(const std::string& key) const = 0;

    virtual void setBool(const std::string& key, bool value) = 0;
    virtual void setString(const std::string& key, const std::string& value) = 0;

    // Writes the store to lasting storage now (a no-op where nothing lasts).
    virtual void synchronize() = 0;
};

}  // namespace quillary
