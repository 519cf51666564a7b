#pragma once
// Entry names and contents, in archive order, as a zip reader sees them.

#include <zip.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillary::testing {

using ZipEntries = std::vector<std::pair<std::string, std::string>>;

// nullopt when the file is not a consistent zip archive.
inline std::optional<ZipEntries> zipEntries(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) return std::nullopt;
    ZipEntries entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        zip_stat_index(archive, index, 0, &st);
        std::string content(static_cast<std::size_t>(st.size), '\0');
        if (zip_file_t* file = zip_fopen_index(archive, index, 0)) {
            zip_fread(file, content.data(), st.size);
            zip_fclose(file);
        }
        entries.emplace_back(st.name, content);
    }
    zip_discard(archive);
    return entries;
}

inline std::vector<std::string> entryNames(const ZipEntries& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.first);
    return names;
}

}  // namespace quillary::testing
