#pragma once
// The EPUB container as a zip archive, written in process.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillary::archive {

struct Result {
    bool ok = false;
    std::string error;  // why not, for the author; empty when ok
};

// At most this many bytes are added to the destination's file name for the
// temporary names the archive passes through beside it ("." NAME "." pid "."
// attempt, or "." NAME ".XXXXXX"): a name longer than the folder's limit
// less these cannot be written.
inline constexpr std::size_t kTemporaryNameExtra = 15;

// Zips the package tree under `packageFolder` into `archivePath`: the entry
// "mimetype" first and stored, every other file deflated at level 9, in a
// fixed (sorted) order, without directory entries or extra fields; entry
// times from SOURCE_DATE_EPOCH when it is set, so a build can be
// reproduced byte for byte. Files named in `leaveOut` (paths relative to the
// folder) are not packed. The archive is made in memory and reaches
// `archivePath` only when complete, by a rename in its folder: a failure
// never replaces a good archive, and a process killed meanwhile leaves no
// file behind. Any thread.
Result writePackage(const std::string& packageFolder, const std::string& archivePath,
                    const std::vector<std::string>& leaveOut = {});

// The unique identifier that the package document of the EPUB at
// `archivePath` states, as it is written there (character references are
// not resolved); nullopt when the file is not a zip, or has no container,
// package document or identifier. Any thread.
std::optional<std::string> packageIdentifier(const std::string& archivePath);

// The entries named, in that order, from the EPUB at `archivePath`, the
// archive opened once; nullopt for an entry that is missing, unreadable or
// larger than `largest` bytes (and for all when the file is not a zip).
std::vector<std::optional<std::string>> entryTexts(const std::string& archivePath,
                                                   const std::vector<std::string>& names, std::uint64_t largest);

}  // namespace quillary::archive
