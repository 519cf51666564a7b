#pragma once

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
    bool operator==(const AuthorFile&) const = default;
};

}  // namespace quillary::epub
