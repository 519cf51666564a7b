#pragma once
// Literal text operations shared by every pass. Case-insensitive forms fold
// ASCII letters only: the texts they search are ASCII after normalisation.

#include <string>
#include <string_view>
#include <vector>

namespace quillary::text {

// Replaces every occurrence of `from`, scanning left to right and going on
// behind each inserted text; one pass, linear in the text. Empty `from`
// changes nothing. Returns the number of replacements.
std::size_t replaceAll(std::string& text, std::string_view from, std::string_view to);
std::string replacedAll(std::string text, std::string_view from, std::string_view to);

bool contains(std::string_view text, std::string_view needle);
bool containsIgnoringCase(std::string_view text, std::string_view needle);
// Position of the first match at or after `from`, or npos.
std::size_t findIgnoringCase(std::string_view text, std::string_view needle,
                             std::size_t from = 0);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);

// Trims blanks (U+0020) and tabs at both ends.
std::string trimBlanksAndTabs(std::string_view text);

// The length of the line separator at `at` (LF, CR, VT, FF, U+0085, U+2028,
// U+2029 in UTF-8), 0 when there is none.
std::size_t lineSeparatorLength(std::string_view text, std::size_t at);
// Every line separator above (CR LF counts as one) replaced by a blank.
std::string withLineBreaksAsBlanks(std::string_view text);
std::string lowercaseAscii(std::string_view text);

// The text with its character references resolved, as UTF-8: decimal and
// hexadecimal ones ("&#220;", "&#xDC;") and "&amp;", "&lt;", "&gt;",
// "&quot;", "&apos;". Anything else that begins with "&" stays as it is.
std::string decodeCharacterReferences(std::string_view text);

// Splits at every occurrence of `separator`, keeping empty pieces:
// split("a,,b", ",") is {"a", "", "b"}; split("", ",") is {""}.
std::vector<std::string> split(std::string_view text, std::string_view separator);

// Fills a format in the style of the localised texts: each "%@", "%d" or
// "%ld" takes the next argument in order, "%%" is one "%". Missing arguments
// leave the placeholder empty; surplus arguments are ignored.
std::string format(std::string_view pattern, const std::vector<std::string>& arguments);

}  // namespace quillary::text
