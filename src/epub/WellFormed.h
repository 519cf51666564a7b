#pragma once
// The last word on whether a document of the book can be opened: reading
// systems parse every page, the package document and the NCX as XML and
// refuse the whole book at the first error, so the build checks each of
// them before it calls the book made.

#include <string_view>

#include "base/Result.h"

namespace quillary::epub {

// Done when `document` is a well-formed XML document (one root element,
// tags nested and closed, attributes quoted and unique, references to the
// five XML entities, numeric references to XML characters, or, where the
// document declares an external DTD, the named entities of XHTML); otherwise
// what is wrong, with its line: "line 12: </p> closes <span>".
// Linear in the document's length; reads nothing but its argument.
Outcome wellFormed(std::string_view document);

}  // namespace quillary::epub
