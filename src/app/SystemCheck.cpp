#include "app/SystemCheck.h"

#include <sys/utsname.h>

#include <charconv>
#include <string>

namespace quillary::app {

namespace {

// Reads a decimal number at the front of `text` and moves past it.
bool readNumber(std::string_view& text, int& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{}) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

}  // namespace

bool kernelIsSupported(std::string_view release) {
    int major = 0;
    int minor = 0;
    if (!readNumber(release, major) || release.empty() || release.front() != '.') return true;
    release.remove_prefix(1);
    if (!readNumber(release, minor)) return true;
    return major > kOldestKernelMajor || (major == kOldestKernelMajor && minor >= kOldestKernelMinor);
}

std::string_view runningKernelRelease() {
    static const std::string release = [] {
        utsname names{};
        return ::uname(&names) == 0 ? std::string(names.release) : std::string();
    }();
    return release;
}

}  // namespace quillary::app
