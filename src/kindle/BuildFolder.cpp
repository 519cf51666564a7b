#include "kindle/BuildFolder.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "base/Text.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::kindle {

namespace {

// The name marks the folder as ours: removeBuildFolder refuses anything else.
constexpr const char* kPrefix = "quillary-build-";
constexpr const char* kPackageFolder = "epub";
// Beside "epub", so that it never reaches the book: the owning process's id.
constexpr const char* kOwnerFile = "owner";

std::string temporaryBase(const std::string& tempParent) {
    return tempParent.empty() ? files::temporaryFolder() : tempParent;
}

// A folder is abandoned only when its owner is known and no longer runs: a
// folder without an owner file may belong to a build that is just starting,
// and one whose owner cannot be signalled belongs to another user's process.
bool ownerIsGone(const std::string& folder) {
    const auto owner = files::readFile(paths::join(folder, kOwnerFile));
    if (!owner) return false;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(owner->data(), owner->data() + owner->size(), pid);
    if (error != std::errc() || end != owner->data() + owner->size() || pid <= 0) return false;
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// A killed build never reached its clean-up; the next one does it.
void removeAbandonedFolders(const std::string& base) {
    for (const std::string& name : files::listFolder(base)) {
        const std::string folder = paths::join(base, name);
        if (text::startsWith(name, kPrefix) && ownerIsGone(folder)) (void)files::removeAll(folder);
    }
}

std::optional<std::string> makePrivateFolder(const std::string& base) {
    (void)files::makeFolders(base);  // mkdtemp says when it is missing
    std::string pattern = paths::join(base, std::string(kPrefix) + "XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return pattern;
}


}  // namespace

std::optional<std::string> makeBuildFolder(const std::string& tempParent) {
    const std::string base = temporaryBase(tempParent);
    removeAbandonedFolders(base);
    const auto folder = makePrivateFolder(base);
    if (!folder) return std::nullopt;
    const std::string epub = paths::join(*folder, kPackageFolder);
    if (!files::writeScratchFile(paths::join(*folder, kOwnerFile), std::to_string(::getpid())) ||
        !files::makeFolders(epub)) {
        (void)files::removeAll(*folder);
        return std::nullopt;
    }
    return epub;
}

bool removeBuildFolder(const std::string& epubFolder) {
    if (paths::lastComponent(epubFolder) != kPackageFolder) return false;
    const std::string folder = paths::deletingLastComponent(epubFolder);
    if (!text::startsWith(paths::lastComponent(folder), kPrefix)) return false;
    return files::removeAll(folder).ok();
}

}  // namespace quillary::kindle
