#pragma once
// The window's build session: the make command and its save panel, one
// build at a time on the background runner with its progress in the
// window, and the completion report when it ends. A build works on the
// request taken when the save panel was confirmed; a manuscript chosen
// meanwhile waits for the build's end. Main thread.

#include <memory>
#include <optional>
#include <string>

#include "app/BookChecker.h"
#include "app/BuildResources.h"
#include "app/KindleTools.h"
#include "app/Locations.h"
#include "app/ManuscriptSession.h"
#include "app/PostedProgress.h"
#include "platform/AuthorFiles.h"
#include "platform/BackgroundRunner.h"
#include "platform/Lifeline.h"
#include "platform/MainQueue.h"
#include "platform/Notifier.h"
#include "platform/Preferences.h"
#include "platform/Shell.h"
#include "platform/Window.h"
#include "platform/Workspace.h"

namespace quillary::gui {

// What the session talks through; all outlive it.
struct BuildSessionPorts {
    Window& window;
    Preferences& preferences;
    Workspace& workspace;
    Notifier& notifier;
    MainQueue& mainQueue;
    BackgroundRunner& background;  // the build's, one job at a time
    Shell& shell;
    const AuthorFiles& authorFiles;
};

// The parts of the application the session hands its work on to.
struct BuildSessionPartners {
    app::ManuscriptSession& manuscripts;
    app::KindleTools& kindle;
    app::BookChecker& checker;
};

class BuildSession {
public:
    BuildSession(BuildSessionPorts ports, BuildSessionPartners partners, const app::Locations& locations,
                 const Localizer& texts);
    BuildSession(const BuildSession&) = delete;
    BuildSession& operator=(const BuildSession&) = delete;
    // Waits for a running build, whose result is then dropped.
    ~BuildSession();

    // The save panel, proposing the book's name in the manuscript's folder.
    void make();
    // A confirmed save panel starts the build with what the window holds now.
    void savePanelEnded(const std::string& name, const std::string& folder, int returnCode);
    bool isBuilding() const { return building_; }
    // Loads the manuscript now, or once the running build has ended.
    void takeManuscript(const std::string& path);
    // Asks the running build to stop; it ends without a book, and the
    // earlier book stays.
    void cancel();
    // Where the last book was asked to go; "" before the first build.
    const std::string& lastDestination() const { return lastDestination_; }

private:
    void start(BuildRequest request);
    void showStage(controller::BuildStage stage);
    void showFraction(double fraction);
    void finished(const BuildRequest& request, const BuildResult& result);
    void completed(const BuildRequest& request, const BuildResult& result);
    void showReport(const BuildReport& report);
    void checkBook(BuildReport report);
    void endBuild();

    BuildSessionPorts ports_;
    BuildSessionPartners partners_;
    app::Locations locations_;
    const Localizer& texts_;
    app::BuildResources resources_;
    bool building_ = false;
    std::shared_ptr<app::PostedProgress> progress_;
    std::optional<std::string> manuscriptChosenDuringBuild_;
    std::string lastDestination_;
    std::string title_;  // the running build's, as typed, for its report
    int reportsShown_ = 0;
    // Cut by the destructor: what the build posts after it is dropped.
    std::shared_ptr<Lifeline> lifeline_ = std::make_shared<Lifeline>();
};

}  // namespace quillary::gui
