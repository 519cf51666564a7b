#pragma once
// Text as the HTML writer puts it into a page: element content, attribute
// values and link targets.

#include <string>
#include <string_view>

namespace conv {

// Appends `text` escaped for HTML content: "<", ">" and "&" as entities, a
// line or paragraph separator (U+2028, U+2029, VT) as `lineBreak`, a tab as
// `tab`, other control characters dropped, everything else unchanged.
void appendEscaped(std::string& out, std::string_view text, std::string_view lineBreak, std::string_view tab);

// Appends `text` as the value of a quoted attribute: escaped as above with
// tabs and line breaks as blanks, and '"' as "&quot;".
void appendAttributeValue(std::string& out, std::string_view text);

// Appends a link's target as a valid URI for an href.
void appendLinkTarget(std::string& out, std::string_view target);

}  // namespace conv
