#include "gui/QtDesktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QTranslator>
#include <QUrl>

#include "platform/Executables.h"

namespace quillary::gui {

bool loadQtTranslations(QTranslator& translator, const std::vector<std::string>& languages) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const std::string& language : languages) {
        if (translator.load(QStringLiteral("qtbase_") + QString::fromStdString(language), folder))
            return QCoreApplication::installTranslator(&translator);
    }
    return false;
}

namespace {

// Calls `message` on the session bus without waiting; `failed` runs on the
// main thread when no service answered.
void callWithoutWaiting(const QDBusMessage& message, std::function<void()> failed) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        failed();
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [failed = std::move(failed)](QDBusPendingCallWatcher* call) {
                         if (call->isError()) failed();
                         call->deleteLater();
                     });
}

}  // namespace

void QtMainQueue::post(std::function<void()> step) {
    QMetaObject::invokeMethod(&context_, std::move(step), Qt::QueuedConnection);
}

bool QtWorkspace::openFile(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

bool QtWorkspace::showInFolder(const std::string& path) {
    const QFileInfo file(QString::fromStdString(path));
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", "ShowItems");
    // No start-up id: the file manager raises its window as it sees fit.
    call << QStringList{QUrl::fromLocalFile(file.absoluteFilePath()).toString()} << QString();
    const QUrl folder = QUrl::fromLocalFile(file.absolutePath());
    callWithoutWaiting(call, [folder] { QDesktopServices::openUrl(folder); });
    return true;
}

bool QtWorkspace::openFileWithApplication(const std::string& path, const std::string& application) {
    return QProcess::startDetached(QString::fromStdString(application), {QString::fromStdString(path)});
}

bool QtWorkspace::openURL(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

std::optional<std::string> QtWorkspace::findApplication(const std::string& name) const {
    return findExecutableOnPath(name);
}

QtNotifier::QtNotifier(std::function<void(const std::string&)> unanswered)
    : unanswered_(std::move(unanswered)) {}

void QtNotifier::deliver(const std::string& title, const std::string& message) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
        "org.freedesktop.Notifications", "Notify");
    call << QString("Quillary") << 0u << QString("quillary") << QString::fromStdString(title)
         << QString::fromStdString(message) << QStringList() << QVariantMap() << -1;
    callWithoutWaiting(call, [this, message] {
        if (unanswered_) unanswered_(message);
    });
}

}  // namespace quillary::gui
