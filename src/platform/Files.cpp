#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/FileWriter.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace quillary::files {

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

Failure<std::string> systemError(int error) { return failure(std::strerror(error)); }
Failure<std::string> lastError() { return systemError(errno); }

Outcome fromErrorCode(const std::error_code& ec) {
    if (ec) return failure(ec.message());
    return {};
}

}  // namespace

Result<std::string> readFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return lastError();
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return systemError(error);
    }
    // One byte past the size it says, so a file that grows is seen to grow.
    std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;  // EISDIR for a folder
            ::close(fd);
            return systemError(error);
        }
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(filled);
    return bytes;
}

Outcome writeAll(int fd, std::string_view content) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return {};
}

Outcome writeFileAtomically(const std::string& path, const std::string& content) {
    std::string temp = paths::join(paths::deletingLastComponent(path),
                                   "." + paths::lastComponent(path) + ".XXXXXX");
    if (paths::deletingLastComponent(path).empty()) temp = "." + path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return lastError();
    Outcome written = writeAll(fd, content);
    if (written && ::fsync(fd) != 0) written = lastError();
    // mkstemp makes 0600; an ordinary document should read like one.
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 && written) written = lastError();
    if (written && ::rename(temp.c_str(), path.c_str()) != 0) written = lastError();
    if (!written) ::unlink(temp.c_str());
    return written;
}

Outcome writeScratchFile(const std::string& path, const std::string& content) {
    return PosixFileWriter().write(path, content);
}

Outcome makeFolders(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (isDirectory(path)) return {};
    return ec ? fromErrorCode(ec) : systemError(ENOTDIR);
}

Outcome removeAll(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    return fromErrorCode(ec);
}

Outcome copyFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    return fromErrorCode(ec);
}

Outcome moveFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) return {};
    if (errno != EXDEV) return lastError();
    const std::string temp = paths::join(paths::deletingLastComponent(to),
                                         "." + paths::lastComponent(to) + ".moving");
    if (Outcome copied = copyFile(from, temp); !copied) return copied;
    if (::rename(temp.c_str(), to.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return systemError(error);
    }
    ::unlink(from.c_str());
    return {};
}

Outcome setPermissions(const std::string& path, unsigned mode) {
    if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0) return lastError();
    return {};
}

std::vector<std::string> listFolder(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string temporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return (tmp && *tmp) ? tmp : "/tmp";
}

Result<std::string> makePrivateTempFolder(const std::string& prefix) {
    std::string pattern = paths::join(temporaryFolder(), prefix + "XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) return lastError();
    return pattern;
}

}  // namespace quillary::files

namespace quillary {

Outcome PosixFileWriter::write(const std::string& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return failure(std::strerror(errno));
    const Outcome written = files::writeAll(fd, content);
    // A full disk may show only when the file is closed (on NFS, say).
    if (::close(fd) != 0 && written) return failure(std::strerror(errno));
    return written;
}

}  // namespace quillary
