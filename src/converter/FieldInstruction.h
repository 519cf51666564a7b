#pragma once
// Reading the instruction of an RTF field.

#include <string>
#include <string_view>

namespace conv {

// The target of a HYPERLINK field instruction, such as
// `HYPERLINK "http://example.com" \o "tip"`; a \l anchor is added as a
// fragment. Empty when the instruction is not a hyperlink, or links only to a
// place inside the document (\l alone, or an address that is only a
// "#fragment"), which has no address once the book is cut into sections.
std::string hyperlinkTarget(std::string_view instruction);

// The text an EQ field shows on a line of plain text: for an overstrike
// (\o, which Word uses for phonetic guides over Japanese and Chinese text)
// its last element, the base text; for every other element the text of its
// arguments, in order. Empty when the instruction is not an equation.
std::string equationText(std::string_view instruction);

}  // namespace conv
