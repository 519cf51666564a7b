#pragma once
// The shell runner: the one way the program runs outside commands.

#include <chrono>
#include <optional>
#include <string>

namespace quillary {

// How a command ended, with what it printed.
struct ShellResult {
    enum class End {
        Exited,      // the shell exited by itself; `status` is its exit status
        Killed,      // a signal ended it; `status` is the signal's number
        TimedOut,    // it outlived its time limit and was stopped
        NotStarted,  // no process could be made
    };
    // The output, or nullopt when it is not valid UTF-8 or nothing ran.
    std::optional<std::string> output;
    End end = End::Exited;
    int status = 0;

    bool exitedCleanly() const { return end == End::Exited && status == 0; }
};

class Shell {
public:
    virtual ~Shell() = default;

    // Runs `commandLine` as "/bin/sh" "-c" commandLine, with standard input
    // from the null device and standard output and standard error sharing one
    // pipe, so both streams arrive interleaved in the order they were written.
    // `workingFolder`, when not empty, is the child's current directory; the
    // caller's own stays put. Blocks until every process holding the pipe has
    // closed it; the child is reaped. With a `timeLimit`, the child runs in a
    // process group of its own, and the whole group is killed when the limit
    // passes (End::TimedOut); without one, it may run for ever. Safe to call
    // from any thread.
    virtual ShellResult run(const std::string& commandLine, const std::string& workingFolder = {},
                            std::optional<std::chrono::milliseconds> timeLimit = std::nullopt) = 0;
};

}  // namespace quillary
