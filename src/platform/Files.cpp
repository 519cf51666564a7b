#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

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

std::optional<std::string> readFile(const std::string& path) {
    if (isDirectory(path)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(buffer).str();
}

bool writeAll(int fd, std::string_view content) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeFileAtomically(const std::string& path, const std::string& content) {
    std::string temp = paths::join(paths::deletingLastComponent(path),
                                   "." + paths::lastComponent(path) + ".XXXXXX");
    if (paths::deletingLastComponent(path).empty()) temp = "." + path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
    // mkstemp makes 0600; an ordinary document should read like one.
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool writeScratchFile(const std::string& path, const std::string& content) {
    return !PosixFileWriter().write(path, content);
}

bool makeFolders(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return isDirectory(path);
}

bool removeAll(const std::string& path) {
    std::error_code ec;
    fs::remove_all(path, ec);
    return !ec;
}

bool copyFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    return !ec;
}

bool moveFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    if (errno != EXDEV) return false;
    const std::string temp = paths::join(paths::deletingLastComponent(to),
                                         "." + paths::lastComponent(to) + ".moving");
    if (!copyFile(from, temp)) return false;
    if (::rename(temp.c_str(), to.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

bool setPermissions(const std::string& path, unsigned mode) {
    return ::chmod(path.c_str(), static_cast<mode_t>(mode)) == 0;
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

std::optional<std::string> makePrivateTempFolder(const std::string& prefix) {
    std::string pattern = paths::join(temporaryFolder(), prefix + "XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return pattern;
}

}  // namespace quillary::files

namespace quillary {

std::optional<std::string> PosixFileWriter::write(const std::string& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return std::strerror(errno);
    const bool written = files::writeAll(fd, content);
    const int writeError = errno;
    // A full disk may show only when the file is closed (on NFS, say).
    if (::close(fd) != 0 && written) return std::strerror(errno);
    if (!written) return std::strerror(writeError);
    return std::nullopt;
}

}  // namespace quillary
