#include "platform/MemoryPreferences.h"

#include <cctype>

namespace quillary {

void MemoryPreferences::registerDefaults(const std::map<std::string, std::string>& defaults) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : defaults) defaults_[key] = value;
}

std::string MemoryPreferences::lookup(const std::string& key) const {
    std::lock_guard lock(mutex_);
    if (auto it = values_.find(key); it != values_.end()) return it->second;
    if (auto it = defaults_.find(key); it != defaults_.end()) return it->second;
    return {};
}

long MemoryPreferences::parseInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value > 100000000000L) break;  // a hand-edited store cannot overflow us
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

bool MemoryPreferences::parseBool(const std::string& text) {
    if (text.empty()) return false;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    if (c == 'y' || c == 't') return true;
    return parseInteger(text) != 0;
}

long MemoryPreferences::integerForKey(const std::string& key) const {
    return parseInteger(lookup(key));
}

bool MemoryPreferences::boolForKey(const std::string& key) const {
    return parseBool(lookup(key));
}

std::string MemoryPreferences::stringForKey(const std::string& key) const {
    return lookup(key);
}

void MemoryPreferences::setBool(const std::string& key, bool value) {
    std::lock_guard lock(mutex_);
    values_[key] = value ? "1" : "0";
}

void MemoryPreferences::setString(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    values_[key] = value;
}

}  // namespace quillary
