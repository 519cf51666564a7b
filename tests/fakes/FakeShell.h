#pragma once
// A shell that answers from a script and keeps every command it saw.
// Commands without a scripted answer go to the real shell when passThrough
// is on (end-to-end style unit tests), else answer "" with a clean exit.

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/PosixShell.h"

namespace quillary::testing {

class FakeShell : public Shell {
public:
    struct Call {
        std::string commandLine;
        std::string workingFolder;
        std::optional<std::chrono::milliseconds> timeLimit;
        std::size_t outputLimit = kShellOutputLimit;
        StopRequest stop{};  // what the command was given to ask whether to stop
    };

    // The first rule whose `contains` text occurs in the command answers it,
    // with a clean exit. An answer of nullopt stands for output that was not
    // valid UTF-8.
    void answer(const std::string& contains, std::optional<std::string> output);
    // A rule that runs code (e.g. writes the file a converter would write).
    void answerWith(const std::string& contains,
                    std::function<std::optional<std::string>(const Call&)> handler);
    // A rule that gives the whole result: a command that fails or is stopped.
    void answerWithResult(const std::string& contains, std::function<ShellResult(const Call&)> handler);
    bool passThrough = false;

    ShellResult run(const std::string& commandLine, const std::string& workingFolder = {},
                    std::optional<std::chrono::milliseconds> timeLimit = std::nullopt,
                    std::size_t outputLimit = kShellOutputLimit, const StopRequest& stop = {}) override;

    std::vector<Call> calls() const;
    // Commands seen whose text contains `part`.
    std::size_t countCalls(const std::string& part) const;

private:
    struct Rule {
        std::string contains;
        std::function<ShellResult(const Call&)> handler;
    };
    mutable std::mutex mutex_;
    std::vector<Rule> rules_;
    std::vector<Call> calls_;
    PosixShell real_;
};

}  // namespace quillary::testing
