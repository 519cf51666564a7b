#include "gui/DesktopApplication.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>

#include "app/Completion.h"
#include "gui/AboutDialog.h"
#include "gui/RecentMenu.h"
#include "app/ManuscriptTypes.h"
#include "app/PreferenceKeys.h"
#include "book/Languages.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::gui {

namespace {

namespace prefs = app::prefs;

// The validator of the EPUB standards body that the Help menu opens. The
// Help menu has no web site or feedback command until the project has real
// addresses for them: a placeholder would lead the author nowhere.
constexpr const char* kValidatorPage = "https://validator.idpf.org/";
constexpr const char* kUserGuide = "User's Guide.pdf";
constexpr const char* kHelpPage = "help/HowToPrepare.html";
constexpr const char* kWindowFrame = "windowPosn";

// The standard editing commands act on whichever field has the focus.
void sendToFocus(const char* method) {
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus->metaObject()->indexOfMethod(QMetaObject::normalizedSignature(method)) >= 0) {
        const QByteArray name = QByteArray(method).left(QByteArray(method).indexOf('('));
        QMetaObject::invokeMethod(focus, name.constData());
    }
}

void centre(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

// A resource in the catalogue's language: the catalogue names its own file
// under `key` ("help/HowToPrepare.de.html"); without one, or when that file
// is missing, the English file.
std::string localisedResource(const app::Locations& locations, const Localizer& catalogue, const char* key,
                              const char* english) {
    const std::string named = catalogue.has(key) ? locations.resources.path(catalogue.text(key)) : "";
    return !named.empty() && files::exists(named) ? named : locations.resources.path(english);
}

}  // namespace

DesktopApplication::DesktopApplication(DesktopPorts ports, app::Locations locations, const Localizer& texts)
    : ports_(ports),
      locations_(std::move(locations)),
      catalogue_(texts),
      texts_(catalogue_),
      window_(texts_, ports_.dialogs),
      manuscripts_(window_, ports_.preferences, app::applicationDirectory(locations_).value_or(""), catalogue_),
      kindle_({ports_.shell, ports_.workspace, ports_.preferences, window_, ports_.checks, queue_},
              locations_.dataHome, catalogue_),
      checker_({ports_.shell, window_, ports_.bookChecks, queue_}, locations_.epubcheckCommand, catalogue_,
               [this] { return session_.isBuilding(); }),
      session_({window_, ports_.preferences, ports_.workspace, ports_.notifier, queue_, ports_.background,
                ports_.shell, authorFiles_},
               {manuscripts_, kindle_, checker_}, locations_, catalogue_),
      splash_(texts_, ports_.preferences),
      help_(texts_, QString::fromStdString(localisedResource(locations_, catalogue_, "HelpPage", kHelpPage))) {
    ports_.preferences.registerDefaults(prefs::registeredDefaults());
    addFileMenu();
    commands_.recentMenu->rebuild();
    addEditMenu();
    addHelpMenu();
    connectWindow();
    restoreState();
}

DesktopApplication::~DesktopApplication() {
    // The build session waits for a running build; a check still running
    // reads nothing of the application: its verdict is dropped.
    ports_.softwareUpdater.setDelegate(nullptr);
}

void DesktopApplication::restoreState() {
    Preferences& store = ports_.preferences;
    window_.setMakeEnabled(false);
    // Idle as after a build, so the first build's status line reads the
    // same as every later one's.
    app::showIdle(window_, catalogue_);
    window_.setEpub3Checked(store.boolForKey(prefs::kEpub3));
    window_.setKindleChecked(store.integerForKey(prefs::kBuildKindle) != 0);
    const long language = store.integerForKey(prefs::kDefaultLang);
    if (language >= 0 && language < kLanguageCount) window_.setLanguage(std::to_string(language));
    const std::string frame = store.stringForKey(kWindowFrame);
    if (!frame.empty()) window_.restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(frame)));
    centre(splash_);
    centre(help_);
}

void DesktopApplication::saveState() {
    Preferences& store = ports_.preferences;
    store.setString(kWindowFrame, window_.saveGeometry().toBase64().toStdString());
    // The default stays one of the quick list; a typed tag belongs to its book.
    if (const std::optional<int> index = quickListIndex(window_.language()))
        store.setString(prefs::kDefaultLang, std::to_string(*index));
    store.synchronize();
}

