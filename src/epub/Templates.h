#pragma once

#include <string>

namespace quillary::epub {

// The program's own files a book is made from, for one EPUB version: read
// from its resources once per run, at the edge, and handed to the writers.
struct Templates {
    std::string mimetype, container, section, cover, ncx, opf;
};

}  // namespace quillary::epub
