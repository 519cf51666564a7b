#include "app/Environment.h"

#include <cstdlib>

#include "platform/Executables.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

Locations locationsFromEnvironment() {
    const std::string executable = runningExecutablePath();
    Locations where;
    where.resources.folder = environment("QUILLARY_RESOURCES");
    if (where.resources.folder.empty()) where.resources.folder = Resources::locate(executable);
    where.dataHome = environment("XDG_DATA_HOME");
    if (where.dataHome.empty() && !environment("HOME").empty())
        where.dataHome = environment("HOME") + "/.local/share";
    where.textutilPath = environment("QUILLARY_TEXTUTIL");
    where.readRtfInProcess = where.textutilPath.empty();
    if (where.readRtfInProcess)
        where.textutilPath = paths::join(paths::deletingLastComponent(executable), "quillary-textutil");
    const char* epubcheck = std::getenv("QUILLARY_EPUBCHECK");
    where.epubcheckCommand = epubCheckCommand(epubcheck ? std::optional<std::string>(epubcheck) : std::nullopt);
    return where;
}

}  // namespace quillary
