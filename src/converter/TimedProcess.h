#pragma once
// Running an outside program (LibreOffice) under a time and a memory limit,
// keeping the end of what it printed so that a failure can say what the
// program said.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace conv {

struct ProcessLimits {
    std::chrono::milliseconds time;
    std::uint64_t addressSpace = 0;  // bytes, for the program and all it starts; 0 for none
};

struct ProcessEnd {
    enum class How { Exited, Signalled, TimedOut, OutOfMemory, NotStarted };
    How how = How::NotStarted;
    int code = 0;      // the exit status, the signal, or the errno of a failed start
    std::string said;  // the end of its standard output and error
    bool succeeded() const { return how == How::Exited && code == 0; }
};

// Runs arguments[0] without a shell of ours (so no character of a path is
// shell syntax), with standard input from /dev/null, in a process group of
// its own. When the time limit passes, the whole group is killed
// (TimedOut). A run that fails while holding at least half its memory
// limit is put down to the limit (OutOfMemory). Blocks the caller until
// then.
ProcessEnd runWithLimits(const std::vector<std::string>& arguments, const ProcessLimits& limits);

// "exited with status 1", "was stopped by signal 9", "took longer than 3
// minutes and was stopped", "needed more than 4 GB of memory", "could not
// be started (...)".
std::string describeEnd(const ProcessEnd& end, const ProcessLimits& limits);

// The last lines (at most a few hundred characters) of a program's output,
// on one line.
std::string lastLines(const std::string& output);

}  // namespace conv
