// Pictures of the windows for the README and the help page (the main window
// in English and German, during a build, the results of a clean build, of
// one with problems and of one checked by EPUBCheck, Check Book's own view,
// the preferences, Open Recent, About, the Kindle alert, help and welcome):
// gui_screenshots OUTPUT_FOLDER (see scripts/screenshot.sh).

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <QMessageBox>
#include <QPainter>
#include <cstdio>

#include <QMenu>

#include "../Desktop.h"
#include "app/Completion.h"
#include "base/Text.h"
#include "epub/BookCheck.h"
#include "gui/RecentMenu.h"
#include "gui/ResultsView.h"

namespace {

using namespace quillary;
using namespace quillary::testing;

void save(QWidget& widget, const QString& folder, const char* name) {
    QApplication::processEvents();
    widget.grab().save(folder + "/" + name);
}

// A window-modal alert is a window of its own; it is drawn over the top of
// the main window, where the desktop shows it.
void saveWithAlert(gui::MainWindow& window, const QString& folder, const char* name) {
    QApplication::processEvents();
    QPixmap picture = window.grab();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(top);
        if (!box || !box->isVisible()) continue;
        const QPixmap alert = box->grab();
        QPainter painter(&picture);
        painter.fillRect(picture.rect(), QColor(0, 0, 0, 60));
        painter.drawPixmap((picture.width() - alert.width()) / 2, 60, alert);
        box->close();
    }
    picture.save(folder + "/" + name);
}

// EPUBCheck takes seconds: the window goes on meanwhile, and so do we.
void waitForCheck(Desktop& desktop) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!desktop.app->checker().isChecking()) loop.quit();
    });
    poll.start(100);
    loop.exec();
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gui_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    Desktop desktop(true);
    // The installed EPUBCheck, as the application finds it.
    desktop.epubcheck = epub::epubCheckCommand(std::nullopt);
    desktop.restart();
    gui::MainWindow& window = desktop.window();
    desktop.app->splashWindow().close();
    desktop.app->openDocument(QString::fromStdString(exampleManuscript()));
    save(window, folder, "main-window.png");

    // A real build, pictured while the converter reads the manuscript: the
    // script names a converter that takes a second before it starts.
    desktop.dialogs.saveAs = desktop.folder.file("Keeper.epub");
    window.makeAction()->trigger();
    QEventLoop converting;
    QTimer::singleShot(500, &converting, &QEventLoop::quit);
    converting.exec();
    if (!desktop.app->buildSession().isBuilding()) std::fprintf(stderr, "gui_screenshots: the build ended early\n");
    save(window, folder, "building.png");
    desktop.runUntilBuildEnds();
    if (gui::ResultsView* results = window.resultsView()) save(*results, folder, "results-clean.png");

    // A manuscript with two kinds of problem: a cross-reference to no
    // bookmark and a picture that is not in its folder.
    const std::string flawed = desktop.folder.write(
        "Flawed/Flawed.rtf", "{\\rtf1 bookmark: One\\par See \\{\\{Nowhere\\}\\} and \\{\\{Elsewhere\\}\\}.\\par "
                             "image:harbour.png\\par bookmark: Two\\par The end.\\par}");
    desktop.app->openDocument(QString::fromStdString(flawed));
    desktop.dialogs.saveAs = desktop.folder.file("Flawed/Flawed.epub");
    window.makeAction()->trigger();
    desktop.runUntilBuildEnds();
    if (gui::ResultsView* results = window.resultsView()) save(*results, folder, "results-problems.png");

    // The same book again, checked by EPUBCheck after the build: the view
    // while the check runs, and with its verdict.
    desktop.preferences->setBool(app::prefs::kCheckAfterBuild, true);
    window.makeAction()->trigger();
    desktop.runUntilBuildEnds();
    if (gui::ResultsView* results = window.resultsView()) save(*results, folder, "results-checking.png");
    waitForCheck(desktop);
    if (gui::ResultsView* results = window.resultsView()) save(*results, folder, "results-epubcheck.png");
    if (gui::ResultsView* results = window.resultsView()) results->close();
    desktop.preferences->setBool(app::prefs::kCheckAfterBuild, false);
    // Check Book… on a book that is no archive at all: EPUBCheck's errors.
    const std::string broken = desktop.folder.write("Broken.epub", "not a zip archive");
    emit desktop.app->mainWindow().checkBookRequested(QString::fromStdString(broken));
    waitForCheck(desktop);
    if (gui::ResultsView* check = window.checkView()) {
        save(*check, folder, "check-book.png");
        check->close();
    }

    desktop.app->commands().preferences->trigger();
    for (QDialog* dialog : window.findChildren<QDialog*>())
        if (dialog->isVisible() && dialog->objectName() == "preferences") save(*dialog, folder, "preferences.png");

    const Localizer texts = suiteTexts(true);
    gui::QtDialogs dialogs{gui::Texts(texts)};
    Alert kindle = app::simpleAlert(texts, "noKindleConverterTitle", "noKindleConverterMsg");
    kindle.defaultButton = texts.text("TryAgain");
    kindle.alternateButton = texts.text("Cancel");
    kindle.critical = false;
    dialogs.alert(&window, kindle);
    saveWithAlert(window, folder, "kindle-alert.png");

    gui::RecentMenu* recent = desktop.app->commands().recentMenu;
    recent->rebuild();
    recent->adjustSize();
    save(*recent, folder, "open-recent.png");
    desktop.app->commands().about->trigger();
    for (QDialog* dialog : window.findChildren<QDialog*>())
        if (dialog->isVisible() && dialog->objectName() == "about") save(*dialog, folder, "about.png");

    desktop.app->commands().help->trigger();
    save(desktop.app->helpWindow(), folder, "help-window.png");
    desktop.app->splashWindow().show();
    save(desktop.app->splashWindow(), folder, "welcome-window.png");

    Desktop german(false, "de");
    german.app->splashWindow().close();
    german.app->openDocument(QString::fromStdString(exampleManuscript()));
    save(german.window(), folder, "main-window-de.png");
    return 0;
}
