#pragma once
// Font sizes made relative to the reader's chosen size. The size most of
// the manuscript's text is in becomes 100 %, and every other size keeps its
// proportion to it, so a reading system that honours the book's stylesheet
// starts the book at the size the reader picked, as every other book.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillary::manuscript {

// The pixels of a rule's "font: N.Npx" shorthand (the converter writes a
// point as a pixel), or 0 when it states none.
double fontPixels(std::string_view rule);

// Rewrites the size of each rule's font shorthand as a percentage. Rules of
// block elements (paragraphs, headings, list items) are measured against
// the body size: the size with the most characters of text in `body`, the
// converted manuscript's lines behind the style block. A run's rule is
// measured against the block it stands in most often, as a percentage
// applies to the enclosing element's size. Superscripts and subscripts are
// set at three quarters of their size, as printed type has them.
void makeSizesRelative(std::vector<std::string>& rules, std::span<const std::string> body);

}  // namespace quillary::manuscript
