#pragma once
// The `quillary` command: arguments in, a book (and a report) out.

#include <string>
#include <vector>

namespace quillary::cli {

// Runs the command line and returns the exit status: 0 when the EPUB was
// made (or the command succeeded), 1 when the build failed, 2 for usage.
int runCommandLine(const std::vector<std::string>& arguments);

}  // namespace quillary::cli
