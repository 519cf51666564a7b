#pragma once
// The desktop application: the main window wired to the manuscript session,
// the build session, the Kindle tools and the book checker over the
// desktop's ports; the menus, the splash, help and preferences windows,
// documents handed in, and what is kept from one run to the next.

#include <QObject>

#include "app/BookChecker.h"
#include "app/KindleTools.h"
#include "app/Locations.h"
#include "app/ManuscriptSession.h"
#include "gui/BuildSession.h"
#include "gui/Dialogs.h"
#include "gui/GuardedApplication.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"
#include "gui/SideWindows.h"

class QMenu;

namespace quillary::gui {

class AboutDialog;
class RecentMenu;

// The ports that differ between the application and its tests; all outlive
// the application.
struct DesktopPorts {
    Shell& shell;
    Preferences& preferences;
    BackgroundRunner& background;
    BackgroundRunner& checks;  // the checks of the author's tools: never the build's runner
    // EPUBCheck's, on its own: a check takes up to minutes, and a tool
    // check started meanwhile would wait for it on the main thread.
    BackgroundRunner& bookChecks;
    Workspace& workspace;
    Notifier& notifier;
    Dialogs& dialogs;
    SoftwareUpdater& softwareUpdater;
};

// The menu commands, for the menus' owners and the tests.
struct Commands {
    QMenu* fileMenu = nullptr;
    RecentMenu* recentMenu = nullptr;
    QAction* installConverter = nullptr;
    QAction* close = nullptr;
    QAction* print = nullptr;
    QAction* quit = nullptr;
    QAction* preferences = nullptr;
    QAction* help = nullptr;
    QAction* userGuide = nullptr;
    QAction* checkBook = nullptr;
    QAction* validator = nullptr;
    QAction* updates = nullptr;
    QAction* about = nullptr;
};

class DesktopApplication : public QObject {
    Q_OBJECT
public:
    DesktopApplication(DesktopPorts ports, app::Locations locations, const Localizer& texts);
    ~DesktopApplication() override;

    // Shows the main window, and the splash window when the author wants it,
    // then checks a Kindle choice kept from an earlier run.
    void start();
    // application:openFile: — a manuscript, the Kindle converter, or a short
    // refusal in the status line.
    void openDocument(const QString& path);
    // Closes the help window, else the splash window, else the main window.
    void closeFrontmost();
    // The main window's close guard: during a build, asks whether to stop it
    // and quit; the window closes once the stopped build has ended.
    bool mayClose();
    // File ▸ Install Kindle Converter…: an open panel for the kindlegen file.
    void chooseConverter();
    // An event handler failed: an alert, then the application goes on, or
    // quits when a build was running. Reports one failure at a time.
    void handlerFailed(HandlerFailure failure, const std::string& detail);

    MainWindow& mainWindow() { return window_; }
    BuildSession& buildSession() { return session_; }
    app::BookChecker& checker() { return checker_; }
    SplashWindow& splashWindow() { return splash_; }
    HelpWindow& helpWindow() { return help_; }
    const Commands& commands() const { return commands_; }

signals:
    // The main window has closed: the application should end now.
    void quitRequested();

private:
    void restoreState();
    void saveState();
    void connectWindow();
    void addFileMenu();
    void addEditMenu();
    void addHelpMenu();
    QAction* command(QMenu* menu, const char* text, const QKeySequence& shortcut = {});
    void selectEpub3(bool on);
    void selectKindle(bool on);
    // The Kindle option's rules: on, it turns EPUB 3 off; then its converter
    // is checked.
    void checkKindleChoice();
    void showPreferences();
    void openUserGuide();

    DesktopPorts ports_;
    app::Locations locations_;
    Localizer catalogue_;
    Texts texts_;
    QtMainQueue queue_;
    MainWindow window_;
    PosixAuthorFiles authorFiles_;
    app::ManuscriptSession manuscripts_;
    app::KindleTools kindle_;
    app::BookChecker checker_;
    BuildSession session_;
    SplashWindow splash_;
    HelpWindow help_;
    PreferencesDialog* preferencesDialog_ = nullptr;
    AboutDialog* about_ = nullptr;
    bool failureShowing_ = false;
    bool quitAfterBuild_ = false;    // the author agreed to stop the build and quit
    bool epub3BeforeKindle_ = true;  // restored when the Kindle option is unticked
    bool forceQuit_ = false;       // an internal failure during a build: quit without asking
    Commands commands_;
};

}  // namespace quillary::gui
