#pragma once
// Every file of a book, for one rendering of its model: the documents the
// writers make, the pages the assembly made, and the author's files.

#include <deque>

#include "base/Result.h"
#include "epub/Archive.h"
#include "epub/PackageModel.h"
#include "epub/Templates.h"

namespace quillary::epub {

// The rendering of the EPUB itself.
Rendering epubRendering(const PackageModel& model, std::string accessibility);

// The model's pages and author's files by reference, the documents written
// for this rendering held here.
struct BookFiles {
    std::deque<PackageFile> written;  // a deque: the list points into it
    archive::ArchiveFiles files;

    BookFiles() = default;
    BookFiles(const BookFiles&) = delete;
    BookFiles& operator=(const BookFiles&) = delete;
    BookFiles(BookFiles&&) = default;
};

// Every file of the book, "mimetype" first; the XML documents are not yet
// checked. The model must outlive the list.
BookFiles packageFiles(const PackageModel& model, const Templates& templates, const Rendering& rendering);

// Done when every XML document among `files` is well-formed; otherwise the
// first that is not, as the reason the book cannot be made.
Outcome allWellFormed(const archive::ArchiveFiles& files);

}  // namespace quillary::epub
