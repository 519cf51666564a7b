#include "converter/CompoundFile.h"

#include <cstdint>
#include <vector>

namespace conv {

namespace {

constexpr std::string_view kSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kFatLocationsInHeader = 109;
constexpr std::size_t kEntrySize = 128;
// Sector numbers from here up mark the end of a chain or a free sector.
constexpr std::uint32_t kFirstSpecialSector = 0xFFFFFFFA;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
constexpr std::uint8_t kStreamEntry = 2;

std::uint32_t le32(std::string_view bytes, std::size_t at) {
    if (at + 4 > bytes.size()) return kNoEntry;
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t le16(std::string_view bytes, std::size_t at) {
    if (at + 2 > bytes.size()) return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

using Table = std::vector<std::uint32_t>;

void appendEntries(Table& table, std::string_view bytes) {
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) table.push_back(le32(bytes, at));
}

// Follows a chain of `unit`-sized pieces of `data` through `table` and
// collects up to `limit` bytes. A chain that leaves the data or runs in a
// circle (more steps than the table has entries) is damage: nothing.
std::optional<std::string> followChain(std::string_view data, std::size_t unit, std::size_t dataOffset,
                                       const Table& table, std::uint32_t start, std::size_t limit) {
    std::string collected;
    std::size_t steps = 0;
    for (std::uint32_t at = start; at < kFirstSpecialSector && collected.size() < limit; at = table[at]) {
        std::size_t offset = dataOffset + std::size_t{at} * unit;
        if (at >= table.size() || ++steps > table.size() || offset + unit > data.size()) return std::nullopt;
        collected.append(data.substr(offset, std::min(unit, limit - collected.size())));
    }
    return collected;
}

class Container {
public:
    explicit Container(std::string_view file) : file_(file) {
        std::uint16_t shift = le16(file, 0x1E);
        if (!isCompoundFile(file) || file.size() < kHeaderSize || shift < 9 || shift > 16) return;
        sectorSize_ = std::size_t{1} << shift;
        readFat();
    }

    bool usable() const { return !fat_.empty(); }

    std::optional<std::string> stream(std::uint32_t start, std::size_t limit) const {
        return followChain(file_, sectorSize_, sectorSize_, fat_, start, limit);
    }

    std::optional<std::string> directory() const { return stream(le32(file_, 0x30), file_.size()); }

    // Streams below the cut-off live in the mini stream (the root entry's
    // own stream) as chains of small sectors with a table of their own.
    std::optional<std::string> smallStream(std::string_view root, std::uint32_t start, std::size_t limit) const {
        std::optional<std::string> miniStream = stream(le32(root, 0x74), le32(root, 0x78));
        std::optional<std::string> miniFatBytes = stream(le32(file_, 0x3C), file_.size());
        std::uint16_t miniShift = le16(file_, 0x20);
        if (!miniStream || !miniFatBytes || miniShift < 2 || miniShift > 12) return std::nullopt;
        Table miniFat;
        appendEntries(miniFat, *miniFatBytes);
        return followChain(*miniStream, std::size_t{1} << miniShift, 0, miniFat, start, limit);
    }

    std::size_t miniCutoff() const { return le32(file_, 0x38); }

private:
    void readFat() {
        std::size_t fatSectors = le32(file_, 0x2C);
        if (fatSectors > file_.size() / sectorSize_) return;
        Table locations;
        appendEntries(locations, file_.substr(0x4C, 4 * kFatLocationsInHeader));
        // Past the first 109, the FAT's locations continue in a chain of
        // sectors that each end with the number of the next.
        std::uint32_t next = le32(file_, 0x44);
        for (std::size_t hops = 0; locations.size() < fatSectors && next < kFirstSpecialSector; ++hops) {
            std::size_t offset = (std::size_t{next} + 1) * sectorSize_;
            if (hops > fatSectors || offset + sectorSize_ > file_.size()) return;
            appendEntries(locations, file_.substr(offset, sectorSize_ - 4));
            next = le32(file_, offset + sectorSize_ - 4);
        }
        if (locations.size() < fatSectors) return;
        Table fat;
        for (std::size_t i = 0; i < fatSectors; ++i) {
            std::size_t offset = (std::size_t{locations[i]} + 1) * sectorSize_;
            if (offset + sectorSize_ > file_.size()) return;
            appendEntries(fat, file_.substr(offset, sectorSize_));
        }
        fat_ = std::move(fat);
    }

    std::string_view file_;
    std::size_t sectorSize_ = 0;
    Table fat_;
};

bool hasName(std::string_view entry, std::string_view name) {
    if (le16(entry, 0x40) != (name.size() + 1) * 2) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (entry[2 * i] != name[i] || entry[2 * i + 1] != '\0') return false;
    return true;
}

// The root's members form a tree through their left and right links; its
// top is the root entry's child.
std::optional<std::string_view> findRootMember(std::string_view directory, std::string_view name) {
    std::size_t entries = directory.size() / kEntrySize;
    std::vector<std::uint32_t> pending{le32(directory, 0x4C)};
    std::size_t visits = 0;
    while (!pending.empty()) {
        std::uint32_t id = pending.back();
        pending.pop_back();
        if (id >= entries) continue;
        if (++visits > entries) break;  // links that run in a circle
        std::string_view entry = directory.substr(std::size_t{id} * kEntrySize, kEntrySize);
        if (hasName(entry, name) && static_cast<std::uint8_t>(entry[0x42]) == kStreamEntry) return entry;
        pending.push_back(le32(entry, 0x44));
        pending.push_back(le32(entry, 0x48));
    }
    return std::nullopt;
}

}  // namespace

bool isCompoundFile(std::string_view content) { return content.starts_with(kSignature); }

std::optional<std::string> readRootStream(std::string_view content, std::string_view name, std::size_t count) {
    Container container(content);
    if (!container.usable()) return std::nullopt;
    std::optional<std::string> directory = container.directory();
    if (!directory || directory->size() < kEntrySize) return std::nullopt;
    std::optional<std::string_view> entry = findRootMember(*directory, name);
    if (!entry) return std::nullopt;
    std::size_t size = le32(*entry, 0x78);
    std::uint32_t start = le32(*entry, 0x74);
    std::size_t wanted = std::min(count, size);
    std::optional<std::string> bytes = size < container.miniCutoff()
                                           ? container.smallStream(directory->substr(0, kEntrySize), start, wanted)
                                           : container.stream(start, wanted);
    if (!bytes || bytes->size() < wanted) return std::nullopt;
    return bytes;
}

}  // namespace conv
