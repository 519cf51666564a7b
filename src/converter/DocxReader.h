#pragma once
// The WordprocessingML reader: the bytes of a Word XML document (.docx) to
// the plain document model, as the RTF reader reads the same document.

#include "base/Result.h"
#include "converter/Document.h"

#include <cstddef>
#include <string_view>

namespace conv {

// The document a .docx package holds. Fails, with a sentence for the
// author, when the bytes are no readable zip archive, the document's text
// is missing or not well-formed, or the package unpacks to more than any
// manuscript could (a zip bomb). No DTD is read, no entity expanded, no
// part name or relationship target used as a path: what the package holds
// is all that is read. Styles, lists, notes and pictures that are missing
// or damaged leave their text plain, their numbers out or their pictures
// without bytes; they fail nothing. A document of more than `maxPieces`
// pieces is refused too, reading stopped there.
quillary::Result<Document> readDocx(std::string_view bytes, std::size_t maxPieces = kMaxDocumentPieces);

}  // namespace conv
