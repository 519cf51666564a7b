#pragma once
// The shell runner: the one way the program runs outside commands.

#include <optional>
#include <string>

namespace quillary {

class Shell {
public:
    virtual ~Shell() = default;

    // Runs `commandLine` as "/bin/sh" "-c" commandLine, with standard input
    // from the null device and standard output and standard error sharing one
    // pipe, so both streams arrive interleaved in the order they were written.
    // `workingFolder`, when not empty, is the child's current directory; the
    // caller's own stays put. Blocks until every process holding the pipe has
    // closed it; the child is reaped; no time limit. Returns the output, or
    // nullopt when it is not valid UTF-8 or the process could not be started.
    // Safe to call from any thread.
    virtual std::optional<std::string> run(const std::string& commandLine,
                                           const std::string& workingFolder = {}) = 0;
};

}  // namespace quillary
