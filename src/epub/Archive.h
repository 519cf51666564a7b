#pragma once
// The EPUB container as a zip archive, written in process.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "epub/DeflatedEntry.h"
#include "epub/PackageFile.h"
#include "platform/AuthorFiles.h"

namespace quillary::epub::archive {

// What goes into an archive: the files the build wrote, owned elsewhere,
// and the author's files, read from their folder through the port while
// the archive is made.
struct ArchiveFiles {
    std::vector<const PackageFile*> written;
    std::vector<const AuthorFile*> authors;
};

// Where the author's files of an archive are read from.
struct AuthorFolder {
    const AuthorFiles& files;
    std::string path;
};

// At most this many bytes are added to the destination's file name for the
// temporary names the archive passes through beside it ("." NAME "." pid "."
// attempt, or "." NAME ".XXXXXX"): a name longer than the folder's limit
// less these cannot be written.
inline constexpr std::size_t kTemporaryNameExtra = 15;

// The package's files as a zip archive: the entry "mimetype" first and
// stored, the pages deflated, in a fixed (sorted) order, without directory
// entries or extra fields, every entry dated `entryTime`, so that a build
// can be reproduced byte for byte. The author's files are read in pieces
// while the archive is written, never held whole; those already compressed
// (JPEG, PNG, MP3, MP4...) are stored, the others deflated. An author's file
// that cannot be read, or is no longer the file the build looked at, fails
// the archive, naming it. Any thread.
//
// `early` holds pages deflated ahead of time; one is taken for a page of
// its name only when its size and checksum say it holds that page's bytes.
//
// The archive's bytes, for a package that is not the author's book (the
// Kindle converter's input).
Result<std::string> archiveBytes(const ArchiveFiles& files, const AuthorFolder& authors, std::time_t entryTime,
                                 const EarlyEntries& early = {});

// The archive of `files` at `archivePath`, written into a file beside it.
// It reaches `archivePath` only when complete, by a rename in its folder: a
// failure never replaces a good archive, and a process killed meanwhile
// leaves no file behind. Any thread.
Outcome writeArchive(const ArchiveFiles& files, const AuthorFolder& authors, const std::string& archivePath,
                     std::time_t entryTime, const EarlyEntries& early = {});

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

}  // namespace quillary::epub::archive
