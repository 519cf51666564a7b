#pragma once
// File and folder operations on POSIX paths. Each that can fail answers a
// Result or an Outcome whose reason is the system's ("No such file or
// directory"); nothing is thrown. A caller that may go on after a failure
// discards the outcome where it says why.

#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"

namespace quillary::files {

bool exists(const std::string& path);
bool isDirectory(const std::string& path);

// The whole file as bytes, or why it cannot be read (a folder cannot).
Result<std::string> readFile(const std::string& path);

// Writes all of `content` to the open file `fd`, going on after interrupted
// and partial writes.
Outcome writeAll(int fd, std::string_view content);

// Writes to a temporary file beside `path`, syncs it and renames it over
// `path`: a reader sees the old file or the whole new one, never a part.
Outcome writeFileAtomically(const std::string& path, const std::string& content);

// Writes the file without syncing it to disk: for files of a private folder
// that live only as long as one step, which a sync would only slow down.
Outcome writeScratchFile(const std::string& path, const std::string& content);

// Creates the folder and any missing parents; an existing folder is success.
Outcome makeFolders(const std::string& path);

// Removes a file, or a folder with everything in it; a missing path is success.
Outcome removeAll(const std::string& path);

Outcome copyFile(const std::string& from, const std::string& to);

// rename(2), or copy and remove across file systems.
Outcome moveFile(const std::string& from, const std::string& to);

Outcome setPermissions(const std::string& path, unsigned mode);

// Names (not paths) of the entries of a folder's top level, sorted by byte
// value so that every build lists them in the same order. Empty on failure.
std::vector<std::string> listFolder(const std::string& path);

// $TMPDIR, else /tmp.
std::string temporaryFolder();

// A new private folder (mode 0700) under $TMPDIR (else /tmp), named from
// `prefix`.
Result<std::string> makePrivateTempFolder(const std::string& prefix);

}  // namespace quillary::files
