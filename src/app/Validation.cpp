#include "epub/BookCheck.h"
#include "base/Text.h"
#include "controller/VoveZedevir.h"
#include "platform/Paths.h"

namespace quillary {

void VoveZedevir::selectBookToCheck() {
    // Where the last book went, else where manuscripts are chosen from.
    const std::string folder = request ? request->destinationFolder
                                       : paths::expandTilde(ports.preferences.stringForKey(prefs::kParentDirectory));
    ports.window.beginOpenPanel({{"epub"}, folder}, [this](int returnCode, const std::string& path) {
        if (returnCode == 1) checkBook(path);
    });
}

void VoveZedevir::checkBook(const std::string& epubPath) {
    // A running build owns the status line; a check beside it goes unannounced.
    if (!isBuilding()) {
        ports.window.setStatusText(
            text::format(localized("Checking %@ with EPUBCheck\u2026"), {paths::lastComponent(epubPath)}));
        ports.window.setStatusHidden(false);
    }
    // The check may outlive the controller (the window closes meanwhile), so
    // it holds only what outlives both and reports through the lifeline.
    ports.checks.start([&shell = ports.shell, &queue = ports.mainQueue, lifeline = lifeline,
                        command = locations.epubcheckCommand, epubPath, this] {
        BookCheck check = quillary::checkBook(shell, command, epubPath);
        lifeline->post(queue, [this, check = std::move(check), epubPath] { bookChecked(check, epubPath); });
    });
}

void VoveZedevir::bookChecked(const BookCheck& check, const std::string& epubPath) {
    validation = check;
    if (!isBuilding()) hideBuildProgress();
    const char* title = "The book passed EPUBCheck";
    if (check.outcome == BookCheck::Outcome::Invalid) title = "EPUBCheck found errors in the book";
    if (check.outcome == BookCheck::Outcome::NotInstalled) title = "EPUBCheck is not installed";
    if (check.outcome == BookCheck::Outcome::Failed) title = "The book could not be checked";
    Alert alert;
    alert.titleKey = title;
    alert.title = localized(title);
    alert.message = describeBookCheck(check, paths::lastComponent(epubPath), texts);
    alert.defaultButton = localized("OK");
    alert.critical = check.outcome != BookCheck::Outcome::Valid;
    showAlert(std::move(alert));
}

}  // namespace quillary
