#pragma once
// Entry names and contents, in archive order, as a zip reader sees them.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/EpubInspector.h"

namespace quillary::testing {

using ZipEntries = std::vector<std::pair<std::string, std::string>>;

// nullopt when the file is not a consistent zip archive.
inline std::optional<ZipEntries> zipEntries(const std::string& path) {
    const auto archive = readArchive(path);
    if (!archive) return std::nullopt;
    ZipEntries entries;
    for (const ArchiveEntry& entry : *archive) entries.emplace_back(entry.name, entry.content);
    return entries;
}

inline std::vector<std::string> entryNames(const ZipEntries& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.first);
    return names;
}

}  // namespace quillary::testing
