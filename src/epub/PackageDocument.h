#pragma once
// The package document (content.opf), written from the model: its metadata
// from the book's facts, its manifest, spine and (in EPUB 2) guide from the
// entries the assembly made. Every line of it comes from here.

#include <string>
#include <string_view>
#include <vector>

#include "epub/PackageModel.h"
#include "epub/Templates.h"

namespace quillary::epub {

// The package document with everything but "$spine\n", "$manifest\n" and
// "$guide\n" filled in; metadata elements left empty by the author are
// dropped, and so are the cover image's lines when there is no cover. The
// spine of a book in a right-to-left language runs right to left where the
// template asks for its direction ("$spine_direction", EPUB 3 only: the
// EPUB 2 package schema has no such attribute).
std::string packageTemplate(std::string_view opf, const BookFacts& facts);

// The pieces of the document, each line ending in "\n".
std::string manifestLines(const std::vector<ManifestItem>& items);
std::string spineLines(const std::vector<SpineItem>& items);
// The EPUB 2 guide: where reading starts, and the contents page when the
// rendering has one.
std::string guideLines(const PackageModel& model, bool contentsPage);

std::string packageDocument(const PackageModel& model, const Templates& templates, const Rendering& rendering);

// The package document with every line that names "cover.xhtml" or holds the
// cover's spine entry `<itemref idref="cover"/>` left out; the other lines
// keep their order, each followed by "\n". A text that ends in "\n" therefore
// comes back with one more "\n" at its end (the empty last line is kept).
std::string withoutCoverPage(std::string_view packageDocument);

}  // namespace quillary::epub
