#pragma once
// What a finished build tells the author: the alert that ends a build
// without its EPUB, the Kindle step's alert, the notification, the results
// opened as the preferences ask, and the one problem alert. Shared by the
// window and the command line, which each show them in their own way.

#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "book/BuildRequest.h"
#include "book/BuildResult.h"
#include "platform/Alerts.h"
#include "platform/Localizer.h"
#include "platform/Preferences.h"
#include "platform/Window.h"
#include "platform/Workspace.h"

namespace quillary::app {

// A single-button critical alert from localised keys; the arguments fill
// the title's and the message's "%@" in order.
Alert simpleAlert(const Localizer& texts, const std::string& titleKey, const std::string& messageKey,
                  const std::vector<std::string>& titleArguments = {},
                  const std::vector<std::string>& messageArguments = {});

// The alert that ends a build without its EPUB; nullopt for a build that
// was asked to stop.
std::optional<Alert> epubFailureAlert(const EpubFailure& failure, const BuildRequest& request, const Localizer& texts);

// The result of a build whose thread could not start (the system at its
// limit on processes or memory): no EPUB, and why.
BuildResult buildNotStarted(const std::system_error& error);

// The Kindle step's alert when it made no file; nullopt when no converter is
// installed: the converter check, run again, says so. A step the author
// stopped says that the EPUB is made and the earlier Kindle file stays.
std::optional<Alert> kindleFailureAlert(KindleFailure failure, const BuildRequest& request, const Localizer& texts);

// The first of the problems, in the order the author is told about them,
// as an alert; nullopt when the build found none.
std::optional<Alert> problemAlert(const Problems& problems, const Localizer& texts);

struct Notification {
    std::string title, message;
};
// The notification that the book is made.
Notification readyNotification(const BuildRequest& request);

// Opens the results of a build that made its EPUB as the preferences ask,
// in this order: the EPUB, the Kindle file in the viewer `findViewer` finds
// (only when the build made one, and the viewer is found), the destination
// folder.
void openResults(const BuildRequest& request, const BuildResult& result, const Preferences& preferences,
                 Workspace& workspace, const std::function<std::optional<std::string>()>& findViewer);

// One line on where the book's chapters came from, for the command line and
// the window's status: the author who typed no bookmark line learns that
// the headings made the chapters, or that nothing did.
std::string chaptersStatus(const BuildResult& result, const Localizer& texts);

// The window's status line and progress bar back to idle; the status line
// holds what the next build shows while it reads the manuscript.
void showIdle(Window& window, const Localizer& texts);

}  // namespace quillary::app
