#pragma once
// The whole build as a fuzzing oracle: manuscript bytes through the RTF
// reader, the normalisation and the EPUB passes to a finished book, whose
// XHTML, OPF and NCX documents must each be well-formed XML. Shared by the
// libFuzzer target and the unit test that replays its seeds and findings.

#include <optional>
#include <string>
#include <string_view>

namespace quillary::fuzzing {

// Builds the book of the RTF `manuscript` in EPUB 3 and in EPUB 2 (the
// book's language picked from the input's length, so right-to-left books
// get built too), with the templates of `resourcesFolder`, the manuscript's
// folder being `workFolder`. Returns the first
// document that is not well-formed, as "EPUB 3 section2.xhtml: line 4: ...",
// or nullopt. A book that could not be made at all counts as a finding.
std::optional<std::string> illFormedDocument(std::string_view manuscript, const std::string& resourcesFolder,
                                             const std::string& workFolder);

}  // namespace quillary::fuzzing
