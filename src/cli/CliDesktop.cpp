#include "cli/CliDesktop.h"

#include "base/ShellQuote.h"
#include "platform/Executables.h"
#include "platform/Paths.h"

namespace quillary::cli {

bool CliWorkspace::launch(const std::string& program, const std::string& argument) {
    if (!openResults_) return false;
    const auto found = findExecutableOnPath(program);
    if (!found) return false;
    // In the background, so that a viewer that stays open does not hold the
    // command line up.
    shell_.run("\"" + shellQuoteDouble(*found) + "\" \"" + shellQuoteDouble(argument) +
               "\" >/dev/null 2>&1 &");
    return true;
}

bool CliWorkspace::openFile(const std::string& path) { return launch("xdg-open", path); }

bool CliWorkspace::openFileWithApplication(const std::string& path, const std::string& application) {
    return launch(application, path);
}

bool CliWorkspace::openURL(const std::string& url) { return launch("xdg-open", url); }

// xdg-open cannot select a file: the folder alone is shown.
bool CliWorkspace::showInFolder(const std::string& path) {
    return launch("xdg-open", paths::deletingLastComponent(path));
}

std::optional<std::string> CliWorkspace::findApplication(const std::string& name) const {
    return findExecutableOnPath(name);
}

}  // namespace quillary::cli
