#pragma once
// The keys of the author's preferences, as the store keeps them from one
// run to the next (their texts are the store's, and stay), and the defaults
// that stand while the store has no value of its own.

#include <map>
#include <string>

namespace quillary::app::prefs {

inline constexpr const char* kBuildKindle = "buildKindle";
inline constexpr const char* kEpub3 = "epub3";
inline constexpr const char* kParentDirectory = "parentDirectory";
inline constexpr const char* kReviewPub = "reviewPub";
inline constexpr const char* kReviewKindle = "reviewKindle";
inline constexpr const char* kShowInFolder = "showInFinder";
inline constexpr const char* kShowLaunch = "showLaunch";
inline constexpr const char* kDefaultLang = "defaultLang";
inline constexpr const char* kKindleViewer = "kindleViewer";
inline constexpr const char* kCheckAfterBuild = "checkAfterBuild";
inline constexpr const char* kRecentManuscripts = "recentManuscripts";  // one path a line, newest first

std::map<std::string, std::string> registeredDefaults();

}  // namespace quillary::app::prefs
