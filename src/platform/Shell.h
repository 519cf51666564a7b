#pragma once
// The shell runner: the one way the program runs outside commands.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quillary {

// Asked while a command runs: true once it should stop. Any thread.
using StopRequest = std::function<bool()>;

// How a command ended, with what it printed.
struct ShellResult {
    enum class End {
        Exited,      // the shell exited by itself; `status` is its exit status
        Killed,      // a signal ended it; `status` is the signal's number
        TimedOut,    // it outlived its time limit and was stopped
        Stopped,     // `stop` asked it to stop, and it was
        NotStarted,  // no process could be made
    };
    // The output, or nullopt when it is not valid UTF-8 or nothing ran.
    // When the output limit cut its beginning off, it starts with a line
    // that says how much was cut.
    std::optional<std::string> output;
    End end = End::Exited;
    int status = 0;
    // Bytes of the output's beginning that the limit cut off.
    std::uint64_t cutBytes = 0;

    bool exitedCleanly() const { return end == End::Exited && status == 0; }
};

// A converter's or a checker's report, with room for tens of thousands of
// its lines; what a command prints beyond it (a converter gone wild can
// print gigabytes) is not worth the memory.
inline constexpr std::size_t kShellOutputLimit = 4 * 1024 * 1024;

class Shell {
public:
    virtual ~Shell() = default;

    // Runs `commandLine` as "/bin/sh" "-c" commandLine, with standard input
    // from the null device and standard output and standard error sharing one
    // pipe, so both streams arrive interleaved in the order they were written.
    // `workingFolder`, when not empty, is the child's current directory; the
    // caller's own stays put. The shell leads a process group of its own, so
    // that everything it starts is ended with it: at its time limit, and by
    // the signal clean-up (a terminal's Ctrl-C reaches only our own group).
    // Blocks until the shell has ended and what it wrote has been read: a
    // helper it left holding the pipe does not hold the caller up. Of the
    // output, the last `outputLimit` bytes are kept. With a `timeLimit`, the
    // whole group is killed when the limit passes (End::TimedOut) or, if
    // anything of it is left, when the shell ends; without one, the shell
    // may run for ever, and what it starts in the background stays. `stop`,
    // when given, is asked about ten times a second while the shell runs; once
    // it answers true the whole group is stopped (SIGTERM, then SIGKILL) and
    // the result is End::Stopped. Safe to call from any thread.
    virtual ShellResult run(const std::string& commandLine, const std::string& workingFolder = {},
                            std::optional<std::chrono::milliseconds> timeLimit = std::nullopt,
                            std::size_t outputLimit = kShellOutputLimit, const StopRequest& stop = {}) = 0;
};

}  // namespace quillary
