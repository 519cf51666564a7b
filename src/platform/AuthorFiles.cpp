#include "platform/AuthorFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

namespace quillary {

namespace {

class FileSource : public ByteSource {
public:
    explicit FileSource(safefile::CheckedFile file) : file_(std::move(file)) {}

    Result<std::size_t> read(char* buffer, std::size_t size) override {
        Result<std::size_t, safefile::Refusal> n = file_.read(buffer, size);
        if (!n) return failure(n.reason().reason);
        return *n;
    }

    std::uint64_t size() const override { return file_.size(); }

private:
    safefile::CheckedFile file_;
};

}  // namespace

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
    // A folder someone sent the author may hold a link to a private file, a
    // named pipe or a device: none of them may hang the build or reach a book.
    Result<safefile::CheckedFile, safefile::Refusal> file = safefile::CheckedFile::open(
        paths::join(folder, name), {.maxBytes = kAuthorFileLimit, .insideFolder = folder, .ownedByUs = false});
    if (!file) return failure(file.reason().reason);
    return std::unique_ptr<ByteSource>(std::make_unique<FileSource>(std::move(*file)));
}

Result<std::string> readHead(ByteSource& source, std::size_t count) {
    std::string head(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        const Result<std::size_t> n = source.read(head.data() + filled, count - filled);
        if (!n) return failure(n.reason());
        if (*n == 0) break;
        filled += *n;
    }
    head.resize(filled);
    return head;
}

}  // namespace quillary
