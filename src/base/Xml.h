#pragma once
// Text placed into markup that we write by hand.

#include <string>
#include <string_view>

namespace quillary::xml {

// `text` with each of `characters` that it holds written as its reference:
// "&" as "&amp;", "<" as "&lt;", ">" as "&gt;", "\"" as "&quot;". Other
// characters, and bytes outside ASCII, stay as they are. By default all
// four, which makes any text safe in element content and in an attribute
// between double quotes; a text that is markup already (page text) needs
// only the quote when it goes into an attribute.
std::string escaped(std::string_view text, std::string_view characters = "&<>\"");

}  // namespace quillary::xml
