#include "cli/CliWindow.h"

#include <unistd.h>

#include "app/BookInformation.h"

namespace quillary {

CliWindow::CliWindow(std::FILE* messages) : CliWindow(messages, ::isatty(::fileno(messages)) != 0) {}

CliWindow::CliWindow(std::FILE* messages, bool terminal) : out_(messages), terminal_(terminal), date_(today()) {}

void CliWindow::answerSavePanelWith(const std::string& name, const std::string& folder) {
    saveName_ = name;
    saveFolder_ = folder;
}

std::string CliWindow::fieldText(BookField field) const {
    auto it = fields_.find(field);
    return it == fields_.end() ? std::string{} : it->second;
}

void CliWindow::setStatusHidden(bool hidden) {
    statusShown_ = !hidden;
    if (hidden) clearProgressLine();
    else drawProgress();
}

void CliWindow::setStatusText(const std::string& text) {
    status_ = text;
    drawnPercent_ = -1;
    drawProgress();
}

void CliWindow::setProgressHidden(bool hidden) {
    if (hidden) clearProgressLine();
}

void CliWindow::setProgressIndeterminate(bool on) {
    indeterminate_ = on;
    drawnPercent_ = -1;
    drawProgress();
}

void CliWindow::setProgressRange(double minimum, double maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
}

void CliWindow::setProgressValue(double value) {
    value_ = value;
    drawProgress();
}

void CliWindow::tick() {
    if (!indeterminate_) return;
    ++spinnerFrame_;
    drawnPercent_ = -1;
    drawProgress();
}

void CliWindow::drawProgress() {
    // Progress is for a person watching; a pipe or a log gets none of it.
    // The status line comes and goes with the bar, and is hidden first
    // when a build ends: the line is drawn only while it shows.
    if (!terminal_ || !statusShown_) return;
    if (indeterminate_) {
        // A step of unknown length (a .doc going through LibreOffice takes
        // seconds): a turning spinner shows the program is still at work.
        static constexpr char kFrames[] = {'|', '/', '-', '\\'};
        std::fprintf(out_, "\r\033[K%c %s", kFrames[spinnerFrame_ % sizeof kFrames], status_.c_str());
        std::fflush(out_);
        lineDrawn_ = true;
        return;
    }
    constexpr int kWidth = 30;
    int percent = 0;
    if (maximum_ > minimum_) percent = static_cast<int>(100.0 * (value_ - minimum_) / (maximum_ - minimum_));
    percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    if (percent == drawnPercent_) return;
    drawnPercent_ = percent;
    std::string bar(kWidth, ' ');
    bar.replace(0, static_cast<std::size_t>(kWidth * percent / 100),
                static_cast<std::size_t>(kWidth * percent / 100), '#');
    std::fprintf(out_, "\r\033[K[%s] %s %d%%", bar.c_str(), status_.c_str(), percent);
    std::fflush(out_);
    lineDrawn_ = true;
}

void CliWindow::clearProgressLine() {
    if (!lineDrawn_) return;
    std::fprintf(out_, "\r\033[K");
    std::fflush(out_);
    lineDrawn_ = false;
    drawnPercent_ = -1;
}

void CliWindow::say(const std::string& line) {
    clearProgressLine();
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
}

void CliWindow::showAlert(const Alert& alert) {
    // The converter check runs before the build and again when the build
    // finds no converter; one line on the terminal says it.
    const std::string text = alert.title + ": " + alert.message;
    if (!unprintedKeys_.count(alert.titleKey) && printedAlerts_.insert(text).second) say(text);
    // No one is there to press a button: the alert ends as dismissed.
    if (alert.onEnd) alert.onEnd(kAlertAlternateButton);
}

void CliWindow::beginSavePanel(const SavePanelRequest& request, SavePanelEnded ended) {
    ended(saveName_.empty() ? request.proposedName : saveName_,
          saveFolder_.empty() ? request.directory : saveFolder_, 1);
}

}  // namespace quillary
