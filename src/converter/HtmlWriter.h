#pragma once
// The HTML writer: the document model to the converter's HTML form.

#include "converter/Document.h"

#include <string>

namespace conv {

// Writes the whole HTML page. The form the build relies on: a style block
// with one rule per line between the lines "<style type=\"text/css\">" and
// "</style>"; "<body>" and "</body>" on lines of their own; one paragraph
// (or table or list line) per line; a line break inside a paragraph as
// "<br>" and a line end; tabs as Apple-tab-span spans; hyperlinks as
// `HYPERLINK "target" <span class="sN">text</span>`; the text's "<", ">"
// and "&" as entities and every other character as UTF-8.
std::string writeHtml(const Document& document);

// Appends `text` escaped for HTML content: "<", ">" and "&" as entities, a
// line or paragraph separator (U+2028, U+2029, VT) as `lineBreak`, a tab as
// `tab`, other control characters dropped, everything else unchanged.
void appendEscaped(std::string& out, std::string_view text, std::string_view lineBreak, std::string_view tab);

}  // namespace conv
