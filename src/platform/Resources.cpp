#include "platform/Resources.h"

#include "base/Text.h"
#include "platform/Paths.h"

namespace quillary {

std::string Resources::versioned(const std::string& pattern, bool epub3) {
    return text::replacedAll(pattern, "%d", epub3 ? "3" : "2");
}

std::string Resources::locate(const std::string& executablePath) {
    const std::string binFolder = paths::deletingLastComponent(executablePath);
    return paths::join(paths::deletingLastComponent(binFolder.empty() ? "." : binFolder),
                       "share/quillary");
}

}  // namespace quillary
