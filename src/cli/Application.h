#pragma once
// The `quillary` command: the window's build chain, run headless.

#include <string>
#include <vector>

namespace quillary {

// Runs the command line and returns the exit status: 0 when the EPUB was
// made (or the command succeeded), 1 when the build failed, 2 for usage.
int runCommandLine(const std::vector<std::string>& arguments);

}  // namespace quillary
