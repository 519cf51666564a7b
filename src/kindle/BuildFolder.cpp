#include "kindle/BuildFolder.h"

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/PrivateFolders.h"

namespace quillary::kindle {

namespace {

// The name marks the folder as ours: removeBuildFolder refuses anything else.
constexpr const char* kPrefix = "quillary-build-";
// Beside the owner file, so that it never reaches the book.
constexpr const char* kPackageFolder = "epub";

}  // namespace

std::optional<std::string> makeBuildFolder(const std::string& tempParent) {
    const auto folder = privatefolders::make(tempParent, kPrefix);
    if (!folder) return std::nullopt;
    const std::string epub = paths::join(*folder, kPackageFolder);
    if (!files::makeFolders(epub)) {
        privatefolders::remove(*folder, kPrefix);
        return std::nullopt;
    }
    return epub;
}

bool removeBuildFolder(const std::string& epubFolder) {
    if (paths::lastComponent(epubFolder) != kPackageFolder) return false;
    return privatefolders::remove(paths::deletingLastComponent(epubFolder), kPrefix);
}

}  // namespace quillary::kindle
