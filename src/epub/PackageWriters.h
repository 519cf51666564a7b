#pragma once
// The package documents written from the model: the package document, the
// NCX and the contents page, one writer each, and the list of every file
// the book holds. Markup of entries is written here and nowhere else.

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "epub/PackageModel.h"

namespace quillary::package {

// The program's own files a book is made from, for one EPUB version.
struct Templates {
    std::string mimetype, container, section, cover, ncx, opf;
};

// Reads them from the resources folder; fails naming the file that is missing.
Result<Templates> loadTemplates(const std::string& resourcesFolder, bool epub3);

// What a rendering of the model holds beyond the model itself.
struct Rendering {
    bool coverPage = true;     // the Kindle package goes without
    bool contentsPage = true;  // always in EPUB 3; in EPUB 2 where the manuscript placed it, and for Kindle
    std::string accessibility;  // the EPUB 3 metadata lines
};

// The rendering of the EPUB itself.
Rendering epubRendering(const PackageModel& model, std::string accessibility);

std::string packageDocument(const PackageModel& model, const Templates& templates, const Rendering& rendering);
std::string ncxDocument(const PackageModel& model, const Templates& templates);
std::string contentsDocument(const PackageModel& model);

// The package document with every line that names "cover.xhtml" or holds the
// cover's spine entry `<itemref idref="cover"/>` left out; the other lines
// keep their order, each followed by "\n". A text that ends in "\n" therefore
// comes back with one more "\n" at its end (the empty last line is kept).
std::string withoutCoverPage(std::string_view packageDocument);

// The pieces of the documents, each line ending in "\n".
std::string manifestLines(const std::vector<ManifestItem>& items);
std::string spineLines(const std::vector<SpineItem>& items);
std::string navMap(const PackageModel& model);
std::string contentsList(const PackageModel& model);
std::string startOfReadingEntry(const PackageModel& model);  // "" when there is none

// A page made from the section template with `content` in it.
std::string pageWith(std::string_view sectionTemplate, std::string_view content);

// Every file of a book: the model's pages and the author's files by
// reference, the documents written for this rendering held here.
struct BookFiles {
    std::deque<PackageFile> written;  // a deque: the list points into it
    std::vector<const PackageFile*> files;

    BookFiles() = default;
    BookFiles(const BookFiles&) = delete;
    BookFiles& operator=(const BookFiles&) = delete;
    BookFiles(BookFiles&&) = default;
};

// Every file of the book, "mimetype" first; the XML documents are not yet
// checked. The model must outlive the list.
BookFiles packageFiles(const PackageModel& model, const Templates& templates, const Rendering& rendering);

// The first document among `files` that is not well-formed XML, as the
// reason the book cannot be made; nullopt when all are.
std::optional<std::string> firstMalformedDocument(const std::vector<const PackageFile*>& files);

}  // namespace quillary::package
