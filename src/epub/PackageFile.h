#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillary::epub {

// A file of the package that the build writes: its path inside the book and
// its bytes.
struct PackageFile {
    std::string name;  // "OEBPS/section1.xhtml"
    std::string bytes;
};

// A file of the author's that the book packs as it is. Only its name is
// held: the archive reads it from the manuscript's folder when it is made.
struct AuthorFile {
    std::string name;       // its path inside the book: "OEBPS/images/Map.png"
    std::string source;     // its name in the manuscript's folder: "Map.png"
    std::string mediaType;  // "image/png"
    // What the build saw of it when it chose its media type: its first bytes
    // and its size (nullopt and 0 when nobody looked). The archive packs it
    // only while it still is that file.
    std::optional<std::string> head{};
    std::uint64_t size = 0;
    bool operator==(const AuthorFile&) const = default;
};

}  // namespace quillary::epub
