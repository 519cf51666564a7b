#include "cli/Terminal.h"

#include <unistd.h>

namespace quillary::cli {

Terminal::Terminal(std::FILE* messages) : Terminal(messages, ::isatty(::fileno(messages)) != 0) {}

Terminal::Terminal(std::FILE* messages, bool terminal) : out_(messages), terminal_(terminal) {}

void Terminal::showStep(const std::string& name, bool counted) {
    step_ = name;
    stepShown_ = true;
    counted_ = counted;
    fraction_ = 0;
    drawnPercent_ = -1;
    draw();
}

void Terminal::showProgress(double fraction) {
    fraction_ = fraction;
    draw();
}

void Terminal::tick() {
    if (counted_) return;
    ++spinnerFrame_;
    drawnPercent_ = -1;
    draw();
}

void Terminal::endStep() {
    stepShown_ = false;
    clearLine();
}

void Terminal::draw() {
    if (!terminal_ || !stepShown_) return;
    if (!counted_) {
        // A step of unknown length (a .doc going through LibreOffice takes
        // seconds): a turning spinner shows the program is still at work.
        static constexpr char kFrames[] = {'|', '/', '-', '\\'};
        std::fprintf(out_, "\r\033[K%c %s", kFrames[spinnerFrame_ % sizeof kFrames], step_.c_str());
        std::fflush(out_);
        lineDrawn_ = true;
        return;
    }
    constexpr int kWidth = 30;
    int percent = static_cast<int>(100.0 * fraction_);
    percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    if (percent == drawnPercent_) return;
    drawnPercent_ = percent;
    std::string bar(kWidth, ' ');
    bar.replace(0, static_cast<std::size_t>(kWidth * percent / 100), static_cast<std::size_t>(kWidth * percent / 100),
                '#');
    std::fprintf(out_, "\r\033[K[%s] %s %d%%", bar.c_str(), step_.c_str(), percent);
    std::fflush(out_);
    lineDrawn_ = true;
}

void Terminal::clearLine() {
    if (!lineDrawn_) return;
    std::fprintf(out_, "\r\033[K");
    std::fflush(out_);
    lineDrawn_ = false;
    drawnPercent_ = -1;
}

void Terminal::say(const std::string& line) {
    clearLine();
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
}

void Terminal::showAlert(const Alert& alert) {
    shown_.push_back(alert);
    // The converter check runs before the build and again when the build
    // finds no converter; one line on the terminal says it.
    const std::string text = alert.title + ": " + alert.message;
    if (!unprintedKeys_.count(alert.titleKey) && printedAlerts_.insert(text).second) say(text);
    if (alert.onEnd) alert.onEnd(kAlertAlternateButton);
}

}  // namespace quillary::cli
