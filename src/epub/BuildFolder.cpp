#include "epub/BuildFolder.h"

#include <cstdlib>

#include "build/Text.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::package {

namespace {

// The name marks the folder as ours: removeBuildFolder refuses anything else.
constexpr const char* kPrefix = "quillary-build-";
constexpr const char* kPackageFolder = "epub";

std::optional<std::string> makePrivateFolder(const std::string& tempParent) {
    if (tempParent.empty()) return files::makePrivateTempFolder(kPrefix);
    files::makeFolders(tempParent);
    std::string pattern = paths::join(tempParent, std::string(kPrefix) + "XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return pattern;
}

}  // namespace

std::optional<std::string> makeBuildFolder(const std::string& tempParent) {
    const auto folder = makePrivateFolder(tempParent);
    if (!folder) return std::nullopt;
    const std::string epub = paths::join(*folder, kPackageFolder);
    if (!files::makeFolders(epub)) {
        files::removeAll(*folder);
        return std::nullopt;
    }
    return epub;
}

bool removeBuildFolder(const std::string& epubFolder) {
    if (paths::lastComponent(epubFolder) != kPackageFolder) return false;
    const std::string folder = paths::deletingLastComponent(epubFolder);
    if (!text::startsWith(paths::lastComponent(folder), kPrefix)) return false;
    return files::removeAll(folder);
}

}  // namespace quillary::package
