#pragma once
// Reading a file that someone else put there: the manuscript, the author's
// pictures and media, files in the shared temporary folder. Such a file may
// be a named pipe that never ends, a link to /dev/zero, a folder, a link to a
// private file outside the manuscript's folder, or simply enormous; none of
// these may hang the build, exhaust its memory or end up in a book.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/Result.h"

namespace quillary::safefile {

// What a file must be to be read.
struct Rules {
    // Larger files are refused before a byte is read (and so is a file that
    // grows past it while it is read).
    std::uint64_t maxBytes = 0;
    // When not empty, the file must resolve, through every link, to a place
    // inside this folder.
    std::string insideFolder;
    // The file must belong to the user this process runs as (for files in a
    // folder that other users may write into, such as /tmp).
    bool ownedByUs = false;
};

struct Refusal {
    enum class Kind { Missing, NotRegular, TooLarge, OutsideFolder, NotOurs, Unreadable, SinkStopped };
    Kind kind = Kind::Unreadable;
    // What is wrong with the file, as the end of a sentence about it: "is a
    // named pipe, not a file", "is larger than 128 MB", "links outside the
    // manuscript's folder; copy the file into the folder". Empty for
    // SinkStopped.
    std::string reason;
};

// A file opened after every check of the rules passed: a regular file, not
// opened through a link leading outside the folder, within the size limit.
// Opening never blocks (a named pipe is refused, not waited on), and the
// descriptor does not reach child processes. Move-only; closes itself.
class CheckedFile {
public:
    static Result<CheckedFile, Refusal> open(const std::string& path, const Rules& rules);
    CheckedFile(CheckedFile&& other) noexcept;
    CheckedFile& operator=(CheckedFile&& other) noexcept;
    CheckedFile(const CheckedFile&) = delete;
    CheckedFile& operator=(const CheckedFile&) = delete;
    ~CheckedFile();

    // The size when it was opened.
    std::uint64_t size() const { return size_; }
    // Reads up to `capacity` bytes into `buffer`; 0 at the end. A file that
    // grows past the size limit while it is read is refused (TooLarge).
    Result<std::size_t, Refusal> read(char* buffer, std::size_t capacity);

private:
    CheckedFile(int fd, std::uint64_t size, std::uint64_t maxBytes) : fd_(fd), size_(size), maxBytes_(maxBytes) {}
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t maxBytes_ = 0;
    std::uint64_t readSoFar_ = 0;
};

// The whole file, when it keeps the rules.
Result<std::string, Refusal> readWhole(const std::string& path, const Rules& rules);

// Hands the file to `sink` in pieces of at most `chunkBytes`, so that memory
// holds one piece however large the file; the sink returns false to stop
// (the result is then SinkStopped). The number of bytes handed over.
using Sink = std::function<bool(std::string_view piece)>;
Result<std::uint64_t, Refusal> stream(const std::string& path, const Rules& rules, const Sink& sink,
                                      std::size_t chunkBytes = 256 * 1024);

// "128 MB", "1 GB", "64 KB", "12 bytes": a limit as a person reads it
// (1 MB being 1,048,576 bytes).
std::string describeSize(std::uint64_t bytes);

}  // namespace quillary::safefile
