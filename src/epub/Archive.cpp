#include "epub/Archive.h"

#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>

#include "platform/Paths.h"

namespace quillary::archive {

namespace {

namespace fs = std::filesystem;

constexpr const char* kMimetype = "mimetype";
// Reading systems detect an EPUB by the bytes at offset 30 of the file, so
// "mimetype" must be the first entry and must not be compressed.
constexpr zip_uint32_t kBestCompression = 9;
// Entries carry plain rw-r--r-- Unix attributes whatever the build folder's
// umask was, so the same package always gives the same bytes.
constexpr zip_uint32_t kEntryAttributes = (S_IFREG | 0644u) << 16;

Result failure(const std::string& what, const std::string& detail) {
    return {false, detail.empty() ? what : what + ": " + detail};
}

// Every regular file under `folder`, as a path relative to it with "/"
// separators, in byte order; "mimetype" first. Folders give no entries of
// their own: their names live in the file paths. Symbolic links are not
// followed, so nothing outside the package can be packed by accident.
std::optional<std::vector<std::string>> packageFiles(const std::string& folder,
                                                     const std::vector<std::string>& leaveOut,
                                                     std::string& error) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec), end;
    if (ec) {
        error = ec.message();
        return std::nullopt;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) {
            error = ec.message();
            return std::nullopt;
        }
        if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        std::string relative = it->path().lexically_relative(folder).generic_string();
        if (std::find(leaveOut.begin(), leaveOut.end(), relative) != leaveOut.end()) continue;
        names.push_back(std::move(relative));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        if (a == kMimetype || b == kMimetype) return a == kMimetype && b != kMimetype;
        return a < b;
    });
    if (names.empty() || names.front() != kMimetype) {
        error = "the package has no mimetype file";
        return std::nullopt;
    }
    return names;
}

// SOURCE_DATE_EPOCH as the reproducible-builds convention defines it: a
// decimal count of seconds. Anything else is ignored rather than guessed at.
std::optional<time_t> sourceDateEpoch() {
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (!value || !*value) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long seconds = std::strtoll(value, &end, 10);
    if (errno != 0 || *end != '\0' || seconds < 0) return std::nullopt;
    return static_cast<time_t>(seconds);
}

std::string zipError(zip_t* archive) { return zip_strerror(archive); }

bool addEntry(zip_t* archive, const std::string& folder, const std::string& name,
              std::optional<time_t> fixedTime, std::string& error) {
    const std::string path = paths::join(folder, name);
    zip_source_t* source = zip_source_file(archive, path.c_str(), 0, -1);
    if (!source) {
        error = name + ": " + zipError(archive);
        return false;
    }
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        error = name + ": " + zipError(archive);
        return false;
    }
    const auto entry = static_cast<zip_uint64_t>(index);
    const bool stored = name == kMimetype;
    const bool ok =
        zip_set_file_compression(archive, entry, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 stored ? 0 : kBestCompression) == 0 &&
        zip_file_set_external_attributes(archive, entry, 0, ZIP_OPSYS_UNIX, kEntryAttributes) == 0 &&
        (!fixedTime || zip_file_set_mtime(archive, entry, *fixedTime, 0) == 0);
    if (!ok) error = name + ": " + zipError(archive);
    return ok;
}

// A fresh, empty file beside `destination` to build the archive in; the
// rename that publishes it then stays within one file system.
std::optional<std::string> temporaryBeside(const std::string& destination) {
    std::string folder = paths::deletingLastComponent(destination);
    if (folder.empty()) folder = ".";
    std::string pattern = paths::join(folder, "." + paths::lastComponent(destination) + ".XXXXXX");
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) return std::nullopt;
    ::close(fd);
    return pattern;
}

bool syncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The archive is the author's file: it keeps the mode of the one it
// replaces, and a new one is readable by all like any other document
// (mkstemp would leave it private to the owner).
void giveModeOf(const std::string& existing, const std::string& path) {
    struct stat info;
    const mode_t mode = ::stat(existing.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
    ::chmod(path.c_str(), mode);
}

void syncFolderOf(const std::string& path) {
    std::string folder = paths::deletingLastComponent(path);
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

Result writeArchive(const std::string& folder, const std::vector<std::string>& names,
                    const std::string& target) {
    int code = 0;
    zip_t* archive = zip_open(target.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        Result result = failure("cannot create the archive", zip_error_strerror(&error));
        zip_error_fini(&error);
        return result;
    }
    const std::optional<time_t> fixedTime = sourceDateEpoch();
    std::string error;
    for (const std::string& name : names) {
        if (!addEntry(archive, folder, name, fixedTime, error)) {
            zip_discard(archive);
            return failure("cannot pack", error);
        }
    }
    // zip_close reads the sources and writes everything now; a full disk or a
    // file that vanished shows up here.
    if (zip_close(archive) != 0) {
        Result result = failure("cannot write the archive", zipError(archive));
        zip_discard(archive);
        return result;
    }
    return {true, {}};
}

}  // namespace

Result writePackage(const std::string& packageFolder, const std::string& archivePath,
                    const std::vector<std::string>& leaveOut) {
    std::string error;
    const auto names = packageFiles(packageFolder, leaveOut, error);
    if (!names) return failure("cannot read the package folder", error);

    const auto temporary = temporaryBeside(archivePath);
    if (!temporary) return failure("cannot write into " + paths::deletingLastComponent(archivePath),
                                   std::strerror(errno));
    Result result = writeArchive(packageFolder, *names, *temporary);
    if (result.ok) giveModeOf(archivePath, *temporary);
    if (result.ok && !syncFile(*temporary)) result = failure("cannot write the archive", std::strerror(errno));
    if (result.ok && ::rename(temporary->c_str(), archivePath.c_str()) != 0)
        result = failure("cannot replace " + archivePath, std::strerror(errno));
    if (!result.ok) {
        ::unlink(temporary->c_str());
        return result;
    }
    syncFolderOf(archivePath);
    return result;
}

}  // namespace quillary::archive
