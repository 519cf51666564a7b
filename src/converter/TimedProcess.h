#pragma once
// Running an outside program (LibreOffice) with a time limit, its output kept
// in a file so that a failure can say what the program said.

#include <chrono>
#include <string>
#include <vector>

namespace conv {

struct ProcessEnd {
    enum class How { Exited, Signalled, TimedOut, NotStarted };
    How how = How::NotStarted;
    int code = 0;  // the exit status, the signal, or the errno of a failed start
    bool succeeded() const { return how == How::Exited && code == 0; }
};

// Runs arguments[0] without a shell (so no character of a path is shell
// syntax), with standard input from /dev/null and standard output and error
// both written to `logFile`, in a process group of its own. When `limit`
// passes first, the whole group is killed and the result is TimedOut.
// Blocks the caller until then.
ProcessEnd runWithTimeLimit(const std::vector<std::string>& arguments, const std::string& logFile,
                            std::chrono::milliseconds limit);

// "exited with status 1", "was stopped by signal 9", "did not finish within
// 180 seconds and was stopped (timed out)", "could not be started (...)".
std::string describeEnd(const ProcessEnd& end, std::chrono::milliseconds limit);

// The last lines (at most a few hundred characters) of a log, on one line.
std::string endOfLog(const std::string& logFile);

}  // namespace conv
