#pragma once
// The RTF reader: bytes of an RTF file to the plain document model.

#include "converter/Document.h"

#include <string_view>

namespace conv {

// Reads any bytes as RTF and returns the document they describe. It never
// fails: unbalanced braces, truncation, unknown words and absurd numbers
// yield whatever text could be recovered, and memory stays proportional to
// the input.
Document readRtf(std::string_view rtf);

}  // namespace conv
