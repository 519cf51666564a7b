#include "fakes/FakeShell.h"

namespace quillary::testing {

void FakeShell::answer(const std::string& contains, std::optional<std::string> output) {
    answerWith(contains, [output](const Call&) { return output; });
}

void FakeShell::answerWith(const std::string& contains,
                           std::function<std::optional<std::string>(const Call&)> handler) {
    answerWithResult(contains, [handler = std::move(handler)](const Call& call) {
        return ShellResult{handler(call), ShellResult::End::Exited, 0};
    });
}

void FakeShell::answerWithResult(const std::string& contains, std::function<ShellResult(const Call&)> handler) {
    std::lock_guard lock(mutex_);
    rules_.push_back({contains, std::move(handler)});
}

ShellResult FakeShell::run(const std::string& commandLine, const std::string& workingFolder,
                           std::optional<std::chrono::milliseconds> timeLimit, std::size_t outputLimit,
                           const StopRequest& stop) {
    std::function<ShellResult(const Call&)> handler;
    const Call call{commandLine, workingFolder, timeLimit, outputLimit, stop};
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(call);
        for (const Rule& rule : rules_) {
            if (commandLine.find(rule.contains) != std::string::npos) {
                handler = rule.handler;
                break;
            }
        }
    }
    if (handler) return handler(call);
    if (passThrough) return real_.run(commandLine, workingFolder, timeLimit, outputLimit, stop);
    return ShellResult{std::string{}, ShellResult::End::Exited, 0};
}

std::vector<FakeShell::Call> FakeShell::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::size_t FakeShell::countCalls(const std::string& part) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const Call& call : calls_)
        if (call.commandLine.find(part) != std::string::npos) ++n;
    return n;
}

}  // namespace quillary::testing
