#pragma once
// File and folder operations on POSIX paths. Failures are returned, never
// thrown; callers that the build lets go on may ignore them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillary::files {

bool exists(const std::string& path);
bool isDirectory(const std::string& path);

// The whole file as bytes, or nullopt when it cannot be read (a folder
// cannot); then `reason`, when given, says why.
std::optional<std::string> readFile(const std::string& path, std::string* reason = nullptr);

// Writes all of `content` to the open file `fd`, going on after interrupted
// and partial writes; false with errno set when a write fails.
bool writeAll(int fd, std::string_view content);

// Writes to a temporary file beside `path`, syncs it and renames it over
// `path`: a reader sees the old file or the whole new one, never a part.
bool writeFileAtomically(const std::string& path, const std::string& content);

// Writes the file without syncing it to disk: for files of a private folder
// that live only as long as one step, which a sync would only slow down.
bool writeScratchFile(const std::string& path, const std::string& content);

// Creates the folder and any missing parents; an existing folder is success.
bool makeFolders(const std::string& path);

// Removes a file, or a folder with everything in it; a missing path is success.
bool removeAll(const std::string& path);

bool copyFile(const std::string& from, const std::string& to);

// rename(2), or copy and remove across file systems.
bool moveFile(const std::string& from, const std::string& to);

bool setPermissions(const std::string& path, unsigned mode);

// Names (not paths) of the entries of a folder's top level, sorted by byte
// value so that every build lists them in the same order. Empty on failure.
std::vector<std::string> listFolder(const std::string& path);

// $TMPDIR, else /tmp.
std::string temporaryFolder();

// A new private folder (mode 0700) under $TMPDIR (else /tmp), named from
// `prefix`; nullopt when none could be made.
std::optional<std::string> makePrivateTempFolder(const std::string& prefix);

}  // namespace quillary::files
