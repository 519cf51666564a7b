#pragma once
// Running an outside program as a child process with bounds on everything it
// can cost us: how long it runs, how much of its output we keep, how much
// memory it may take. The shell runner and the converter's LibreOffice runs
// both go through here.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillary {

struct ChildLimits {
    // Past it, the child's whole process group is killed. None: it may run
    // for ever.
    std::optional<std::chrono::milliseconds> time;
    // Of its output, only the last this many bytes are kept.
    std::size_t outputBytes = 4 * 1024 * 1024;
    // The address space (RLIMIT_AS) of the child and of every process it
    // starts, in bytes; 0 for none.
    std::uint64_t addressSpace = 0;
};

struct ChildSpec {
    std::vector<std::string> arguments;  // the program's path first; no shell
    std::string workingFolder;           // "" for ours
    ChildLimits limits;
    // Whether what the child started and left running when it ended (a
    // helper holding its output, say) is killed then; otherwise it stays,
    // as a program started in the background should.
    bool endLeftovers = false;
    // Asked now and then while the child runs (about ten times a second, on
    // the calling thread); once it answers true, the child's process group
    // gets SIGTERM, so that a converter can stop what it started in groups
    // of its own (LibreOffice) and remove its folders, and SIGKILL after
    // kStopGrace. Empty: never stopped.
    std::function<bool()> stopWhen{};
};

inline constexpr std::chrono::milliseconds kStopGrace{3000};

struct ChildEnd {
    enum class How {
        Exited,      // `code` is its exit status
        Signalled,   // `code` is the signal
        TimedOut,    // the time limit passed and it was stopped
        Stopped,     // stopWhen asked it to stop
        NotStarted,  // `code` is the errno
    };
    How how = How::NotStarted;
    int code = 0;
    // Standard output and standard error as they reached their one pipe.
    std::string output;
    // How many bytes of the output's beginning the limit cut off.
    std::uint64_t cutBytes = 0;
    // The most memory the child held at once, or any process it started and
    // waited for (such as the program a wrapper script runs), in bytes.
    std::uint64_t peakResidentBytes = 0;
};

// Runs the child with standard input from /dev/null and both output streams
// into one pipe, and blocks until it ends (or its time limit passes). The
// child leads a process group of its own, so that it is stopped together
// with everything it started: at its time limit, and by the signal clean-up,
// with which it is registered while it runs (a terminal's Ctrl-C reaches
// only our own group). It is waited for as a process: once it has ended,
// what it wrote is read, and a helper that it left holding the pipe no
// longer holds the caller up. Any thread.
ChildEnd runChild(const ChildSpec& spec);

}  // namespace quillary
