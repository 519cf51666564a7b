#include "platform/AuthorFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary {

namespace {

class FileSource : public ByteSource {
public:
    explicit FileSource(int fd) : fd_(fd) {}
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource() override { ::close(fd_); }

    Result<std::size_t> read(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno != EINTR) return failure(std::strerror(errno));  // EISDIR for a folder
        }
    }

private:
    int fd_;
};

}  // namespace

Result<std::string> readAll(ByteSource& source) {
    std::string bytes;
    char chunk[64 * 1024];
    for (;;) {
        const Result<std::size_t> n = source.read(chunk, sizeof chunk);
        if (!n) return failure(n.reason());
        if (*n == 0) return bytes;
        bytes.append(chunk, *n);
    }
}

std::vector<FolderEntry> PosixAuthorFiles::list(const std::string& folder) const {
    std::vector<FolderEntry> entries;
    for (std::string& name : files::listFolder(folder)) {
        const std::string path = paths::join(folder, name);
        // What the book can pack is what can be read: a file the author
        // cannot give us is reported like one that is not there.
        entries.push_back({std::move(name), files::isDirectory(path), ::access(path.c_str(), R_OK) == 0});
    }
    return entries;
}

Result<std::unique_ptr<ByteSource>> PosixAuthorFiles::open(const std::string& folder, const std::string& name) const {
    const int fd = ::open(paths::join(folder, name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failure(std::strerror(errno));
    return std::unique_ptr<ByteSource>(std::make_unique<FileSource>(fd));
}

}  // namespace quillary
