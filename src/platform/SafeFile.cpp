#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

namespace quillary::safefile {

namespace {

using Kind = Refusal::Kind;

Failure<Refusal> refused(Kind kind, std::string reason) { return {Refusal{kind, std::move(reason)}}; }

Failure<Refusal> refusedByError(int error) {
    if (error == ENOENT || error == ENOTDIR) return refused(Kind::Missing, "does not exist");
    return refused(Kind::Unreadable, "cannot be read (" + std::string(std::strerror(error)) + ")");
}

std::string kindOfNonFile(mode_t mode) {
    if (S_ISDIR(mode)) return "is a folder, not a file";
    if (S_ISFIFO(mode)) return "is a named pipe, not a file";
    if (S_ISSOCK(mode)) return "is a socket, not a file";
    return "is a device, not a file";
}

// The same checks before opening (so that a pipe or a device is never even
// opened) and after (so that what was opened is what was checked).
std::optional<Failure<Refusal>> breaksRules(const struct stat& info, const Rules& rules) {
    if (!S_ISREG(info.st_mode)) return refused(Kind::NotRegular, kindOfNonFile(info.st_mode));
    if (rules.ownedByUs && info.st_uid != ::geteuid()) return refused(Kind::NotOurs, "belongs to another user");
    if (static_cast<std::uint64_t>(info.st_size) > rules.maxBytes)
        return refused(Kind::TooLarge, "is larger than " + describeSize(rules.maxBytes));
    return std::nullopt;
}

std::string resolved(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

// The path to open: the file itself, resolved through every link when it
// must lie inside a folder, so that the check and the open see one path.
Result<std::string, Refusal> pathToOpen(const std::string& path, const Rules& rules) {
    if (rules.insideFolder.empty()) return path;
    const std::string file = resolved(path);
    if (file.empty()) return refusedByError(errno);
    const std::string folder = resolved(rules.insideFolder);
    if (folder.empty() || !file.starts_with(folder == "/" ? folder : folder + "/"))
        return refused(Kind::OutsideFolder, "links outside the manuscript's folder; copy the file into the folder");
    return file;
}

}  // namespace

Result<CheckedFile, Refusal> CheckedFile::open(const std::string& path, const Rules& rules) {
    const Result<std::string, Refusal> target = pathToOpen(path, rules);
    if (!target) return Failure<Refusal>{target.reason()};
    struct stat before {};
    if (::stat(target->c_str(), &before) != 0) return refusedByError(errno);
    if (auto broken = breaksRules(before, rules)) return *broken;
    const int noFollow = rules.insideFolder.empty() ? 0 : O_NOFOLLOW;
    const int fd = ::open(target->c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow);
    if (fd < 0) return refusedByError(errno);
    CheckedFile file(fd, 0, rules.maxBytes);
    struct stat after {};
    if (::fstat(fd, &after) != 0) return refusedByError(errno);
    if (auto broken = breaksRules(after, rules)) return *broken;
    if (after.st_dev != before.st_dev || after.st_ino != before.st_ino)
        return refused(Kind::Unreadable, "was replaced while it was opened");
    file.size_ = static_cast<std::uint64_t>(after.st_size);
    return file;
}

CheckedFile::CheckedFile(CheckedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_), maxBytes_(other.maxBytes_),
      readSoFar_(other.readSoFar_) {}

CheckedFile& CheckedFile::operator=(CheckedFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        maxBytes_ = other.maxBytes_;
        readSoFar_ = other.readSoFar_;
    }
    return *this;
}

CheckedFile::~CheckedFile() {
    if (fd_ >= 0) ::close(fd_);
}

Result<std::size_t, Refusal> CheckedFile::read(char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, capacity);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return refusedByError(errno);
        readSoFar_ += static_cast<std::uint64_t>(n);
        if (readSoFar_ > maxBytes_) return refused(Kind::TooLarge, "is larger than " + describeSize(maxBytes_));
        return static_cast<std::size_t>(n);
    }
}

Result<std::string, Refusal> readWhole(const std::string& path, const Rules& rules) {
    Result<CheckedFile, Refusal> file = CheckedFile::open(path, rules);
    if (!file) return Failure<Refusal>{file.reason()};
    // One byte past the size it had, so that a file that grows is seen to.
    std::string bytes(static_cast<std::size_t>(file->size()) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
        const Result<std::size_t, Refusal> n = file->read(bytes.data() + filled, bytes.size() - filled);
        if (!n) return Failure<Refusal>{n.reason()};
        if (*n == 0) break;
        filled += *n;
    }
    bytes.resize(filled);
    return bytes;
}

Result<std::uint64_t, Refusal> stream(const std::string& path, const Rules& rules, const Sink& sink,
                                      std::size_t chunkBytes) {
    Result<CheckedFile, Refusal> file = CheckedFile::open(path, rules);
    if (!file) return Failure<Refusal>{file.reason()};
    std::string buffer(chunkBytes == 0 ? 1 : chunkBytes, '\0');
    std::uint64_t handed = 0;
    for (;;) {
        const Result<std::size_t, Refusal> n = file->read(buffer.data(), buffer.size());
        if (!n) return Failure<Refusal>{n.reason()};
        if (*n == 0) return handed;
        if (!sink(std::string_view(buffer.data(), *n))) return refused(Kind::SinkStopped, "");
        handed += *n;
    }
}

std::string describeSize(std::uint64_t bytes) {
    constexpr std::uint64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024;
    if (bytes >= kGB && bytes % kGB == 0) return std::to_string(bytes / kGB) + " GB";
    if (bytes >= kMB) return std::to_string(bytes / kMB) + " MB";
    if (bytes >= kKB) return std::to_string(bytes / kKB) + " KB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace quillary::safefile