void DesktopApplication::start() {
    window_.show();
    if (ports_.preferences.integerForKey(prefs::kShowLaunch) != 0) {
        splash_.show();
        splash_.raise();
        splash_.activateWindow();
    }
    ports_.softwareUpdater.setDelegate(&kindle_);
    checkKindleChoice();
}

void DesktopApplication::connectWindow() {
    connect(window_.chooseAction(), &QAction::triggered, this,
            [this] { manuscripts_.choose([this](const std::string& path) { session_.takeManuscript(path); }); });
    connect(window_.makeAction(), &QAction::triggered, this, [this] { session_.make(); });
    connect(&window_, &MainWindow::epub3Clicked, this, &DesktopApplication::selectEpub3);
    connect(&window_, &MainWindow::kindleClicked, this, &DesktopApplication::selectKindle);
    connect(&window_, &MainWindow::documentsDropped, this, [this](const QStringList& paths) {
        for (const QString& path : paths) openDocument(path);
    });
    connect(&window_, &MainWindow::openBookRequested, this,
            [this](const QString& path) { ports_.workspace.openFile(path.toStdString()); });
    connect(&window_, &MainWindow::showInFolderRequested, this,
            [this](const QString& path) { ports_.workspace.showInFolder(path.toStdString()); });
    connect(&window_, &MainWindow::checkBookRequested, this,
            [this](const QString& path) { checker_.check(path.toStdString()); });
    kindle_.setDeclined([this] {
        window_.setKindleChecked(false);
        selectKindle(false);
    });
    connect(&window_, &MainWindow::cancelRequested, this, [this] {
        if (session_.isBuilding()) session_.cancel();
        else checker_.stop();
    });
    window_.setCloseGuard([this] { return mayClose(); });
    connect(&window_, &MainWindow::buildHasEnded, this, [this] {
        if (std::exchange(quitAfterBuild_, false)) window_.close();
    });
    connect(&window_, &MainWindow::fieldsEdited, this, [this] { manuscripts_.fieldsEdited(); });
    connect(&window_, &MainWindow::closing, this, [this] {
        manuscripts_.fieldsEdited();
        saveState();
        splash_.close();
        help_.close();
        emit quitRequested();
    });
    connect(&splash_, &SplashWindow::learnMore, this, &DesktopApplication::openUserGuide);
    connect(&help_, &HelpWindow::visibilityChanged, commands_.print, &QAction::setEnabled);
}

QAction* DesktopApplication::command(QMenu* menu, const char* text, const QKeySequence& shortcut) {
    QAction* action = menu->addAction(texts_(text));
    action->setShortcut(shortcut);
    // The help and splash windows have no menus of their own: the commands
    // reach them from any window of the application.
    action->setShortcutContext(Qt::ApplicationShortcut);
    return action;
}

void DesktopApplication::addFileMenu() {
    QMenu* menu = window_.menuBar()->addMenu(texts_("&File"));
    commands_.fileMenu = menu;
    menu->addAction(window_.chooseAction());
    auto* recent = new RecentMenu(texts_, ports_.preferences, menu);
    commands_.recentMenu = recent;
    menu->addMenu(recent);
    connect(recent, &RecentMenu::manuscriptChosen, this, &DesktopApplication::openDocument);
    menu->addAction(window_.makeAction());
    menu->addSeparator();
    commands_.installConverter = command(menu, "&Install Kindle Converter…");
    connect(commands_.installConverter, &QAction::triggered, this, &DesktopApplication::chooseConverter);
    menu->addSeparator();
    commands_.close = command(menu, "C&lose", QKeySequence(Qt::CTRL | Qt::Key_W));
    commands_.print = command(menu, "&Print…", QKeySequence::Print);
    commands_.print->setEnabled(false);
    menu->addSeparator();
    commands_.quit = command(menu, "&Quit", QKeySequence::Quit);
    connect(commands_.close, &QAction::triggered, this, &DesktopApplication::closeFrontmost);
    connect(commands_.print, &QAction::triggered, &help_, &HelpWindow::print);
    connect(commands_.quit, &QAction::triggered, &window_, &QWidget::close);
    connect(menu, &QMenu::aboutToShow, this, [this] { commands_.print->setEnabled(help_.isVisible()); });
}

