#pragma once
// Help → Check Book…, and the check after a build when the author wants it:
// EPUBCheck runs off the main thread, and its verdict comes back grouped by
// page, in a view of its own or in the build's report. Main thread.

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "epub/BookCheck.h"
#include "platform/BackgroundRunner.h"
#include "platform/Lifeline.h"
#include "platform/Localizer.h"
#include "platform/MainQueue.h"
#include "platform/Shell.h"
#include "platform/Window.h"

namespace quillary::app {

// The verdict on the book `bookName` as an alert for the author.
Alert bookCheckAlert(const epub::BookCheck& check, const std::string& bookName, const Localizer& texts);

// The verdict on the book at `epubPath` as a report of its own: the verdict
// as its heading, the counts under it, EPUBCheck's messages grouped by page.
// A book that fails, or could not be checked, is made with problems.
BuildReport bookCheckReport(const epub::BookCheck& check, const std::string& epubPath, const Localizer& texts);

// Lays the verdict of the check after a build over the build's report
// (nullopt: the author stopped the check). A book that fails EPUBCheck, or
// could not be checked, was made with problems.
void addBookCheck(BuildReport& report, const std::optional<epub::BookCheck>& check, const Localizer& texts);

// What the checker talks through; all outlive it.
struct BookCheckerPorts {
    Shell& shell;
    Window& window;
    BackgroundRunner& checks;  // never the build's runner
    MainQueue& mainQueue;
};

class BookChecker {
public:
    // `command` is EPUBCheck's command line without the book ("" when not
    // installed); `building` says whether a build owns the status line.
    BookChecker(BookCheckerPorts ports, std::string command, const Localizer& texts, std::function<bool()> building);
    BookChecker(const BookChecker&) = delete;
    BookChecker& operator=(const BookChecker&) = delete;
    ~BookChecker();

    // The verdict of a check, or nullopt when the author stopped it.
    using CheckEnded = std::function<void(const std::optional<epub::BookCheck>& verdict)>;

    // An open panel for a book, starting in `folder`, then check().
    void choose(const std::string& folder);
    // Checks the book; the verdict is shown in the window's check view.
    void check(const std::string& epubPath);
    // Checks the book and hands the verdict to `ended` instead.
    void check(const std::string& epubPath, CheckEnded ended);
    // Stops the running check, which then ends as stopped. A check asked
    // for while another runs stops the other first, so that the window never
    // waits for a check to end by itself.
    void stop();
    bool isChecking() const { return stop_ != nullptr; }
    // The last verdict that came; nullopt before the first.
    const std::optional<epub::BookCheck>& lastVerdict() const { return verdict_; }

private:
    void checked(std::optional<epub::BookCheck> check, const std::string& epubPath, const CheckEnded& ended);

    BookCheckerPorts ports_;
    std::string command_;
    const Localizer& texts_;
    std::function<bool()> building_;
    std::optional<epub::BookCheck> verdict_;
    // The running check's stop flag; null while none runs.
    std::shared_ptr<std::atomic<bool>> stop_;
    // Cut by the destructor: a check that ends after the checker has gone
    // (the window closed meanwhile) drops its verdict.
    std::shared_ptr<Lifeline> lifeline_ = std::make_shared<Lifeline>();
};

}  // namespace quillary::app
