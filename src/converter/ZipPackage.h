#pragma once
// A zip archive held in memory, read part by part under limits: an archive
// that claims or holds more than a manuscript could is refused rather than
// unpacked into memory.

#include "base/Result.h"

#include <cstddef>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace conv {

// How much an archive may hold. The defaults are for manuscripts: a
// million-word novel with its pictures unpacks to a tenth of the bytes, and
// text deflates to a tenth or a twentieth, pictures hardly at all, so an
// entry that comes out hundreds of times larger than it went in is a bomb.
struct ZipLimits {
    std::size_t entries = 20000;
    std::size_t unpackedBytes = 512u * 1024 * 1024;    // all the entries read, together
    std::size_t ratio = 250;                           // unpacked to packed bytes of an entry...
    std::size_t ratioCheckedFrom = 16u * 1024 * 1024;  // ...once it has unpacked this many
};

class ZipPackage {
public:
    // Opens the archive whose bytes are `bytes`; they must outlive the
    // package. Fails when they are no zip archive or list more entries than
    // the limits allow.
    static quillary::Result<ZipPackage> open(std::string_view bytes, ZipLimits limits = {});

    ZipPackage(ZipPackage&&) noexcept;
    ZipPackage& operator=(ZipPackage&&) noexcept;
    ~ZipPackage();

    // Whether an entry of that name exists; names compare without regard to
    // ASCII case, as part names do.
    bool has(std::string_view name) const;

    // The whole content of the entry `name`. nullopt when there is no such
    // entry or it cannot be inflated (damaged, encrypted); a failure when
    // inflating it would pass the limits on unpacked bytes, for this entry
    // and for everything read from the package so far, or when it inflates
    // to many times its compressed size, or past `maxBytes`. The limits are
    // counted on the bytes as they come out, not taken from the entry's
    // header.
    quillary::Result<std::optional<std::string>> read(std::string_view name,
                                                      std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

private:
    struct Archive;
    ZipPackage(std::unique_ptr<Archive> archive, ZipLimits limits, std::size_t archiveBytes);

    std::unique_ptr<Archive> archive_;
    ZipLimits limits_;
    std::unordered_map<std::string, std::size_t> indexByName_;  // lower-case name -> entry index
    std::size_t archiveBytes_;
    std::size_t unpacked_ = 0;
};

}  // namespace conv
