#pragma once
// The .docx reader as a fuzzing oracle, shared by the libFuzzer target and
// the unit test that replays its seeds and findings.
//
// An input that starts as a zip archive does ("PK\3\4") is read as the
// package itself, so that mutations reach the archive; any other input
// holds the package's parts as text, so that mutations reach the XML: up to
// six pieces separated by lines "====", which become word/document.xml,
// word/styles.xml, word/numbering.xml, word/footnotes.xml, the document's
// relationships (standard ones when the piece is empty) and
// word/media/image1.png.

#include <optional>
#include <string>
#include <string_view>

namespace conv::fuzzing {

// The package an input stands for.
std::string docxPackageOf(std::string_view input);

// What is wrong with reading the input: a document whose HTML loses the
// page's frame or is not UTF-8, or a refusal that does not start with the
// sentence for the author ("It ..."); nullopt when nothing is.
std::optional<std::string> docxReadingFault(std::string_view input);

}  // namespace conv::fuzzing
