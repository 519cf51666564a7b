#pragma once
// Small text operations on single lines of the book's HTML, shared by the
// marks pass, the sections pass and the image and endnote handling. They take
// what they need as arguments and touch no build state.

#include <initializer_list>
#include <string>
#include <string_view>

namespace quillary::epub {

// The plain text of an HTML fragment: leading tags dropped, every other tag
// dropped, "&nbsp;" and "&#160;" turned into blanks, and tabs and Unicode
// space separators (UTF-8) trimmed from both ends. Line ends are kept.
// A piece before the first "<" that holds a ">" keeps only what follows that
// ">", the same as a piece after a tag does.
std::string plainTextOf(std::string_view html);

// A few words from the start of an HTML fragment's plain text, to name it
// to the author: at most five words and about forty characters, cut at a
// word boundary; a first word longer than that is cut, never inside a
// character reference. "" when the fragment has no text.
std::string firstWords(std::string_view html);

// True when the line holds one of the colon directives ("bookmark:", "toc:",
// "srh:", "pnh:", any case) or a section break ("#######", exact).
bool isDirectiveLine(std::string_view line);

// True when a word ending in ":" from `words` (any case) stands in the line,
// e.g. holdsColonWord(line, {">image:", ">fimage:"}). Found from the line's
// colons, so a long line without colons costs one memchr.
bool holdsColonWord(std::string_view line, std::initializer_list<std::string_view> words);

// True when the line holds an endnote's opening "&lt;&lt;" (any case) and no
// "&lt;&lt;&lt;" anywhere.
bool holdsEndnoteMark(std::string_view line);

// Puts the content of a one-line element into <span class="sz">: the text
// up to and including the first ">" stays in front, the text from the last
// "</" on stays behind. A line whose only ">" is its last character is
// returned unchanged; a line without ">" is wrapped whole.
std::string wrapInSizeSpan(const std::string& line);

}  // namespace quillary::epub
