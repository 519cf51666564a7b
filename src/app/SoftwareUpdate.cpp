#include "controller/VoveZedevir.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

void VoveZedevir::applicationDidFinishLaunching() {
    ports.softwareUpdater.setDelegate(this);
    noKindleGen();
}

// The author installed the converter beside the application's own files,
// which an update may replace: it waits aside until the new version starts.
void VoveZedevir::updaterWillInstallUpdate() {
    const std::string converter = kindlegenPath();
    if (!files::exists(converter)) return;
    // A private folder, not a fixed name in the shared temporary folder:
    // whatever another user left under that name would be installed and run.
    const std::optional<std::string> folder = files::makePrivateTempFolder("quillary-update");
    if (!folder) return;
    const std::string kept = *folder + "/kindlegen";
    if (files::copyFile(converter, kept)) keptConverter = kept;
    else files::removeAll(*folder);
}

void VoveZedevir::updaterWillRelaunchApplication() {
    if (!keptConverter) return;
    installKindlegen(*keptConverter);
    files::removeAll(paths::deletingLastComponent(*keptConverter));
    keptConverter.reset();
}

}  // namespace quillary
