#pragma once
// The whole build as a fuzzing oracle: manuscript bytes through the RTF
// reader, the normalisation and the EPUB passes to a finished book, whose
// XHTML, OPF and NCX documents must each be well-formed XML. Shared by the
// libFuzzer target and the unit test that replays its seeds and findings.
// It touches no disk: the templates are the caller's, and the manuscript's
// folder holds nothing.

#include <optional>
#include <string>
#include <string_view>

#include "epub/Templates.h"

namespace quillary::fuzzing {

// Builds the book of the RTF `manuscript` in EPUB 3 and in EPUB 2 (the
// book's language picked from the input's length, so right-to-left books
// get built too) with the templates of each version. Returns the first
// document that is not well-formed, as "EPUB 3 section2.xhtml: line 4: ...",
// or nullopt. A book that could not be made at all counts as a finding.
std::optional<std::string> illFormedDocument(std::string_view manuscript, const epub::Templates& epub2,
                                             const epub::Templates& epub3);

}  // namespace quillary::fuzzing
