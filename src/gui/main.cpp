#include <QFileInfo>
#include <QTranslator>
#include <QMessageBox>
#include <clocale>

#include "app/Locations.h"
#include "app/SystemCheck.h"
#include "base/Text.h"
#include "gui/DesktopApplication.h"
#include "gui/Icon.h"
#include "gui/QtDesktop.h"
#include "gui/QtPreferences.h"
#include "platform/PosixShell.h"
#include "platform/ThreadRunner.h"

namespace {

using namespace quillary;

// Too old a system: the version alert, run application-modally, and no window.
int refuseOldSystem(const Localizer& texts) {
    QMessageBox alert(QMessageBox::Critical, QStringLiteral("Quillary"),
                      QString::fromStdString(texts.text("VersionFailTitle")), QMessageBox::NoButton);
    alert.setInformativeText(QString::fromStdString(text::format(texts.text("VersionFailMsg"), {})));
    alert.addButton(QString::fromStdString(texts.text("OK")), QMessageBox::AcceptRole);
    alert.exec();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    gui::GuardedApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillary"));
    QApplication::setDesktopFileName(QStringLiteral("org.quillary.Quillary"));
    QApplication::setWindowIcon(QIcon(gui::applicationIcon(256)));

    const app::Locations locations = app::locationsFromEnvironment();
    const std::vector<std::string> languages = Localizer::languagesFromEnvironment();
    const Localizer texts = Localizer::load(locations.resources.folder + "/locale", languages);
    QTranslator qtTexts;
    gui::loadQtTranslations(qtTexts, languages);
    if (!app::kernelIsSupported(app::runningKernelRelease())) return refuseOldSystem(texts);

    PosixShell shell;
    gui::QtPreferences preferences(gui::QtPreferences::settingsFile());
    ThreadRunner runner;
    // Declared after the shell it uses: a check still running when the
    // window closes ends before the shell goes.
    ThreadRunner checks;
    ThreadRunner bookChecks;
    gui::QtWorkspace workspace;
    gui::QtDialogs dialogs{gui::Texts(texts)};
    PackageManagerUpdates updates;
    gui::MainWindow* window = nullptr;
    gui::QtNotifier notifier([&window](const std::string& message) {
        if (window) window->say(QString::fromStdString(message));
    });
    gui::DesktopApplication desktop({shell, preferences, runner, checks, bookChecks, workspace, notifier, dialogs, updates}, locations,
                                    texts);
    window = &desktop.mainWindow();
    application.setFailureReport([&desktop](gui::HandlerFailure failure, const std::string& detail) {
        desktop.handlerFailed(failure, detail);
    });
    QObject::connect(&desktop, &gui::DesktopApplication::quitRequested, &application, &QApplication::quit,
                     Qt::QueuedConnection);

    desktop.start();
    for (const QString& argument : QApplication::arguments().mid(1))
        desktop.openDocument(QFileInfo(argument).absoluteFilePath());
    const int status = QApplication::exec();
    application.setFailureReport({});
    return status;
}
