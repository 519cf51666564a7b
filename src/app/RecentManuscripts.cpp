#include "app/RecentManuscripts.h"

#include <algorithm>

#include "app/PreferenceKeys.h"

namespace quillary::app {

std::vector<std::string> recentManuscripts(const Preferences& preferences) {
    std::vector<std::string> list;
    const std::string stored = preferences.stringForKey(prefs::kRecentManuscripts);
    std::size_t start = 0;
    while (start < stored.size() && list.size() < kRecentManuscriptsShown) {
        std::size_t end = stored.find('\n', start);
        if (end == std::string::npos) end = stored.size();
        // A store edited by hand may hold blank lines and repeats.
        std::string path = stored.substr(start, end - start);
        if (!path.empty() && std::find(list.begin(), list.end(), path) == list.end()) list.push_back(std::move(path));
        start = end + 1;
    }
    return list;
}

void addRecentManuscript(Preferences& preferences, const std::string& path) {
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos) return;
    std::vector<std::string> list = recentManuscripts(preferences);
    std::erase(list, path);
    list.insert(list.begin(), path);
    if (list.size() > kRecentManuscriptsShown) list.resize(kRecentManuscriptsShown);
    std::string stored;
    for (const std::string& entry : list) stored += (stored.empty() ? "" : "\n") + entry;
    preferences.setString(prefs::kRecentManuscripts, stored);
}

void clearRecentManuscripts(Preferences& preferences) { preferences.setString(prefs::kRecentManuscripts, ""); }

}  // namespace quillary::app
