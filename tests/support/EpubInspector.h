#pragma once
// Reads a finished EPUB for end-to-end checks: its entries in archive order,
// their texts and compression, and EPUBCheck's verdict.

#include <optional>
#include <string>
#include <vector>

namespace quillary::testing {

struct ArchiveEntry {
    std::string name;
    bool stored = false;  // no compression
    std::string content;
};

// nullopt when the file is not a consistent zip archive, or when an entry
// does not read back whole with the size and CRC its headers state.
std::optional<std::vector<ArchiveEntry>> readArchive(const std::string& path);

struct EpubCheckVerdict {
    bool ran = false;      // epubcheck was found and started
    bool passed = false;   // no error, no fatal error
    std::string output;
};
// Runs epubcheck on the file (the Debian package's command).
EpubCheckVerdict runEpubCheck(const std::string& epubPath);

// Runs the `quillary` binary of the build with `arguments` (already quoted
// for /bin/sh); returns its exit status and its standard output, and puts
// its standard error into `errors` when given.
int runQuillary(const std::string& arguments, std::string& output, std::string* errors = nullptr);

}  // namespace quillary::testing
