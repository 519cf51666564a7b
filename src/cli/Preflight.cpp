#include "cli/Preflight.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "base/Text.h"
#include "epub/Archive.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::cli {

namespace {

std::string kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a file";
}

std::size_t nameLimitOf(const std::string& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

}  // namespace

Outcome checkManuscript(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return failure(path + ": no such file");
        return failure(path + ": " + std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) return failure(path + ": not a regular file but " + kindOfFile(info.st_mode));
    return {};
}

Outcome checkDestination(const std::string& path) {
    const std::string name = paths::lastComponent(path);
    if (text::endsWith(path, "/") || name == "." || name == ".." || files::isDirectory(path))
        return failure(path + " is a folder; give the book's file name, such as " +
                       paths::join(text::endsWith(path, "/") ? path.substr(0, path.size() - 1) : path, "Book.epub"));
    std::string folder = paths::deletingLastComponent(path);
    if (folder.empty()) folder = ".";
    if (!files::isDirectory(folder)) return failure("the folder " + folder + " does not exist");
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return failure(path + " is " + kindOfFile(info.st_mode) + "; the book can only replace a file");
    const std::size_t written = paths::deletingExtension(name).size() + std::strlen(".epub");
    const std::size_t limit = nameLimitOf(folder);
    if (written + epub::archive::kTemporaryNameExtra > limit)
        return failure("the name " + name + " is too long: the book's file name may have at most " +
                       std::to_string(limit - epub::archive::kTemporaryNameExtra) + " bytes with its extension");
    return {};
}

}  // namespace quillary::cli
