#pragma once
// One entry of an archive, compressed in memory before libzip sees it.

#include <zip.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quillary::epub::archive {

struct DeflatedEntry {
    std::string bytes;        // raw deflate data, or the content itself when stored
    std::uint64_t size = 0;   // the content's size
    std::uint32_t crc = 0;    // the content's CRC-32
    bool stored = false;
};

// What goes into one entry: its content, and whether it is stored as it is.
struct EntryContent {
    std::string_view bytes;
    bool store = false;
};

// Every entry deflated at the level the archive uses, or kept as it is,
// in order; the entries are shared among a few threads. nullopt when no
// compressor could be made (each needs a few hundred KiB). Any thread.
std::optional<std::vector<DeflatedEntry>> deflateEntries(const std::vector<EntryContent>& contents);

// Entries shorter than this are deflated harder: they cost little either way.
inline constexpr std::size_t kSmallEntry = 4096;

// Entries deflated ahead of the archive, by name.
using EarlyEntries = std::unordered_map<std::string, DeflatedEntry>;

// Deflates entries on a thread of its own as they are handed to it, while
// the rest of the book is still being made: on a machine with a core to
// spare the archive then has less left to do.
class EarlyDeflater {
public:
    EarlyDeflater();
    EarlyDeflater(const EarlyDeflater&) = delete;
    EarlyDeflater& operator=(const EarlyDeflater&) = delete;
    ~EarlyDeflater();

    // Takes a copy of the entry, unless the ones waiting already hold
    // kMostWaiting bytes (a long book need not be held twice over) or it is
    // a small one; what is left out is deflated by the archive.
    void add(std::string_view name, std::string_view bytes);
    static constexpr std::size_t kMostWaiting = 1 << 20;
    // Stops after the entry in hand; what was deflated by then. Entries
    // still waiting are left to the archive.
    EarlyEntries finish();

private:
    void work();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::pair<std::string, std::string>> waiting_;
    std::size_t waitingBytes_ = 0;
    EarlyEntries done_;
    bool stopping_ = false;
    std::thread thread_;
};

// A source that hands `entry` to `archive` as it is: libzip writes the
// bytes, the method, the sizes and the CRC without inflating or deflating
// anything.
// nullptr when it cannot be made; otherwise the archive owns it once added
// (free it with zip_source_free if adding fails).
zip_source_t* deflatedSource(zip_t* archive, DeflatedEntry entry);

}  // namespace quillary::epub::archive
