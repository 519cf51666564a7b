#pragma once
// Help → Check Book…, and the check after a build when the author wants it:
// EPUBCheck runs off the main thread, and its verdict comes back as an
// alert, grouped by page. Main thread.

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

    // An open panel for a book, starting in `folder`, then check().
    void choose(const std::string& folder);
    // Checks the book; the verdict is shown when it comes.
    void check(const std::string& epubPath);
    // The last verdict that came; nullopt before the first.
    const std::optional<epub::BookCheck>& lastVerdict() const { return verdict_; }

private:
    void checked(epub::BookCheck check, const std::string& epubPath);

    BookCheckerPorts ports_;
    std::string command_;
    const Localizer& texts_;
    std::function<bool()> building_;
    std::optional<epub::BookCheck> verdict_;
    // Cut by the destructor: a check that ends after the checker has gone
    // (the window closed meanwhile) drops its verdict.
    std::shared_ptr<Lifeline> lifeline_ = std::make_shared<Lifeline>();
};

}  // namespace quillary::app
