#include "epub/ArchiveFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "epub/ZipSource.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::epub::archive {

namespace {

Failure<std::string> failed(const std::string& what, const std::string& detail) {
    return failure(detail.empty() ? what : what + ": " + detail);
}

// The system's words, but a full disk in the author's: it is the one cause
// the author can remove at once.
std::string describedError(int error) {
    if (error == ENOSPC || error == EDQUOT) return "the disk is full";
    return std::strerror(error);
}

// The archive is the author's file: it keeps the mode of the one it
// replaces, and a new one is readable by all like any other document.
mode_t modeFor(const std::string& existing) {
    struct stat info;
    return ::stat(existing.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0644;
}

std::string folderOf(const std::string& path) {
    const std::string folder = paths::deletingLastComponent(path);
    return folder.empty() ? "." : folder;
}

void syncFolderOf(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// What libzip needs of the file it writes the archive into. It writes each
// entry's header, then its data, then goes back to complete the header, so
// the file must be seekable; the archive is new, so there is nothing to read.
struct SourceState {
    int fd;
    std::optional<std::string>& writeFailure;
    zip_error_t error{};
};

zip_int64_t systemFailure(SourceState& state, int code) {
    const int error = errno;
    state.writeFailure = describedError(error);
    zip_error_set(&state.error, code, error);
    return -1;
}

zip_int64_t seek(SourceState& state, void* data, zip_uint64_t length) {
    const zip_source_args_seek_t* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &state.error);
    if (!args) return -1;
    return ::lseek(state.fd, args->offset, args->whence) < 0 ? systemFailure(state, ZIP_ER_SEEK) : 0;
}

zip_int64_t answerStat(void* data, zip_uint64_t length) {
    if (length < sizeof(zip_stat_t)) return -1;
    auto* stat = static_cast<zip_stat_t*>(data);
    zip_stat_init(stat);
    stat->valid = ZIP_STAT_SIZE;
    stat->size = 0;
    return sizeof(zip_stat_t);
}

zip_int64_t answer(void* userData, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto& state = *static_cast<SourceState*>(userData);
    switch (command) {
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_READ:
        case ZIP_SOURCE_COMMIT_WRITE:
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_REMOVE:
        case ZIP_SOURCE_TELL: return 0;
        case ZIP_SOURCE_SEEK: return 0;
        case ZIP_SOURCE_STAT: return answerStat(data, length);
        case ZIP_SOURCE_BEGIN_WRITE:
            return ::ftruncate(state.fd, 0) == 0 && ::lseek(state.fd, 0, SEEK_SET) == 0
                       ? 0
                       : systemFailure(state, ZIP_ER_WRITE);
        case ZIP_SOURCE_WRITE:
            if (!files::writeAll(state.fd, {static_cast<const char*>(data), static_cast<std::size_t>(length)}))
                return systemFailure(state, ZIP_ER_WRITE);
            return static_cast<zip_int64_t>(length);
        case ZIP_SOURCE_SEEK_WRITE: return seek(state, data, length);
        case ZIP_SOURCE_TELL_WRITE: {
            const off_t at = ::lseek(state.fd, 0, SEEK_CUR);
            return at < 0 ? systemFailure(state, ZIP_ER_TELL) : static_cast<zip_int64_t>(at);
        }
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&state.error, data, length);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&state.error);
            delete &state;
            return 0;
        case ZIP_SOURCE_SUPPORTS: return ZIP_SOURCE_SUPPORTS_WRITABLE;
        default: break;
    }
    zip_error_set(&state.error, ZIP_ER_OPNOTSUPP, 0);
    return -1;
}

}  // namespace

Result<ArchiveFile> ArchiveFile::besideOf(const std::string& destination) {
    // An unnamed file gets its name by a link through /proc: without /proc
    // it could never be named, so it is not made.
    if (::access("/proc/self/fd", X_OK) == 0) {
        const int fd = ::open(folderOf(destination).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0) return ArchiveFile(fd, destination, "");
    }
    std::string temporary = paths::join(folderOf(destination), "." + paths::lastComponent(destination) + ".XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return failed("cannot write into " + folderOf(destination), describedError(errno));
    return ArchiveFile(fd, destination, temporary);
}

Result<ArchiveFile> ArchiveFile::inMemory() {
    const int fd = ::memfd_create("quillary-archive", MFD_CLOEXEC);
    if (fd < 0) return failed("cannot create the archive", describedError(errno));
    return ArchiveFile(fd, "", "");
}

std::optional<std::string> ArchiveFile::bytes() const {
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::pread(fd_, bytes.data() + filled, bytes.size() - filled, static_cast<off_t>(filled));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        filled += static_cast<std::size_t>(n);
    }
    return bytes;
}

ArchiveFile::ArchiveFile(ArchiveFile&& other) noexcept
    : fd_(other.fd_),
      destination_(std::move(other.destination_)),
      temporary_(std::move(other.temporary_)),
      writeFailure_(std::move(other.writeFailure_)) {
    other.fd_ = -1;
    other.temporary_.clear();
}

ArchiveFile::~ArchiveFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

zip_source_t* ArchiveFile::source(zip_error_t* error) {
    return sourceOwning(new (std::nothrow) SourceState{fd_, writeFailure_}, answer, error);
}

Outcome ArchiveFile::syncAndClose() {
    const bool ok = ::fchmod(fd_, modeFor(destination_)) == 0 && ::fsync(fd_) == 0;
    const int error = errno;
    // The unnamed file is named while it is still open: /proc names it by
    // its descriptor.
    Outcome named = ok && temporary_.empty() ? nameUnnamed() : Outcome{};
    const int closed = ::close(fd_);
    const int closeError = errno;
    fd_ = -1;
    if (!ok) return failed("cannot write the archive", describedError(error));
    if (closed != 0) return failed("cannot write the archive", describedError(closeError));
    return named;
}

// linkat cannot replace a file, rename can: the unnamed file is first given
// a temporary name beside the destination.
Outcome ArchiveFile::nameUnnamed() {
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd_);
    const std::string base = paths::join(
        folderOf(destination_), "." + paths::lastComponent(destination_) + "." + std::to_string(::getpid()) + ".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = base + std::to_string(attempt);
        if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary_ = temporary;
            return {};
        }
        if (errno != EEXIST) return failed("cannot write into " + folderOf(destination_), describedError(errno));
    }
    return failed("cannot write into " + folderOf(destination_), "too many temporary files");
}

Outcome ArchiveFile::publish() {
    if (fd_ < 0 || destination_.empty()) return failure("the archive has no place to go");
    if (Outcome synced = syncAndClose(); !synced) return synced;
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0)
        return failed("cannot replace " + destination_, std::strerror(errno));
    temporary_.clear();
    syncFolderOf(destination_);
    return {};
}

}  // namespace quillary::epub::archive
