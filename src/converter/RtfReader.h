#pragma once
// The RTF reader: bytes of an RTF file to the plain document model.

#include "base/Result.h"
#include "converter/Document.h"

#include <cstddef>
#include <string_view>

namespace conv {

// Reads any bytes as RTF and returns the document they describe.
// Unbalanced braces, truncation, unknown words and absurd numbers yield
// whatever text could be recovered, and memory stays proportional to the
// input. It fails only on a document of more than `maxPieces` pieces, with
// the sentence that tells the author so; reading stops there.
quillary::Result<Document> readRtf(std::string_view rtf, std::size_t maxPieces = kMaxDocumentPieces);

}  // namespace conv
