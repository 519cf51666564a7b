#pragma once
// The author's files beside the manuscript (the cover, pictures, audio and
// video): what the manuscript's folder holds, and the bytes of each file a
// book packs. The stages of a build never open them; the archive reads them
// through this port, at the edge, while it is written.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "base/Result.h"

namespace quillary {

struct FolderEntry {
    std::string name{};
    bool folder = false;   // a folder, or a link to one: never packed
    bool readable = true;  // the build may open it for reading
};

// An opened file, read from its start to its end in pieces, so that a
// reader need not hold it whole.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `buffer`: how many (0 at the end), or why none
    // could be read.
    virtual Result<std::size_t> read(char* buffer, std::size_t size) = 0;
};

class AuthorFiles {
public:
    virtual ~AuthorFiles() = default;

    // The entries of `folder`'s top level, sorted by name in byte order, so
    // that every build of a manuscript packs the same files in the same
    // order; empty when the folder cannot be read. Any thread.
    virtual std::vector<FolderEntry> list(const std::string& folder) const = 0;

    // The file `name` of `folder` (a name from list()), opened for reading;
    // why not when it cannot be. The source is the caller's. Any thread.
    virtual Result<std::unique_ptr<ByteSource>> open(const std::string& folder, const std::string& name) const = 0;
};

// Everything `source` holds from where it stands.
Result<std::string> readAll(ByteSource& source);

// The folder's files on this machine, as the file system gives them.
class PosixAuthorFiles : public AuthorFiles {
public:
    std::vector<FolderEntry> list(const std::string& folder) const override;
    Result<std::unique_ptr<ByteSource>> open(const std::string& folder, const std::string& name) const override;
};

}  // namespace quillary
