#pragma once
// Word XML documents (.docx) assembled from their parts for the converter's
// tests, and the document model read back as lines of text.

#include "ConverterTestSupport.h"
#include "converter/Document.h"

#include <string>

namespace conv::testing {

// The parts of a package; each but `extra` is what stands inside the root
// element of its part, and a part left empty is left out.
struct DocxParts {
    std::string body;         // inside w:body of word/document.xml
    std::string doctype{};    // before the document's root element
    std::string styles{}, numbering{}, footnotes{}, endnotes{}, settings{};
    std::string core{};       // inside cp:coreProperties
    std::string relationships{};  // more Relationship elements of the document part
    std::vector<std::pair<std::string, std::string>> extra{};  // other entries, as they stand
};

// The package, with the content types, the relationships every part needs
// and the namespaces Word declares on every root; its entries deflated, or
// stored as they stand.
std::string docxOf(const DocxParts& parts, bool deflated = true);

// The model as lines: "info ..." when the document states properties, then a
// line per paragraph ("p", its heading level, role, page break, direction
// and list mark, then ": " and its content) and per table, row and cell.
// In the content, runs in another language begin with "{tag}", and tabs,
// breaks, links and pictures are written "{tab}", "{br}", "{link TARGET}",
// "{/link}" and "{picture FORMAT BYTES WIDTHxHEIGHT "DESCRIPTION"}".
Lines describeModel(const Document& document);

}  // namespace conv::testing
