#include "platform/PrivateFolders.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"
#include "platform/SignalCleanup.h"

namespace quillary::privatefolders {

namespace {

constexpr const char* kOwnerFile = "owner";
// A process id in decimal, with room to spare; anything longer is not ours.
constexpr std::uint64_t kMaxOwnerBytes = 32;

bool isOurFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

bool ownerIsGone(const std::string& folder) {
    const auto owner = safefile::readWhole(paths::join(folder, kOwnerFile),
                                           {.maxBytes = kMaxOwnerBytes, .insideFolder = folder, .ownedByUs = true});
    if (!owner) return false;
    pid_t pid = 0;
    const char* end = owner->data() + owner->size();
    const auto [stop, error] = std::from_chars(owner->data(), end, pid);
    if (error != std::errc() || stop != end || pid <= 0) return false;
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

void removeAbandoned(const std::string& base, std::string_view prefix) {
    for (const std::string& name : files::listFolder(base)) {
        const std::string folder = paths::join(base, name);
        if (name.starts_with(prefix) && isOurFolder(folder) && ownerIsGone(folder))
            (void)files::removeAll(folder);
    }
}

}  // namespace

std::optional<std::string> make(const std::string& base, std::string_view prefix) {
    const std::string parent = base.empty() ? files::temporaryFolder() : base;
    removeAbandoned(parent, prefix);
    (void)files::makeFolders(parent);  // mkdtemp says when it is missing
    std::string folder = paths::join(parent, std::string(prefix) + "XXXXXX");
    // The clean-up needs an absolute path: the process may not stay where
    // it was when the folder was made.
    std::error_code ignored;
    if (folder.front() != '/') folder = std::filesystem::absolute(folder, ignored).string();
    {
        // A signal between making the folder and registering it would leave it.
        const signalcleanup::Registering registering;
        if (::mkdtemp(folder.data()) == nullptr) return std::nullopt;
        signalcleanup::watchFolder(folder);
    }
    if (!files::writeScratchFile(paths::join(folder, kOwnerFile), std::to_string(::getpid()))) {
        remove(folder, prefix);
        return std::nullopt;
    }
    return folder;
}

bool remove(const std::string& folder, std::string_view prefix) {
    if (!paths::lastComponent(folder).starts_with(prefix)) return false;
    const bool removed = files::removeAll(folder).ok();
    signalcleanup::forgetFolder(folder);
    return removed;
}

}  // namespace quillary::privatefolders
