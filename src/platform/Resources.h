#pragma once
// Where the program's own files are: templates, help page, catalogues.

#include <string>

namespace quillary {

struct Resources {
    std::string folder;  // $QUILLARY_RESOURCES, else ../share/quillary beside the executable

    std::string path(const std::string& fileName) const { return folder + "/" + fileName; }

    // "section-%d.html" -> "section-3.html" for EPUB 3, "section-2.html" otherwise.
    static std::string versioned(const std::string& pattern, bool epub3);

    // The resources folder for a program whose executable is `executablePath`.
    static std::string locate(const std::string& executablePath);
};

}  // namespace quillary
