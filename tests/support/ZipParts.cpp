#include "support/ZipParts.h"

#include <zip.h>

#include <algorithm>

namespace quillary::testing {

std::string zipArchive(const ZipEntries& entries, bool deflated) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_source_keep(buffer);
    for (const auto& [name, content] : entries) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (!deflated && index >= 0) zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    zip_close(archive);
    std::string bytes;
    zip_stat_t stat;
    if (zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0) {
        bytes.resize(stat.size);
        bytes.resize(static_cast<std::size_t>(std::max<zip_int64_t>(zip_source_read(buffer, bytes.data(), stat.size), 0)));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    zip_error_fini(&error);
    return bytes;
}

ZipEntries unzipArchive(const std::string& archive) {
    ZipEntries entries;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(archive.data(), archive.size(), 0, &error);
    zip_t* zip = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!zip) {
        if (source) zip_source_free(source);
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t stat;
        zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
        if (!file || zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat) != 0) continue;
        std::string content(stat.size, '\0');
        zip_fread(file, content.data(), content.size());
        zip_fclose(file);
        entries.emplace_back(stat.name, std::move(content));
    }
    zip_discard(zip);
    return entries;
}

}  // namespace quillary::testing
