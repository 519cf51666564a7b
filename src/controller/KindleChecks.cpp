#include <unistd.h>

#include <utility>

#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "kindle/KindleConverter.h"
#include "kindle/KindleVariant.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

// Amazon's page for its converter. An e-book viewer stands in for the Kindle
// reading application on Linux; calibre's download page offers the first of
// the viewers looked for.
constexpr const char* kKindlegenPage = "https://www.amazon.com/gp/feature.html?docId=1000765211";
constexpr const char* kViewerPage = "https://calibre-ebook.com/download_linux";

// The viewers tried, in order, when the author named none.
constexpr const char* kKnownViewers[] = {"ebook-viewer", "foliate"};

Alert twoButtonAlert(const VoveZedevir& controller, const std::string& titleKey,
                     const std::string& messageKey, const std::string& defaultKey) {
    Alert alert;
    alert.titleKey = titleKey;
    alert.title = controller.localized(titleKey);
    alert.message = text::format(controller.localized(messageKey), {});
    alert.defaultButton = controller.localized(defaultKey);
    alert.alternateButton = controller.localized("Cancel");
    alert.critical = true;
    return alert;
}

bool isExecutableFile(const std::string& path) {
    return files::exists(path) && !files::isDirectory(path) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string VoveZedevir::kindlegenPath() const {
    const std::string dataFolder =
        applicationDirectory().value_or(paths::join(locations.dataHome, "Quillary"));
    return paths::join(dataFolder, "kindlegen");
}

void VoveZedevir::noKindleGen() {
    Window& window = ports.window;
    if (window.kindleChecked()) {
        window.setEpub3Checked(false);
        ports.preferences.setBool(prefs::kEpub3, false);
    }
    if (!window.kindleChecked() || ports.preferences.integerForKey(prefs::kBuildKindle) == 0)
        return;

    const std::optional<kindle::Converter> converter = kindle::findConverter(kindlegenPath(), ports.workspace);
    if (!converter) {
        Alert alert = twoButtonAlert(*this, "noKindleGenTitle", "noKindleGenMsg", "GetKindleGen");
        alert.onEnd = [this](int code) { kindleGenAlertEnded(code); };
        showAlert(std::move(alert));
        return;
    }
    // ebook-convert has no banner of the kind kindlegen's versions are
    // told apart by; it is taken as it is.
    if (converter->kind != kindle::ConverterKind::kindlegen) return;

    checkKindlegenVersion(converter->path);
}

void VoveZedevir::checkKindlegenVersion(const std::string& kindlegen) {
    if (kindlegenCheckRunning) {
        kindlegenToCheckNext = kindlegen;
        return;
    }
    kindlegenCheckRunning = true;
    // The check may outlive the controller (the window closes meanwhile), so
    // it holds only ports that outlive both and reaches the controller
    // through the lifeline.
    ports.checks.start([&shell = ports.shell, &queue = ports.mainQueue, lifeline = lifeline, kindlegen,
                        this] {
        const ShellResult banner =
            shell.run(kindle::kindlegenBannerCommand(kindlegen), {}, kindle::kBannerTimeLimit);
        const bool recent = kindle::isRecentKindlegenBanner(banner.output.value_or(""));
        lifeline->post(queue, [this, recent] { kindlegenVersionChecked(recent); });
    });
}

void VoveZedevir::kindlegenVersionChecked(bool recent) {
    kindlegenCheckRunning = false;
    if (const auto next = std::exchange(kindlegenToCheckNext, std::nullopt)) {
        checkKindlegenVersion(*next);
        return;
    }
    // The author may have turned the option off while the check ran.
    if (recent || !ports.window.kindleChecked() || ports.preferences.integerForKey(prefs::kBuildKindle) == 0)
        return;
    Alert alert = twoButtonAlert(*this, "oldKindleGenTitle", "oldKindleGenMsg", "GetKindleGen");
    alert.onEnd = [this](int code) { kindleGenAlertEnded(code); };
    showAlert(std::move(alert));
}

void VoveZedevir::kindleGenAlertEnded(int returnCode) {
    if (returnCode == kAlertDefaultButton) ports.workspace.openURL(kKindlegenPage);
}

void VoveZedevir::noKindleMac() {
    if (ports.preferences.integerForKey(prefs::kReviewKindle) == 0) return;
    if (kindleViewer()) return;
    Alert alert = twoButtonAlert(*this, "noKindleMacTitle", "noKindleMacMsg", "GetKindleForMac");
    alert.onEnd = [this](int code) { noKindleMacDidEnd(code); };
    showAlert(std::move(alert));
}

void VoveZedevir::noKindleMacDidEnd(int returnCode) {
    if (returnCode == kAlertDefaultButton) ports.workspace.openURL(kViewerPage);
}

std::optional<std::string> VoveZedevir::kindleViewer() const {
    // A viewer the author chose is not silently swapped for another: when it
    // is missing, the author hears so from noKindleMac.
    const std::string chosen = ports.preferences.stringForKey(prefs::kKindleViewer);
    if (!chosen.empty()) {
        if (chosen.find('/') != std::string::npos)
            return isExecutableFile(chosen) ? std::optional<std::string>(chosen) : std::nullopt;
        return ports.workspace.findApplication(chosen);
    }
    for (const char* viewer : kKnownViewers)
        if (auto found = ports.workspace.findApplication(viewer)) return found;
    return std::nullopt;
}

}  // namespace quillary
