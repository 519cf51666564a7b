#pragma once
// Alerts: a title, a message and one or two buttons, shown to the author
// as the front end can (a sheet on the main window, lines on a terminal).

#include <functional>
#include <string>

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

class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;
    // Shows the alert and returns at once; `onEnd` is called when it is
    // dismissed, perhaps at once where no one can answer. Main thread.
    virtual void showAlert(const Alert& alert) = 0;
};

}  // namespace quillary
