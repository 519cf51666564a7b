#include "fakes/FakeShell.h"

namespace quillary::testing {

void FakeShell::answer(const std::string& contains, std::optional<std::string> output) {
    answerWith(contains, [output](const Call&) { return output; });
}

void FakeShell::answerWith(const std::string& contains,
                           std::function<std::optional<std::string>(const Call&)> handler) {
    std::lock_guard lock(mutex_);
    rules_.push_back({contains, std::move(handler)});
}

std::optional<std::string> FakeShell::run(const std::string& commandLine,
                                          const std::string& workingFolder) {
    std::function<std::optional<std::string>(const Call&)> handler;
    {
        std::lock_guard lock(mutex_);
        calls_.push_back({commandLine, workingFolder});
        for (const Rule& rule : rules_) {
            if (commandLine.find(rule.contains) != std::string::npos) {
                handler = rule.handler;
                break;
            }
        }
    }
    if (handler) return handler({commandLine, workingFolder});
    if (passThrough) return real_.run(commandLine, workingFolder);
    return std::string{};
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
