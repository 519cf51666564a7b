#pragma once
// Small text operations on single lines of the book's HTML, shared by the
// marks pass, the sections pass and the image and endnote handling. They take
// what they need as arguments and touch no build state.

#include <string>
#include <string_view>

namespace quillary {

// The plain text of an HTML fragment: leading tags dropped, every other tag
// dropped, "&nbsp;" and "&#160;" turned into blanks, and tabs and Unicode
// space separators (UTF-8) trimmed from both ends. Line ends are kept.
// A piece before the first "<" that holds a ">" keeps only what follows that
// ">", the same as a piece after a tag does.
std::string extractTagName(std::string_view html);

// True when the line holds one of the colon directives ("bookmark:", "toc:",
// "srh:", "pnh:", any case) or a section break ("#######", exact).
bool isDirectiveLine(std::string_view line);

// Puts the content of a one-line element into <span class="sz">: the text
// up to and including the first ">" stays in front, the text from the last
// "</" on stays behind. A line whose only ">" is its last character is
// returned unchanged; a line without ">" is wrapped whole.
std::string wrapInSizeSpan(const std::string& line);

}  // namespace quillary
