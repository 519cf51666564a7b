#include "epub/AuthorFileEntry.h"
#include "epub/ZipSource.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

namespace quillary::epub::archive {

namespace {

// Deflating a JPEG, a PNG or an MP4 makes it a little larger; only the
// types below are known to be compressed already, so a type not listed
// (an SVG, a WAV) is deflated as before.
constexpr std::array<std::string_view, 18> kCompressedTypes{
    "image/jpeg", "image/png",  "image/gif",  "image/webp", "audio/mpeg", "audio/mp4",
    "audio/aac",  "audio/ogg",  "audio/opus", "audio/webm", "video/mp4",  "video/quicktime",
    "video/3gpp", "video/webm", "video/ogg",  "font/woff",  "font/woff2", "application/font-woff"};

constexpr const char* kChanged = "changed while the book was being made; build it again";

struct SourceState {
    const AuthorFile& file;
    AuthorFileReading& reading;
    std::unique_ptr<ByteSource> source{};
    std::uint64_t readSoFar = 0;
    zip_error_t error{};
};

zip_int64_t fail(SourceState& state, const std::string& reason, int code) {
    if (state.reading.problem.empty()) state.reading.problem = "cannot pack " + state.file.source + ": " + reason;
    zip_error_set(&state.error, code, 0);
    return -1;
}

zip_int64_t open(SourceState& state) {
    Result<std::unique_ptr<ByteSource>> opened = state.reading.files.open(state.reading.folder, state.file.source);
    if (!opened) return fail(state, opened.reason(), ZIP_ER_OPEN);
    state.source = std::move(*opened);
    state.readSoFar = 0;
    if (state.file.head && state.source->size() != state.file.size) return fail(state, kChanged, ZIP_ER_CHANGED);
    return 0;
}

// The bytes just read where they overlap the head the build looked at.
bool keepsTheHead(const SourceState& state, const char* bytes, std::size_t count) {
    if (!state.file.head || state.readSoFar >= state.file.head->size()) return true;
    const auto at = static_cast<std::size_t>(state.readSoFar);
    const std::size_t overlap = std::min(count, state.file.head->size() - at);
    return std::memcmp(bytes, state.file.head->data() + at, overlap) == 0;
}

zip_int64_t read(SourceState& state, void* data, zip_uint64_t length) {
    if (!state.source) return fail(state, "was read before it was opened", ZIP_ER_INTERNAL);
    auto* bytes = static_cast<char*>(data);
    const Result<std::size_t> n = state.source->read(bytes, static_cast<std::size_t>(length));
    if (!n) return fail(state, n.reason(), ZIP_ER_READ);
    // A file cut short or grown while it is packed would give an entry that
    // is whole to the zip but not the picture the book shows.
    if (!keepsTheHead(state, bytes, *n)) return fail(state, kChanged, ZIP_ER_CHANGED);
    state.readSoFar += *n;
    const std::uint64_t expected = state.file.head ? state.file.size : state.source->size();
    if (state.readSoFar > expected || (*n == 0 && state.readSoFar != expected))
        return fail(state, kChanged, ZIP_ER_CHANGED);
    return static_cast<zip_int64_t>(*n);
}

zip_int64_t stat(const SourceState& state, void* data, zip_uint64_t length) {
    if (length < sizeof(zip_stat_t)) return -1;
    auto* stat = static_cast<zip_stat_t*>(data);
    zip_stat_init(stat);
    // The size known ahead keeps the entry's header free of the ZIP64 extra
    // field that libzip adds when it must guess.
    if (state.file.head) {
        stat->valid = ZIP_STAT_SIZE;
        stat->size = state.file.size;
    }
    return sizeof(zip_stat_t);
}

zip_int64_t answer(void* userData, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* state = static_cast<SourceState*>(userData);
    switch (command) {
        case ZIP_SOURCE_OPEN: return open(*state);
        case ZIP_SOURCE_READ: return read(*state, data, length);
        case ZIP_SOURCE_CLOSE: state->source.reset(); return 0;
        case ZIP_SOURCE_STAT: return stat(*state, data, length);
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&state->error, data, length);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&state->error);
            delete state;
            return 0;
        case ZIP_SOURCE_SUPPORTS: return ZIP_SOURCE_SUPPORTS_READABLE;
        default: break;
    }
    zip_error_set(&state->error, ZIP_ER_INVAL, 0);
    return -1;
}

}  // namespace

bool storedAsItIs(std::string_view mediaType) {
    return std::find(kCompressedTypes.begin(), kCompressedTypes.end(), mediaType) != kCompressedTypes.end();
}

zip_source_t* authorFileSource(zip_t* archive, const AuthorFile& file, AuthorFileReading& reading) {
    return sourceOwning(new (std::nothrow) SourceState{file, reading}, answer, zip_get_error(archive));
}

}  // namespace quillary::epub::archive
