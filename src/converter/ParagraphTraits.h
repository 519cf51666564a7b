#pragma once
// What the HTML writer needs to know of a paragraph before it writes it:
// whether it shows anything, the format most of its text has, its list
// mark, and what it is (a heading, a picture on its own, a caption).

#include "converter/Document.h"

#include <string_view>

namespace conv {

// Text, a tab, a break, a picture or a list mark: a paragraph without any
// is written as an empty line.
bool hasVisibleContent(const Paragraph& paragraph);

// A text run of nothing but blanks.
bool isBlank(const Inline& item);

// Text or a picture, not only blanks and breaks: what a heading needs to be one.
bool hasSubstance(const Paragraph& paragraph);

// Pictures with nothing but blanks (or a link around them) beside them.
bool isPictureParagraph(const Paragraph& paragraph);

// The heading element's level: the paragraph's heading level, 1 for a
// title, 0 for the rest.
int headingLevelOf(const Paragraph& paragraph);

// The marker word of a role, with its leading blank (" caption"); "" for Body.
std::string_view roleMarker(ParaRole role);

// The formatting of most of the paragraph's text, which the paragraph's rule
// carries; the paragraph mark's when it has no text.
const CharFormat& baseFormat(const Paragraph& paragraph);

// A list mark without the blanks and tabs around it.
std::string_view trimmedListText(std::string_view text);

// Whether a list mark counts its items (digits, or a letter before "." or
// ")"); any other mark is a bullet.
bool isOrderedMark(std::string_view mark);

}  // namespace conv
