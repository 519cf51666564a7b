#pragma once
// What a person sees of the command line on standard error: lines, alerts,
// and, while a build runs, a spinner with the step's name (a step of unknown
// length) or a bar of how far the step is. Progress is drawn only when
// standard error is a terminal: a pipe or a log gets none of it.

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "platform/Alerts.h"

namespace quillary::cli {

class Terminal : public AlertPresenter {
public:
    explicit Terminal(std::FILE* messages = stderr);
    // `terminal`: a person watches `messages`, so progress is drawn there.
    Terminal(std::FILE* messages, bool terminal);

    // Prints a line, on a line of its own even while progress is drawn.
    void say(const std::string& line);

    // A step begins: its name beside a spinner, or, when `counted`, beside a
    // bar that showProgress fills.
    void showStep(const std::string& name, bool counted);
    void showProgress(double fraction);
    // Moves the spinner on; called whenever the main loop has waited a
    // moment for the next thing to happen.
    void tick();
    // The step has ended: its line goes.
    void endStep();

    // Prints "title: message", once for each text however often it is
    // shown, unless its title key is one of those left unprinted; records
    // it for the report; and, as no one can press a button, ends it as
    // dismissed.
    void showAlert(const Alert& alert) override;
    // Alerts with these title keys are not printed: the command line
    // reports what they say in its own way (the problems, one per line).
    void leaveUnprinted(std::set<std::string> titleKeys) { unprintedKeys_ = std::move(titleKeys); }
    // Every alert shown, in order.
    const std::vector<Alert>& alertsShown() const { return shown_; }

private:
    void draw();
    void clearLine();

    std::FILE* out_;
    bool terminal_;
    std::string step_;
    bool stepShown_ = false, counted_ = false;
    double fraction_ = 0;
    int drawnPercent_ = -1;
    std::size_t spinnerFrame_ = 0;
    bool lineDrawn_ = false;
    std::vector<Alert> shown_;
    std::set<std::string> printedAlerts_;
    std::set<std::string> unprintedKeys_;
};

}  // namespace quillary::cli
