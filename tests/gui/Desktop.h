#pragma once
// The desktop application under test: real windows on the offscreen
// platform, real preference file and shell in a fresh test folder, dialogs
// answered by the test, the workspace and the notifier recorded.

#include <QEventLoop>
#include <QTranslator>
#include <memory>
#include <optional>

#include "fakes/FakeDesktop.h"
#include "fakes/FakeMainQueue.h"
#include "gui/DesktopApplication.h"
#include "gui/QtPreferences.h"
#include "platform/Paths.h"
#include "platform/PosixShell.h"
#include "platform/ThreadRunner.h"
#include "support/Harness.h"

namespace quillary::testing {

// Answers every dialog at once: alerts with their alternate button (unless
// `holdAlerts`: then the test answers them), the save panel with `saveAs`
// (cancelled when empty), the open panel by cancelling it.
class ScriptedDialogs : public gui::Dialogs {
public:
    void alert(QWidget*, const Alert& alert) override {
        alerts.push_back(alert);
        if (!holdAlerts && alert.onEnd) alert.onEnd(kAlertAlternateButton);
    }
    void answerLastAlert(int returnCode) { alerts.back().onEnd(returnCode); }
    void savePanel(QWidget*, const SavePanelRequest&, SavePanelEnded ended) override {
        if (saveAs.empty()) ended({}, {}, 0);
        else ended(paths::lastComponent(saveAs), paths::deletingLastComponent(saveAs), 1);
    }
    void openPanel(QWidget*, const OpenPanelRequest& request, OpenPanelEnded ended) override {
        openPanels.push_back(request);
        ended(0, {});
    }
    void message(QWidget*, const QString&, const QString&) override {}

    bool holdAlerts = false;
    std::string saveAs;
    std::vector<Alert> alerts;
    std::vector<OpenPanelRequest> openPanels;
};

struct Desktop {
    // `threaded`: the build's steps run on a thread, as in the application;
    // otherwise each runs at once, so a test can act between two steps.
    // `language`: the catalogue the windows speak.
    explicit Desktop(bool threaded = false, std::string language = "en")
        : threaded_(threaded), language_(std::move(language)) {
        // Qt's own texts as the application loads them.
        if (language_ != "en") gui::loadQtTranslations(qtTexts_, {language_});
        start();
    }

    void start() {
        preferences = std::make_unique<gui::QtPreferences>(gui::QtPreferences::settingsFile());
        BackgroundRunner& runner = threaded_ ? static_cast<BackgroundRunner&>(threads) : inline_;
        BackgroundRunner& checks = threaded_ ? static_cast<BackgroundRunner&>(checkThread) : inline_;
        const Localizer texts = Localizer::load(suiteSetting("QUILLARY_RESOURCES") + "/locale", {language_});
        quillary::app::Locations locations = suiteLocations(folder);
        locations.epubcheckCommand = epubcheck;
        app = std::make_unique<gui::DesktopApplication>(
            gui::DesktopPorts{shell, *preferences, runner, checks, checks, workspace, notifier, dialogs, updater},
            locations, texts);
        QObject::connect(app.get(), &gui::DesktopApplication::quitRequested, [this] { ++quits; });
        app->start();
    }
    void restart() {
        app.reset();
        preferences.reset();
        start();
    }
    void runUntilBuildEnds() {
        QEventLoop loop;
        QObject::connect(&window(), &gui::MainWindow::buildHasEnded, &loop, &QEventLoop::quit);
        if (app->buildSession().isBuilding()) loop.exec();
    }
    gui::MainWindow& window() { return app->mainWindow(); }
    template <typename Widget>
    Widget* child(const char* name) { return window().findChild<Widget*>(name); }

    TestFolder folder;
    PosixShell shell;
    ThreadRunner threads;
    ThreadRunner checkThread;
    InlineRunner inline_;
    FakeWorkspace workspace;
    FakeNotifier notifier;
    FakeSoftwareUpdater updater;
    ScriptedDialogs dialogs;
    std::unique_ptr<gui::QtPreferences> preferences;
    std::unique_ptr<gui::DesktopApplication> app;
    std::string epubcheck;  // EPUBCheck's command line from the next start; "": not installed
    int quits = 0;

private:
    QTranslator qtTexts_;  // removes itself from the application when the test ends
    bool threaded_;
    std::string language_;
};

// The example book of the source tree.
inline std::string exampleManuscript() {
    return suiteSetting("QUILLARY_FIXTURES") + "/../../examples/Lighthouse/Lighthouse.rtf";
}

}  // namespace quillary::testing
