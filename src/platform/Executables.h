#pragma once
// Finding programs the way the shell does.

#include <optional>
#include <string>

namespace quillary {

// The first executable regular file named `name` in the folders of $PATH;
// a name holding "/" is taken as a path and only checked.
std::optional<std::string> findExecutableOnPath(const std::string& name);

// The path of the running program (from /proc/self/exe), or "" when unknown.
std::string runningExecutablePath();

}  // namespace quillary
