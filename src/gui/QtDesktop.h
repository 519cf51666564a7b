#pragma once
// The desktop ports of the application: the main queue as queued calls into
// the Qt event loop, the workspace through the desktop's file associations
// and the file manager, and the notification through the freedesktop
// notification service.

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "platform/MainQueue.h"
#include "platform/Notifier.h"
#include "platform/Workspace.h"

class QTranslator;

namespace quillary::gui {

// Qt's own texts (the file dialogs, standard buttons, "Strg+Z") in the first
// of `languages` that Qt's translations have (Debian's
// qt6-translations-l10n), installed into the application through
// `translator`, which must outlive its use; false when none has them, and
// Qt speaks English.
bool loadQtTranslations(QTranslator& translator, const std::vector<std::string>& languages);

class QtMainQueue : public MainQueue {
public:
    // Construct on the main thread: steps run on the thread it was made on.
    QtMainQueue() = default;
    void post(std::function<void()> step) override;

private:
    QObject context_;
};

class QtWorkspace : public Workspace {
public:
    bool openFile(const std::string& path) override;
    bool openFileWithApplication(const std::string& path, const std::string& application) override;
    bool openURL(const std::string& url) override;
    // Asks the file manager over the session bus to show the file selected
    // in its folder; opens the folder when no file manager answers.
    bool showInFolder(const std::string& path) override;
    std::optional<std::string> findApplication(const std::string& name) const override;
};

class QtNotifier : public Notifier {
public:
    // `unanswered` receives the notification's text when no notification
    // service takes it, so the author still learns that the book is made.
    explicit QtNotifier(std::function<void(const std::string&)> unanswered);
    void deliver(const std::string& title, const std::string& message) override;

private:
    std::function<void(const std::string&)> unanswered_;
};

}  // namespace quillary::gui
