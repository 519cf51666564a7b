#include "converter/ZipPackage.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>
#include <cctype>

namespace conv {

namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

std::string lowerCase(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

struct ZipPackage::Archive {
    zip_t* zip = nullptr;
    ~Archive() {
        if (zip) zip_discard(zip);
    }
};

namespace {

// An entry whose header states sizes the limits allow is inflated in one
// call by libdeflate, several times faster than libzip's zlib stream. Any
// doubt (another method, a size or checksum the data does not match) gives
// nullopt, and the entry is read the careful way, counted as it comes out.
std::optional<std::string> inflateWhole(zip_t* zip, zip_uint64_t index, const zip_stat_t& stat,
                                        std::size_t archiveBytes) {
    constexpr zip_uint64_t kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
    if ((stat.valid & kNeeded) != kNeeded || stat.comp_method != ZIP_CM_DEFLATE) return std::nullopt;
    // The packed size is the header's word too: no entry holds more bytes
    // than the whole archive.
    if (stat.comp_size > archiveBytes) return std::nullopt;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) return std::nullopt;
    zip_file_t* file = zip_fopen_index(zip, index, ZIP_FL_COMPRESSED);
    if (!file) return std::nullopt;
    std::string packed(static_cast<std::size_t>(stat.comp_size), '\0');
    const zip_int64_t got = zip_fread(file, packed.data(), packed.size());
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(packed.size())) return std::nullopt;
    std::string content(static_cast<std::size_t>(stat.size), '\0');
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    if (!decompressor) return std::nullopt;
    const libdeflate_result result = libdeflate_deflate_decompress(decompressor, packed.data(), packed.size(),
                                                                   content.data(), content.size(), nullptr);
    libdeflate_free_decompressor(decompressor);
    if (result != LIBDEFLATE_SUCCESS) return std::nullopt;
    if (libdeflate_crc32(0, content.data(), content.size()) != stat.crc) return std::nullopt;
    return content;
}

}  // namespace

ZipPackage::ZipPackage(std::unique_ptr<Archive> archive, ZipLimits limits, std::size_t archiveBytes)
    : archive_(std::move(archive)), limits_(limits), archiveBytes_(archiveBytes) {}
ZipPackage::ZipPackage(ZipPackage&&) noexcept = default;
ZipPackage& ZipPackage::operator=(ZipPackage&&) noexcept = default;
ZipPackage::~ZipPackage() = default;

quillary::Result<ZipPackage> ZipPackage::open(std::string_view bytes, ZipLimits limits) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) return quillary::failure(std::string("It cannot be opened as a zip archive."));
    auto archive = std::make_unique<Archive>();
    archive->zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive->zip) {
        zip_source_free(source);
        return quillary::failure(std::string("It is not a readable zip archive; it may be damaged or cut short."));
    }
    const zip_int64_t count = zip_get_num_entries(archive->zip, 0);
    if (count < 0 || static_cast<std::size_t>(count) > limits.entries)
        return quillary::failure(std::string("It holds more files than any document does."));
    ZipPackage package(std::move(archive), limits, bytes.size());
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(package.archive_->zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        // Some writers put the part name's leading "/" into the archive.
        if (name)
            package.indexByName_.try_emplace(lowerCase(name[0] == '/' ? name + 1 : name), static_cast<std::size_t>(i));
    }
    return package;
}

bool ZipPackage::has(std::string_view name) const { return indexByName_.contains(lowerCase(name)); }

quillary::Result<std::optional<std::string>> ZipPackage::read(std::string_view name, std::size_t maxBytes) {
    const auto found = indexByName_.find(lowerCase(name));
    if (found == indexByName_.end()) return std::optional<std::string>();
    const auto index = static_cast<zip_uint64_t>(found->second);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_->zip, index, 0, &stat) != 0) return std::optional<std::string>();
    const std::size_t packed = (stat.valid & ZIP_STAT_COMP_SIZE) ? static_cast<std::size_t>(stat.comp_size) : 0;
    const std::size_t mostBytes = std::min(maxBytes, limits_.unpackedBytes - unpacked_);
    const bool withinLimits = (stat.valid & ZIP_STAT_SIZE) && stat.size <= mostBytes &&
                              (stat.size < limits_.ratioCheckedFrom || stat.size / limits_.ratio <= packed);
    if (withinLimits) {
        if (std::optional<std::string> content = inflateWhole(archive_->zip, index, stat, archiveBytes_)) {
            unpacked_ += content->size();
            return content;
        }
    }
    zip_file_t* file = zip_fopen_index(archive_->zip, index, 0);
    if (!file) return std::optional<std::string>();
    std::string content;
    // The header's size is a hint for the allocation only, never more than
    // the limit allows.
    if (stat.valid & ZIP_STAT_SIZE)
        content.reserve(std::min<std::size_t>(stat.size, mostBytes));
    std::string refusal;
    bool damaged = false;
    char chunk[kChunkBytes];
    for (;;) {
        const zip_int64_t got = zip_fread(file, chunk, sizeof chunk);
        if (got <= 0) {
            damaged = got < 0;
            break;
        }
        // Asked before the bytes are added, so that the room taken for the
        // part never has to grow past its limit to find it passed.
        if (content.size() + static_cast<std::size_t>(got) > maxBytes) {
            refusal = "Its part \"" + std::string(name) + "\" unpacks to more than " + std::to_string(maxBytes >> 20) +
                      " MB, more than any manuscript holds.";
            break;
        }
        content.append(chunk, static_cast<std::size_t>(got));
        if (unpacked_ + content.size() > limits_.unpackedBytes) {
            refusal = "It unpacks to more than " + std::to_string(limits_.unpackedBytes >> 20) +
                      " MB, more than any manuscript holds.";
            break;
        }
        if (content.size() >= limits_.ratioCheckedFrom && content.size() / limits_.ratio > packed) {
            refusal = "Its part \"" + std::string(name) + "\" unpacks to hundreds of times its packed size, " +
                      "as no document does.";
            break;
        }
    }
    zip_fclose(file);
    if (!refusal.empty()) return quillary::failure(std::move(refusal));
    if (damaged) return std::optional<std::string>();
    unpacked_ += content.size();
    return std::optional<std::string>(std::move(content));
}

}  // namespace conv
