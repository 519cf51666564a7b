#pragma once
// One entry of an archive, compressed in memory before libzip sees it.

#include <zip.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillary::archive {

struct DeflatedEntry {
    std::string bytes;        // raw deflate data, or the content itself when stored
    std::uint64_t size = 0;   // the content's size
    std::uint32_t crc = 0;    // the content's CRC-32
    bool stored = false;
};

// What goes into one entry: its content, and whether it is stored as it is.
struct EntryContent {
    std::string bytes;
    bool store = false;
};

// Every entry deflated at the level the archive uses, or kept as it is,
// in order; the entries are shared among a few threads. nullopt when no
// compressor could be made (each needs a few hundred KiB). Any thread.
std::optional<std::vector<DeflatedEntry>> deflateEntries(std::vector<EntryContent> contents);

// A source that hands `entry` to `archive` as it is: libzip writes the
// bytes, the method, the sizes and the CRC without inflating or deflating
// anything.
// nullptr when it cannot be made; otherwise the archive owns it once added
// (free it with zip_source_free if adding fails).
zip_source_t* deflatedSource(zip_t* archive, DeflatedEntry entry);

}  // namespace quillary::archive
