#include "app/PreferenceKeys.h"

namespace quillary::app::prefs {

std::map<std::string, std::string> registeredDefaults() {
    return {
        {kBuildKindle, "0"}, {kEpub3, "1"},        {kParentDirectory, "~/Documents"},
        {kReviewPub, "1"},   {kReviewKindle, "1"}, {kShowInFolder, "1"},
        {kShowLaunch, "1"},  {kDefaultLang, "0"},  {kCheckAfterBuild, "0"},
    };
}

}  // namespace quillary::app::prefs
