#pragma once
// The shell runner on POSIX: posix_spawn of /bin/sh -c with one pipe.

#include "platform/Shell.h"

namespace quillary {

class PosixShell : public Shell {
public:
    ShellResult run(const std::string& commandLine, const std::string& workingFolder = {},
                    std::optional<std::chrono::milliseconds> timeLimit = std::nullopt,
                    std::size_t outputLimit = kShellOutputLimit, const StopRequest& stop = {}) override;
};

// True when `bytes` is well-formed UTF-8 (no overlongs, no surrogates, nothing
// above U+10FFFF).
bool isValidUtf8(const std::string& bytes);

}  // namespace quillary
