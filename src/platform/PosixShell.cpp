#include "platform/PosixShell.h"

#include "base/Utf8.h"
#include "platform/ChildProcess.h"

namespace quillary {

bool isValidUtf8(const std::string& bytes) { return utf8::isValid(bytes); }

ShellResult PosixShell::run(const std::string& commandLine, const std::string& workingFolder,
                            std::optional<std::chrono::milliseconds> timeLimit, std::size_t outputLimit,
                            const StopRequest& stop) {
    // A command with a time limit is a converter or a checker, whose helpers
    // must not outlive it; one without may start a viewer that should.
    ChildEnd end = runChild({.arguments = {"/bin/sh", "-c", commandLine},
                             .workingFolder = workingFolder,
                             .limits = {.time = timeLimit, .outputBytes = outputLimit, .addressSpace = 0},
                             .endLeftovers = timeLimit.has_value(),
                             .stopWhen = stop});
    ShellResult result;
    result.cutBytes = end.cutBytes;
    switch (end.how) {
        case ChildEnd::How::NotStarted: return {std::nullopt, ShellResult::End::NotStarted, 0};
        case ChildEnd::How::TimedOut: result.end = ShellResult::End::TimedOut; break;
        case ChildEnd::How::Stopped: result.end = ShellResult::End::Stopped; break;
        case ChildEnd::How::Signalled: result = {{}, ShellResult::End::Killed, end.code, end.cutBytes}; break;
        case ChildEnd::How::Exited: result.status = end.code; break;
    }
    if (end.cutBytes > 0)
        end.output = "[the first " + std::to_string(end.cutBytes) + " bytes of the output were cut]\n" + end.output;
    if (isValidUtf8(end.output)) result.output = std::move(end.output);
    return result;
}

}  // namespace quillary
