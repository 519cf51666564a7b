#pragma once

#include <string>

namespace quillary::package {

// A file of the package: its path inside the book and its bytes.
struct PackageFile {
    std::string name;  // "OEBPS/section1.xhtml"
    std::string bytes;
};

}  // namespace quillary::package
