#pragma once
// The author's files beside the manuscript (the cover, pictures, audio and
// video): what the manuscript's folder holds, and the bytes of each file a
// book packs. The stages of a build never open them; the archive reads them
// through this port, at the edge, while it is written.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"

namespace quillary {

struct FolderEntry {
    std::string name{};
    bool folder = false;   // a folder, or a link to one: never packed
    bool readable = true;  // the build may open it for reading
    // Why it may not, as the end of a sentence about it ("links outside the
    // manuscript's folder; copy the file into the folder"); may be empty.
    std::string refusal{};
    // Its first bytes, once looked at (what a picture really is); nullopt
    // when nobody looked.
    std::optional<std::string> head{};
    // Its size when the head was read.
    std::uint64_t size = 0;
};

// The largest author's file a book packs: larger ones are refused before a
// byte is read, so a link to a device or a sparse giant cannot fill the book.
inline constexpr std::uint64_t kAuthorFileLimit = 1ULL << 30;

// An opened file, read from its start to its end in pieces, so that a
// reader need not hold it whole.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `buffer`: how many (0 at the end), or why none
    // could be read.
    virtual Result<std::size_t> read(char* buffer, std::size_t size) = 0;
    // How many bytes the file held when it was opened.
    virtual std::uint64_t size() const = 0;
};

class AuthorFiles {
public:
    virtual ~AuthorFiles() = default;

    // The entries of `folder`'s top level, sorted by name in byte order, so
    // that every build of a manuscript packs the same files in the same
    // order; empty when the folder cannot be read. Any thread.
    virtual std::vector<FolderEntry> list(const std::string& folder) const = 0;

    // The file `name` of `folder` (a name from list()), opened for reading;
    // why not when it cannot be, as the end of a sentence about it. Only a
    // regular file inside `folder` (through every link) and within
    // kAuthorFileLimit is opened, without blocking. The source is the
    // caller's. Any thread.
    virtual Result<std::unique_ptr<ByteSource>> open(const std::string& folder, const std::string& name) const = 0;
};

// The first `count` bytes of `source` (fewer when it is shorter), or why
// they cannot be read.
Result<std::string> readHead(ByteSource& source, std::size_t count);

// The folder's files on this machine, as the file system gives them.
class PosixAuthorFiles : public AuthorFiles {
public:
    std::vector<FolderEntry> list(const std::string& folder) const override;
    Result<std::unique_ptr<ByteSource>> open(const std::string& folder, const std::string& name) const override;
};

}  // namespace quillary
