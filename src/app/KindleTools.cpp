#include "app/KindleTools.h"

#include <unistd.h>

#include <utility>

#include "app/PreferenceKeys.h"
#include "base/Text.h"
#include "kindle/KindleVariant.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::app {

namespace {

// Amazon's page for its converter. An e-book viewer stands in for the Kindle
// reading application on Linux; calibre's download page offers the first of
// the viewers looked for.
constexpr const char* kKindlegenPage = "https://www.amazon.com/gp/feature.html?docId=1000765211";
constexpr const char* kViewerPage = "https://calibre-ebook.com/download_linux";

// The viewers tried, in order, when the author named none.
constexpr const char* kKnownViewers[] = {"ebook-viewer", "foliate"};

bool isExecutableFile(const std::string& path) {
    return files::exists(path) && !files::isDirectory(path) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string kindlegenPathIn(const std::string& dataHome) {
    const std::string folder = paths::join(dataHome, "Quillary");
    // An installation says so when the folder is missing.
    if (!dataHome.empty()) (void)files::makeFolders(folder);
    return paths::join(folder, "kindlegen");
}

Outcome installConverter(const std::string& file, const std::string& target) {
    const std::string staging = target + ".installing";
    (void)files::removeAll(staging);  // the copy below fails if it could not go
    Outcome installed = files::copyFile(file, staging);
    if (installed) installed = files::setPermissions(staging, 0755);
    if (installed) installed = files::moveFile(staging, target);
    if (!installed) (void)files::removeAll(staging);
    return installed;
}

KindleTools::KindleTools(KindleToolPorts ports, std::string dataHome, const Localizer& texts)
    : ports_(ports), dataHome_(std::move(dataHome)), texts_(texts) {}

KindleTools::~KindleTools() { lifeline_->cut(); }

std::string KindleTools::kindlegenPath() const { return kindlegenPathIn(dataHome_); }

std::optional<kindle::Converter> KindleTools::findConverter() const {
    return kindle::findConverter(kindlegenPath(), ports_.workspace);
}

Outcome KindleTools::install(const std::string& file) { return installConverter(file, kindlegenPath()); }

Alert KindleTools::twoButtonAlert(const std::string& titleKey, const std::string& messageKey,
                                  const std::string& defaultKey, const char* page) const {
    Alert alert;
    alert.titleKey = titleKey;
    alert.title = texts_.text(titleKey);
    alert.message = text::format(texts_.text(messageKey), {});
    alert.defaultButton = texts_.text(defaultKey);
    alert.alternateButton = texts_.text("Cancel");
    alert.critical = true;
    alert.onEnd = [&workspace = ports_.workspace, page](int returnCode) {
        if (returnCode == kAlertDefaultButton) workspace.openURL(page);
    };
    return alert;
}

Alert KindleTools::noConverterAlert() {
    Alert alert;
    alert.titleKey = "noKindleConverterTitle";
    alert.title = texts_.text("noKindleConverterTitle");
    alert.message = texts_.text("noKindleConverterMsg");
    alert.defaultButton = texts_.text("TryAgain");
    alert.alternateButton = texts_.text("Cancel");
    alert.critical = false;  // nothing failed: a tool is missing, and the EPUB is made all the same
    alert.onEnd = [this, lifeline = lifeline_](int returnCode) {
        if (!lifeline->alive()) return;
        if (returnCode == kAlertDefaultButton) checkConverter();
        else if (declined_) declined_();
    };
    return alert;
}

void KindleTools::checkConverter() {
    if (ports_.preferences.integerForKey(prefs::kBuildKindle) == 0) return;
    const std::optional<kindle::Converter> converter = findConverter();
    if (!converter) {
        ports_.alerts.showAlert(noConverterAlert());
        return;
    }
    // ebook-convert has no banner of the kind kindlegen's versions are
    // told apart by; it is taken as it is.
    if (converter->kind == kindle::ConverterKind::kindlegen) checkKindlegenVersion(converter->path);
}

void KindleTools::checkKindlegenVersion(const std::string& kindlegen) {
    if (versionCheckRunning_) {
        kindlegenToCheckNext_ = kindlegen;
        return;
    }
    versionCheckRunning_ = true;
    // The check may outlive the tools (the window closes meanwhile), so it
    // holds only ports that outlive both and reaches the tools through the
    // lifeline.
    ports_.checks.start([&shell = ports_.shell, &queue = ports_.mainQueue, lifeline = lifeline_, kindlegen, this] {
        const ShellResult banner = shell.run(kindle::kindlegenBannerCommand(kindlegen), {}, kindle::kBannerTimeLimit);
        const bool recent = kindle::isRecentKindlegenBanner(banner.output.value_or(""));
        lifeline->post(queue, [this, recent] { kindlegenVersionChecked(recent); });
    });
}

void KindleTools::kindlegenVersionChecked(bool recent) {
    versionCheckRunning_ = false;
    if (const auto next = std::exchange(kindlegenToCheckNext_, std::nullopt)) {
        checkKindlegenVersion(*next);
        return;
    }
    // The author may have turned the option off while the check ran.
    if (recent || ports_.preferences.integerForKey(prefs::kBuildKindle) == 0) return;
    ports_.alerts.showAlert(twoButtonAlert("oldKindleGenTitle", "oldKindleGenMsg", "GetKindleGen", kKindlegenPage));
}

void KindleTools::checkViewer() {
    if (ports_.preferences.integerForKey(prefs::kReviewKindle) == 0 || viewer()) return;
    ports_.alerts.showAlert(twoButtonAlert("noKindleMacTitle", "noKindleMacMsg", "GetKindleForMac", kViewerPage));
}

std::optional<std::string> KindleTools::viewer() const {
    // A viewer the author chose is not silently swapped for another: when it
    // is missing, the author hears so from checkViewer.
    const std::string chosen = ports_.preferences.stringForKey(prefs::kKindleViewer);
    if (!chosen.empty()) {
        if (chosen.find('/') != std::string::npos)
            return isExecutableFile(chosen) ? std::optional<std::string>(chosen) : std::nullopt;
        return ports_.workspace.findApplication(chosen);
    }
    for (const char* known : kKnownViewers)
        if (auto found = ports_.workspace.findApplication(known)) return found;
    return std::nullopt;
}

void KindleTools::updaterWillInstallUpdate() {
    const std::string converter = kindlegenPath();
    if (!files::exists(converter)) return;
    // A private folder, not a fixed name in the shared temporary folder:
    // whatever another user left under that name would be installed and run.
    const Result<std::string> folder = files::makePrivateTempFolder("quillary-update");
    if (!folder) return;
    const std::string kept = *folder + "/kindlegen";
    if (files::copyFile(converter, kept)) keptConverter_ = kept;
    else (void)files::removeAll(*folder);
}

void KindleTools::updaterWillRelaunchApplication() {
    if (!keptConverter_) return;
    (void)install(*keptConverter_);  // failing, the author installs it again
    (void)files::removeAll(paths::deletingLastComponent(*keptConverter_));
    keptConverter_.reset();
}

}  // namespace quillary::app
