#pragma once
// Alerts: a title, a message and one or two buttons, shown to the author
// as the front end can (a sheet on the main window, lines on a terminal).

#include <functional>
#include <string>
#include <vector>

namespace quillary {

// Return codes of an alert's buttons, as the end callbacks see them.
inline constexpr int kAlertDefaultButton = 1;
inline constexpr int kAlertAlternateButton = 0;

struct Alert {
    std::string titleKey{};         // the localised key of the title, for reports
    std::string title{};            // already looked up and formatted
    std::string message{};          // informative text, already formatted
    std::string defaultButton{};    // e.g. the localised "OK"
    std::string alternateButton{};  // empty: a single-button alert
    bool critical = true;
    // Called with the return code once the author dismisses the alert; may be
    // empty (the button only dismisses it).
    std::function<void(int returnCode)> onEnd{};
};

// What one build made and found, as a front end shows it after the build:
// one report for every build, whatever its outcome.
struct BuildReport {
    enum class Outcome { Clean, MadeWithProblems, NotMade };
    // One kind of problem and every place the build found it.
    struct Group {
        std::string titleKey{};             // the localised key of its title, for reports
        std::string title{};                // "Some cross-references have no bookmark"
        std::string explanation{};          // what it means and what to do
        std::vector<std::string> places{};  // file, bookmark, note, link or picture; may be empty
    };

    Outcome outcome = Outcome::Clean;
    std::string heading{};     // "Made “The Lighthouse”", or why no book was made
    std::string detail{};      // the book's path and version, or the failure's message
    std::string bookPath{};    // empty when no book was made
    std::string kindlePath{};  // empty when no Kindle file was made
    std::string kindleNote{};  // why the Kindle file asked for was not made, or ""
    std::vector<Group> groups{};
    // EPUBCheck's verdict on the book, when the author asked for a check.
    bool checking = false;               // the check runs; its verdict replaces this report
    std::string checkVerdict{};          // "" when no check was asked for
    std::vector<Group> checkFindings{};  // EPUBCheck's messages, one group per page
};

class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    // Shows the alert and returns at once; `onEnd` is called when it is
    // dismissed, perhaps at once where no one can answer. Main thread.
    virtual void showAlert(const Alert& alert) = 0;
};

}  // namespace quillary
