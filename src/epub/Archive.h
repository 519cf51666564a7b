#pragma once
// The EPUB container as a zip archive, written in process.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "epub/PackageFile.h"

namespace quillary::archive {

// At most this many bytes are added to the destination's file name for the
// temporary names the archive passes through beside it ("." NAME "." pid "."
// attempt, or "." NAME ".XXXXXX"): a name longer than the folder's limit
// less these cannot be written.
inline constexpr std::size_t kTemporaryNameExtra = 15;

// The package's files as a zip archive, made in memory: the entry
// "mimetype" first and stored, every other file deflated, in a fixed
// (sorted) order, without directory entries or extra fields; entry times
// from SOURCE_DATE_EPOCH when it is set, so a build can be reproduced byte
// for byte. Any thread.
Result<std::string> archiveBytes(std::vector<package::PackageFile> files);

// The archive of `files` at `archivePath`. It reaches `archivePath` only
// when complete, by a rename in its folder: a failure never replaces a good
// archive, and a process killed meanwhile leaves no file behind. Any thread.
Outcome writeArchive(std::vector<package::PackageFile> files, const std::string& archivePath);

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
