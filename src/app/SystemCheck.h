#pragma once
// Whether the running system is one the application supports.

#include <string_view>

namespace quillary::app {

// The oldest kernel we support: the first with everything the build relies on
// (posix_spawn's working-folder extension aside, which glibc provides).
inline constexpr int kOldestKernelMajor = 4;
inline constexpr int kOldestKernelMinor = 19;

// `release` is the kernel's release text as uname reports it ("6.1.0-18-amd64").
// A text that does not start with "MAJOR.MINOR" is taken as supported: a
// system we cannot read is not refused.
bool kernelIsSupported(std::string_view release);

// The running kernel's release text.
std::string_view runningKernelRelease();

}  // namespace quillary::app
