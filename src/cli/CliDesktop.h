#pragma once
// The desktop as the command line sees it: results are opened only when the
// author asked for it (--open), and the notification is one line.

#include "cli/Terminal.h"
#include "platform/Notifier.h"
#include "platform/Shell.h"
#include "platform/Workspace.h"

namespace quillary::cli {

class CliWorkspace : public Workspace {
public:
    CliWorkspace(Shell& shell, bool openResults) : shell_(shell), openResults_(openResults) {}
    bool openFile(const std::string& path) override;
    bool openFileWithApplication(const std::string& path, const std::string& application) override;
    bool openURL(const std::string& url) override;
    bool showInFolder(const std::string& path) override;
    std::optional<std::string> findApplication(const std::string& name) const override;

private:
    bool launch(const std::string& program, const std::string& argument);
    Shell& shell_;
    bool openResults_;
};

class CliNotifier : public Notifier {
public:
    explicit CliNotifier(Terminal& terminal) : terminal_(terminal) {}
    void deliver(const std::string& title, const std::string& message) override {
        terminal_.say(title + ". " + message);
    }

private:
    Terminal& terminal_;
};

}  // namespace quillary::cli
