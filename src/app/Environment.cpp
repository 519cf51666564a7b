#include <cerrno>
#include <cstdlib>

#include "app/Locations.h"
#include "epub/BookCheck.h"
#include "platform/Executables.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::app {

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
    if (where.dataHome.empty() && !environment("HOME").empty()) where.dataHome = environment("HOME") + "/.local/share";
    where.textutilPath = environment("QUILLARY_TEXTUTIL");
    where.readRtfInProcess = where.textutilPath.empty();
    if (where.readRtfInProcess)
        where.textutilPath = paths::join(paths::deletingLastComponent(executable), "quillary-textutil");
    const char* epubcheck = std::getenv("QUILLARY_EPUBCHECK");
    where.epubcheckCommand = epub::epubCheckCommand(epubcheck ? std::optional<std::string>(epubcheck) : std::nullopt);
    return where;
}

std::time_t entryTimeFromEnvironment() {
    const std::string value = environment("SOURCE_DATE_EPOCH");
    if (!value.empty()) {
        char* end = nullptr;
        errno = 0;
        const long long seconds = std::strtoll(value.c_str(), &end, 10);
        if (errno == 0 && *end == '\0' && seconds >= 0) return static_cast<std::time_t>(seconds);
    }
    return std::time(nullptr);
}

Result<std::string> applicationDirectory(const Locations& locations) {
    if (locations.dataHome.empty()) return failure("there is no home folder to keep data in");
    const std::string folder = locations.dataHome + "/Quillary";
    if (const Outcome made = files::makeFolders(folder); !made) return failure(made.reason());
    return folder;
}

}  // namespace quillary::app
