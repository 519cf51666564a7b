#pragma once
// The tools a Kindle file needs on this machine: the converter (kindlegen,
// which the author installs into the data folder, else calibre's
// ebook-convert), its checks, and the e-book viewer that stands for the
// Kindle reading application. Main thread unless a call says otherwise.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/Result.h"
#include "kindle/KindleConverter.h"
#include "platform/Alerts.h"
#include "platform/BackgroundRunner.h"
#include "platform/Lifeline.h"
#include "platform/Localizer.h"
#include "platform/MainQueue.h"
#include "platform/Preferences.h"
#include "platform/Shell.h"
#include "platform/SoftwareUpdater.h"
#include "platform/Workspace.h"

namespace quillary::app {

// Where the author's kindlegen is installed: "kindlegen" in the data folder
// under `dataHome`.
std::string kindlegenPathIn(const std::string& dataHome);

// Copies `file` to `target` with mode 0755, under a temporary name first, so
// that a failed copy never leaves half a converter where a build runs it.
Outcome installConverter(const std::string& file, const std::string& target);

// What the tools talk through; all outlive them.
struct KindleToolPorts {
    Shell& shell;
    Workspace& workspace;
    Preferences& preferences;
    AlertPresenter& alerts;
    // Runs the version check off the main thread; never the build's runner.
    BackgroundRunner& checks;
    MainQueue& mainQueue;
};

class KindleTools : public SoftwareUpdaterDelegate {
public:
    KindleTools(KindleToolPorts ports, std::string dataHome, const Localizer& texts);
    KindleTools(const KindleTools&) = delete;
    KindleTools& operator=(const KindleTools&) = delete;
    ~KindleTools() override;

    std::string kindlegenPath() const;
    // The converter a build would run now; nullopt when none is installed.
    // Any thread.
    std::optional<kindle::Converter> findConverter() const;
    Outcome install(const std::string& file);

    // With the Kindle option on, alerts when no converter is installed, or
    // when kindlegen is older than 2.9; its version is asked off the main
    // thread, and the verdict alerts only if the option is still on. The
    // alert without a converter names calibre first, with what to install,
    // and kindlegen second; its default button checks again, its Cancel
    // calls the `declined` callback (the window unticks the option).
    void checkConverter();
    void setDeclined(std::function<void()> declined) { declined_ = std::move(declined); }
    // With Kindle files opened for review, alerts when no viewer is found.
    void checkViewer();
    // The viewer that opens Kindle files: the "kindleViewer" preference, else
    // the first of ebook-viewer and foliate found.
    std::optional<std::string> viewer() const;

    // The converter sits in the data folder, which an update may replace:
    // it waits aside until the new version starts.
    void updaterWillInstallUpdate() override;
    void updaterWillRelaunchApplication() override;

private:
    Alert noConverterAlert();
    void checkKindlegenVersion(const std::string& kindlegen);
    void kindlegenVersionChecked(bool recent);
    Alert twoButtonAlert(const std::string& titleKey, const std::string& messageKey, const std::string& defaultKey,
                         const char* page) const;

    KindleToolPorts ports_;
    std::string dataHome_;
    const Localizer& texts_;
    // The version check: one at a time, so a checks runner never waits on
    // the main thread; a request meanwhile runs after it.
    bool versionCheckRunning_ = false;
    std::optional<std::string> kindlegenToCheckNext_;
    std::optional<std::string> keptConverter_;  // set aside while an update installs
    std::function<void()> declined_;
    // Cut by the destructor: a check that ends after the tools have gone
    // drops its verdict.
    std::shared_ptr<Lifeline> lifeline_ = std::make_shared<Lifeline>();
};

}  // namespace quillary::app
