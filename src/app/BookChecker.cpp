#include "app/BookChecker.h"

#include "app/Completion.h"
#include "base/Text.h"
#include "platform/Paths.h"

namespace quillary::app {

namespace {

using Verdict = epub::BookCheck::Verdict;

const char* verdictTitle(Verdict verdict) {
    switch (verdict) {
        case Verdict::Valid: return "The book passed EPUBCheck";
        case Verdict::Invalid: return "EPUBCheck found errors in the book";
        case Verdict::NotInstalled: return "EPUBCheck is not installed";
        case Verdict::Failed: break;
    }
    return "The book could not be checked";
}

// One line that says what EPUBCheck made of the book, with its counts.
std::string verdictLine(const epub::BookCheck& check, const std::string& bookName, const Localizer& texts) {
    const std::string errors = std::to_string(check.errors);
    const std::string warnings = std::to_string(check.warnings);
    switch (check.verdict) {
        case Verdict::Valid:
            return check.warnings == 0
                       ? texts.text("The book passed EPUBCheck") + "."
                       : text::format(texts.text("The book passed EPUBCheck, with %@ warnings."), {warnings});
        case Verdict::Invalid:
            return text::format(texts.text("EPUBCheck found errors in the book: %@ errors, %@ warnings."),
                                {errors, warnings});
        case Verdict::NotInstalled:
            return texts.text("EPUBCheck is not installed. Install it with: sudo apt install epubcheck");
        case Verdict::Failed: break;
    }
    return text::format(texts.text("EPUBCheck could not check %@: %@"), {bookName, check.failure});
}

std::vector<BuildReport::Group> findingsOf(const epub::BookCheck& check, const Localizer& texts) {
    std::vector<BuildReport::Group> groups;
    for (const epub::PageFindings& page : check.pages) {
        BuildReport::Group group;
        if (page.page.empty()) group.title = texts.text("The book as a whole:");
        else if (page.firstWords.empty()) group.title = text::format(texts.text("Page %@:"), {page.page});
        else
            group.title =
                text::format(texts.text("Page %@, which begins \u201c%@\u201d:"), {page.page, page.firstWords});
        // A heading in a list, not the start of a sentence.
        if (!group.title.empty() && group.title.back() == ':') group.title.pop_back();
        for (const epub::CheckMessage& message : page.messages) {
            std::string place = message.severity + " " + message.code;
            if (message.line > 0) place += " " + text::format(texts.text("(line %@)"), {std::to_string(message.line)});
            group.places.push_back(place + ": " + message.text);
        }
        groups.push_back(std::move(group));
    }
    return groups;
}

// Only a book EPUBCheck passed is known to open everywhere.
bool passed(const epub::BookCheck& check) { return check.verdict == Verdict::Valid; }

// Runs the commands of one check, each stoppable by the author.
class StoppableShell : public Shell {
public:
    StoppableShell(Shell& shell, std::shared_ptr<std::atomic<bool>> stop) : shell_(shell), stop_(std::move(stop)) {}
    ShellResult run(const std::string& commandLine, const std::string& workingFolder,
                    std::optional<std::chrono::milliseconds> timeLimit, std::size_t outputLimit,
                    const StopRequest& stop) override {
        return shell_.run(commandLine, workingFolder, timeLimit, outputLimit,
                          [this, &stop] { return stop_->load() || (stop && stop()); });
    }

private:
    Shell& shell_;
    std::shared_ptr<std::atomic<bool>> stop_;
};

}  // namespace

Alert bookCheckAlert(const epub::BookCheck& check, const std::string& bookName, const Localizer& texts) {
    const char* title = verdictTitle(check.verdict);
    Alert alert;
    alert.titleKey = title;
    alert.title = texts.text(title);
    alert.message = epub::describeBookCheck(check, bookName, texts);
    alert.defaultButton = texts.text("OK");
    alert.critical = !passed(check);
    return alert;
}

BuildReport bookCheckReport(const epub::BookCheck& check, const std::string& epubPath, const Localizer& texts) {
    BuildReport report;
    report.outcome = passed(check) ? BuildReport::Outcome::Clean : BuildReport::Outcome::MadeWithProblems;
    report.heading = texts.text(verdictTitle(check.verdict));
    // A clean pass says no more than the heading; anything else has counts or a reason.
    const bool plainPass = passed(check) && check.warnings == 0;
    report.detail = (plainPass ? "" : verdictLine(check, paths::lastComponent(epubPath), texts) + "\n") + epubPath;
    report.bookPath = epubPath;
    report.groups = findingsOf(check, texts);
    return report;
}

void addBookCheck(BuildReport& report, const std::optional<epub::BookCheck>& check, const Localizer& texts) {
    report.checking = false;
    if (!check) {
        report.checkVerdict = texts.text("The check with EPUBCheck was stopped.");
        return;
    }
    report.checkVerdict = verdictLine(*check, paths::lastComponent(report.bookPath), texts);
    report.checkFindings = findingsOf(*check, texts);
    if (!passed(*check) && report.outcome == BuildReport::Outcome::Clean)
        report.outcome = BuildReport::Outcome::MadeWithProblems;
}

BookChecker::BookChecker(BookCheckerPorts ports, std::string command, const Localizer& texts,
                         std::function<bool()> building)
    : ports_(ports), command_(std::move(command)), texts_(texts), building_(std::move(building)) {}

BookChecker::~BookChecker() {
    lifeline_->cut();
    // The application's end does not wait minutes for a verdict nobody reads.
    stop();
}

void BookChecker::choose(const std::string& folder) {
    ports_.window.beginOpenPanel({{"epub"}, folder}, [this](int returnCode, const std::string& path) {
        if (returnCode == 1) check(path);
    });
}

void BookChecker::check(const std::string& epubPath) { check(epubPath, {}); }

void BookChecker::check(const std::string& epubPath, CheckEnded ended) {
    stop();
    // A running build owns the status line; a check beside it goes unannounced.
    if (!building_()) {
        ports_.window.setStatusText(
            text::format(texts_.text("Checking %@ with EPUBCheck\u2026"), {paths::lastComponent(epubPath)}));
        ports_.window.setStatusHidden(false);
        ports_.window.setProgressIndeterminate(true);
        ports_.window.setProgressHidden(false);
    }
    auto stopFlag = std::make_shared<std::atomic<bool>>(false);
    stop_ = stopFlag;
    // The check may outlive the checker, so it holds only what outlives
    // both and reports through the lifeline.
    ports_.checks.start([&shell = ports_.shell, &queue = ports_.mainQueue, lifeline = lifeline_, command = command_,
                         epubPath, stopFlag, ended = std::move(ended), this] {
        StoppableShell stoppable(shell, stopFlag);
        std::optional<epub::BookCheck> check = epub::checkBook(stoppable, command, epubPath);
        if (stopFlag->load()) check.reset();
        lifeline->post(queue, [this, check = std::move(check), epubPath, stopFlag, ended] {
            if (stop_ == stopFlag) stop_.reset();
            checked(check, epubPath, ended);
        });
    });
}

void BookChecker::stop() {
    if (stop_) stop_->store(true);
}

void BookChecker::checked(std::optional<epub::BookCheck> check, const std::string& epubPath, const CheckEnded& ended) {
    if (!building_() && !isChecking()) showIdle(ports_.window, texts_);
    if (check) verdict_ = check;
    if (ended) {
        ended(check);
        return;
    }
    // Stopped by the author, or by a check of another book: nothing to show.
    if (!check) return;
    ports_.window.showBookCheck(bookCheckReport(*check, epubPath, texts_));
}

}  // namespace quillary::app
