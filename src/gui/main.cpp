#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <clocale>
#include <cstdlib>

#include "app/SystemCheck.h"
#include "build/Text.h"
#include "gui/DesktopApplication.h"
#include "gui/QtPreferences.h"
#include "platform/Executables.h"
#include "platform/Paths.h"
#include "platform/PosixShell.h"
#include "platform/ThreadRunner.h"

namespace {

using namespace quillary;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

Locations locationsFromEnvironment() {
    const std::string executable = runningExecutablePath();
    Locations where;
    where.resources.folder = environment("QUILLARY_RESOURCES");
    if (where.resources.folder.empty()) where.resources.folder = Resources::locate(executable);
    where.dataHome = environment("XDG_DATA_HOME");
    if (where.dataHome.empty() && !environment("HOME").empty())
        where.dataHome = environment("HOME") + "/.local/share";
    where.textutilPath = environment("QUILLARY_TEXTUTIL");
    if (where.textutilPath.empty())
        where.textutilPath = paths::join(paths::deletingLastComponent(executable), "quillary-textutil");
    return where;
}

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
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillary"));
    QApplication::setDesktopFileName(QStringLiteral("org.quillary.Quillary"));
    QApplication::setWindowIcon(QIcon(gui::applicationIcon(256)));

    const Locations locations = locationsFromEnvironment();
    const Localizer texts =
        Localizer::load(locations.resources.folder + "/locale", Localizer::languagesFromEnvironment());
    if (!kernelIsSupported(runningKernelRelease())) return refuseOldSystem(texts);

    PosixShell shell;
    gui::QtPreferences preferences(gui::QtPreferences::settingsFile());
    ThreadRunner runner;
    gui::QtWorkspace workspace;
    gui::QtDialogs dialogs{gui::Texts(texts)};
    gui::MainWindow* window = nullptr;
    gui::QtNotifier notifier([&window](const std::string& message) {
        if (window) window->say(QString::fromStdString(message));
    });
    gui::DesktopApplication desktop({shell, preferences, runner, workspace, notifier, dialogs}, locations, texts);
    window = &desktop.mainWindow();
    QObject::connect(&desktop, &gui::DesktopApplication::quitRequested, &application, &QApplication::quit,
                     Qt::QueuedConnection);

    desktop.start();
    for (const QString& argument : QApplication::arguments().mid(1))
        desktop.openDocument(QFileInfo(argument).absoluteFilePath());
    return QApplication::exec();
}
