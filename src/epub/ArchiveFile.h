#pragma once
// The file an archive is written into: made beside its destination, written
// by libzip through a source of ours, and given the destination's name only
// once it is whole.

#include <zip.h>

#include <optional>
#include <string>

#include "base/Result.h"

namespace quillary::epub::archive {

class ArchiveFile {
public:
    // A new empty file in `destination`'s folder, unnamed where the file
    // system allows it (a build killed meanwhile then leaves nothing), else
    // under a temporary name beside it; why not when it cannot be made.
    static Result<ArchiveFile> besideOf(const std::string& destination);
    // A file in memory, which is never published: its bytes are read back.
    static Result<ArchiveFile> inMemory();
    ArchiveFile(ArchiveFile&& other) noexcept;
    ArchiveFile& operator=(ArchiveFile&&) = delete;
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;
    // Removes the file unless it was published.
    ~ArchiveFile();

    // A writable source over the file for zip_open_from_source (with
    // ZIP_TRUNCATE): libzip writes the archive into it on zip_close. The
    // file must outlive the source. nullptr when it cannot be made.
    zip_source_t* source(zip_error_t* error);
    // Why the last write into the file failed, in the author's words ("the
    // disk is full"); nullopt when none failed.
    const std::optional<std::string>& writeFailure() const { return writeFailure_; }

    // Syncs the file with the mode of the file it replaces (a new one gets
    // rw-r--r--) and renames it over the destination, then syncs the
    // folder. A failure leaves the destination as it was.
    Outcome publish();
    // Every byte written into the file; nullopt when they cannot be read.
    std::optional<std::string> bytes() const;

private:
    ArchiveFile(int fd, std::string destination, std::string temporary)
        : fd_(fd), destination_(std::move(destination)), temporary_(std::move(temporary)) {}
    Outcome syncAndClose();  // and names an unnamed file
    Outcome nameUnnamed();

    int fd_ = -1;
    std::string destination_;
    std::string temporary_;  // empty for an unnamed file
    std::optional<std::string> writeFailure_;
};

}  // namespace quillary::epub::archive
