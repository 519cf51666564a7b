#pragma once
// File ▸ Open Recent: the manuscripts the author opened or built, newest
// first, kept in the preferences from one run to the next. Main thread.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Preferences.h"

namespace quillary::app {

// Enough to find this season's manuscripts again; a longer menu is a list
// to read, not a shortcut.
inline constexpr std::size_t kRecentManuscriptsShown = 10;

// The manuscripts, newest first, at most kRecentManuscriptsShown.
std::vector<std::string> recentManuscripts(const Preferences& preferences);
// Puts `path` (absolute) first, once. A path with a line break is not kept:
// the store holds the list one path a line.
void addRecentManuscript(Preferences& preferences, const std::string& path);
void clearRecentManuscripts(Preferences& preferences);

}  // namespace quillary::app
