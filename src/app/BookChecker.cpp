#include "app/BookChecker.h"

#include "app/Completion.h"
#include "base/Text.h"
#include "platform/Paths.h"

namespace quillary::app {

Alert bookCheckAlert(const epub::BookCheck& check, const std::string& bookName, const Localizer& texts) {
    using Verdict = epub::BookCheck::Verdict;
    const char* title = "The book passed EPUBCheck";
    if (check.verdict == Verdict::Invalid) title = "EPUBCheck found errors in the book";
    if (check.verdict == Verdict::NotInstalled) title = "EPUBCheck is not installed";
    if (check.verdict == Verdict::Failed) title = "The book could not be checked";
    Alert alert;
    alert.titleKey = title;
    alert.title = texts.text(title);
    alert.message = epub::describeBookCheck(check, bookName, texts);
    alert.defaultButton = texts.text("OK");
    alert.critical = check.verdict != Verdict::Valid;
    return alert;
}

BookChecker::BookChecker(BookCheckerPorts ports, std::string command, const Localizer& texts,
                         std::function<bool()> building)
    : ports_(ports), command_(std::move(command)), texts_(texts), building_(std::move(building)) {}

BookChecker::~BookChecker() { lifeline_->cut(); }

void BookChecker::choose(const std::string& folder) {
    ports_.window.beginOpenPanel({{"epub"}, folder}, [this](int returnCode, const std::string& path) {
        if (returnCode == 1) check(path);
    });
}

void BookChecker::check(const std::string& epubPath) {
    // A running build owns the status line; a check beside it goes unannounced.
    if (!building_()) {
        ports_.window.setStatusText(
            text::format(texts_.text("Checking %@ with EPUBCheck\u2026"), {paths::lastComponent(epubPath)}));
        ports_.window.setStatusHidden(false);
    }
    // The check may outlive the checker, so it holds only what outlives
    // both and reports through the lifeline.
    ports_.checks.start(
        [&shell = ports_.shell, &queue = ports_.mainQueue, lifeline = lifeline_, command = command_, epubPath, this] {
            epub::BookCheck check = epub::checkBook(shell, command, epubPath);
            lifeline->post(queue, [this, check = std::move(check), epubPath] { checked(check, epubPath); });
        });
}

void BookChecker::checked(epub::BookCheck check, const std::string& epubPath) {
    if (!building_()) showIdle(ports_.window, texts_);
    ports_.window.showAlert(bookCheckAlert(check, paths::lastComponent(epubPath), texts_));
    verdict_ = std::move(check);
}

}  // namespace quillary::app