void DesktopApplication::addEditMenu() {
    QMenu* menu = window_.menuBar()->addMenu(texts_("&Edit"));
    struct Editing {
        const char* text;
        QKeySequence::StandardKey keys;
        const char* method;
    };
    const Editing editing[] = {{"&Undo", QKeySequence::Undo, "undo()"},
                               {"&Redo", QKeySequence::Redo, "redo()"},
                               {"Cu&t", QKeySequence::Cut, "cut()"},
                               {"&Copy", QKeySequence::Copy, "copy()"},
                               {"&Paste", QKeySequence::Paste, "paste()"},
                               {"Select &All", QKeySequence::SelectAll, "selectAll()"}};
    for (std::size_t i = 0; i < std::size(editing); ++i) {
        QAction* action = menu->addAction(texts_(editing[i].text));
        // The fields handle these keys themselves; the menu shows them.
        action->setShortcut(editing[i].keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        const char* method = editing[i].method;
        connect(action, &QAction::triggered, this, [method] { sendToFocus(method); });
        if (i == 1) menu->addSeparator();
    }
    menu->addSeparator();
    commands_.preferences = command(menu, "Pre&ferences…", QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(commands_.preferences, &QAction::triggered, this, &DesktopApplication::showPreferences);
}

void DesktopApplication::addHelpMenu() {
    QMenu* menu = window_.menuBar()->addMenu(texts_("&Help"));
    commands_.help = command(menu, "&How to Prepare a Manuscript", QKeySequence::HelpContents);
    commands_.userGuide = command(menu, "&User's Guide");
    menu->addSeparator();
    commands_.checkBook = command(menu, "&Check Book…");
    commands_.validator = command(menu, "EPUB &Validator");
    menu->addSeparator();
    commands_.updates = command(menu, "Check for Up&dates");
    commands_.about = command(menu, "&About Quillary");
    Workspace& workspace = ports_.workspace;
    connect(commands_.help, &QAction::triggered, this, [this] {
        help_.show();
        help_.raise();
    });
    connect(commands_.userGuide, &QAction::triggered, this, &DesktopApplication::openUserGuide);
    connect(commands_.checkBook, &QAction::triggered, this, [this] {
        // Where the last book went, else where manuscripts are chosen from.
        const std::string& last = session_.lastDestination();
        checker_.choose(!last.empty() ? last
                                      : paths::expandTilde(ports_.preferences.stringForKey(prefs::kParentDirectory)));
    });
    connect(commands_.validator, &QAction::triggered, this, [&workspace] { workspace.openURL(kValidatorPage); });
    connect(commands_.updates, &QAction::triggered, this, [this] {
        ports_.dialogs.message(&window_, texts_("Quillary is kept up to date by your system"),
                               texts_("Updates come through your distribution's package manager."));
    });
    connect(commands_.about, &QAction::triggered, this, [this] {
        if (!about_) about_ = new AboutDialog(texts_, thisBuild(), &window_);
        about_->show();
        about_->raise();
    });
}

void DesktopApplication::selectEpub3(bool on) {
    ports_.preferences.setBool(prefs::kEpub3, on);
    if (!on) return;
    window_.setKindleChecked(false);
    ports_.preferences.setBool(prefs::kBuildKindle, false);
}

void DesktopApplication::selectKindle(bool on) {
    // A Kindle book is made from an EPUB 2; the author's EPUB choice comes
    // back when the Kindle book is no longer wanted.
    if (on) epub3BeforeKindle_ = window_.epub3Checked();
    ports_.preferences.setBool(prefs::kBuildKindle, on);
    if (!on) {
        window_.setEpub3Checked(epub3BeforeKindle_);
        ports_.preferences.setBool(prefs::kEpub3, epub3BeforeKindle_);
    }
    checkKindleChoice();
}

void DesktopApplication::checkKindleChoice() {
    if (window_.kindleChecked()) {
        window_.setEpub3Checked(false);
        ports_.preferences.setBool(prefs::kEpub3, false);
    }
    if (window_.kindleChecked()) kindle_.checkConverter();
}

void DesktopApplication::chooseConverter() {
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const OpenPanelRequest request{{}, downloads.toStdString(), texts_("Install Kindle Converter").toStdString()};
    window_.beginOpenPanel(request, [this](int returnCode, const std::string& path) {
        if (returnCode != 1) return;
        if (!kindle_.install(path)) {
            window_.say(texts_("The Kindle converter could not be installed."));
            return;
        }
        window_.say(texts_("The Kindle converter is installed."));
        checkKindleChoice();
    });
}

void DesktopApplication::showPreferences() {
    if (!preferencesDialog_) {
        preferencesDialog_ = new PreferencesDialog(texts_, ports_.preferences, &window_);
        connect(preferencesDialog_, &PreferencesDialog::defaultLanguageChosen, &window_,
                [this](int index) { window_.setLanguage(std::to_string(index)); });
    }
    preferencesDialog_->show();
    preferencesDialog_->raise();
}

void DesktopApplication::openUserGuide() {
    const std::string guide = localisedResource(locations_, catalogue_, "UserGuide", kUserGuide);
    if (!files::exists(guide) || !ports_.workspace.openFile(guide))
        window_.say(texts_("The User's Guide could not be opened."));
}

void DesktopApplication::openDocument(const QString& path) {
    const std::string file = path.toStdString();
    const QString name = QString::fromStdString(paths::lastComponent(file));
    // A mistyped argument would otherwise stand in the window as the
    // manuscript until the build fails on it.
    if (!files::exists(file)) {
        window_.say(texts_("%1 could not be found.").arg(QString::fromStdString(file)));
        return;
    }
    if (name == QLatin1String("kindlegen")) {
        window_.say(kindle_.install(file) ? texts_("The Kindle converter is installed.")
                                          : texts_("The Kindle converter could not be installed."));
        return;
    }
    if (app::hasManuscriptExtension(file)) {
        // The author knows what to do: the welcome would only cover the manuscript.
        splash_.close();
        session_.takeManuscript(file);
    }
    else window_.say(texts_("%1 is not a manuscript: Quillary opens .rtf, .doc, .docx and .odt files.").arg(name));
}

void DesktopApplication::handlerFailed(HandlerFailure failure, const std::string& detail) {
    // A handler failing on every repaint would otherwise stack up alerts.
    if (failureShowing_) return;
    failureShowing_ = true;
    QString reason = texts_("there was not enough memory");
    if (failure == HandlerFailure::Error) {
        reason = texts_("of an error inside Quillary");
        if (!detail.empty()) reason += QStringLiteral(" (%1)").arg(QString::fromStdString(detail));
    }
    Alert alert;
    alert.defaultButton = catalogue_.text("OK");
    // Outside a build the application holds only the loaded manuscript,
    // which the author can choose again: it goes on. A build's session cut
    // short in a handler is left half changed, perhaps with the build still
    // at work, and with nothing left to end the build. Quitting is the one way back to a known
    // state, and it loses nothing: the destination only ever receives whole
    // books, and the book information was stored when the build began.
    const bool building = session_.isBuilding();
    if (building) {
        alert.titleKey = "MakeFailTitle";
        alert.title = catalogue_.text("MakeFailTitle");
        alert.message = texts_("The book stopped halfway because %1. Quillary closes now; "
                               "your manuscript and its book information are kept.").arg(reason).toStdString();
    } else {
        alert.title = texts_("Quillary could not finish that").toStdString();
        alert.message = texts_("The last action stopped because %1. Your manuscript is unchanged; "
                               "you can try again.").arg(reason).toStdString();
    }
    alert.onEnd = [this, building](int) {
        failureShowing_ = false;
        if (!building) return;
        forceQuit_ = true;
        window_.close();
    };
    window_.showAlert(alert);
}

bool DesktopApplication::mayClose() {
    if (!session_.isBuilding() || forceQuit_) return true;
    if (quitAfterBuild_) return false;  // already asked and agreed: the build is stopping
    Alert alert;
    alert.title = texts_("A book is being made").toStdString();
    alert.message = texts_("Quit now and the build stops: nothing half-made is written, and the earlier book "
                           "stays as it was.").toStdString();
    alert.defaultButton = texts_("Stop and Quit").toStdString();
    alert.alternateButton = texts_("Keep Building").toStdString();
    alert.critical = false;
    alert.onEnd = [this](int returnCode) {
        if (returnCode != kAlertDefaultButton) return;
        // The build may have ended while the author read the question.
        if (!session_.isBuilding()) {
            window_.close();
            return;
        }
        quitAfterBuild_ = true;
        session_.cancel();
    };
    window_.showAlert(alert);
    return false;
}

void DesktopApplication::closeFrontmost() {
    if (help_.isVisible()) help_.close();
    else if (splash_.isVisible()) splash_.close();
    else window_.close();
}

}  // namespace quillary::gui
