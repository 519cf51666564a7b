#pragma once
// Reading a book-information file back into the window's values.

#include <optional>
#include <string>
#include <vector>

#include "book/BookInfo.h"
#include "platform/Window.h"

namespace quillary {

// The file's bytes as UTF-8 text: UTF-8 (a byte-order mark dropped), UTF-16
// with a byte-order mark, else Windows-1252, the usual encoding of a file
// written by hand on another system.
std::string decodeTextFile(const std::string& bytes);

// Lays the file's lines over the fields in file order: CR LF, CR and the
// other line separators all end a line; each line is trimmed of blanks and
// tabs; a blank line keeps the entry's value but still takes its number;
// lines past the eighth are ignored.
void applyBookInformation(const std::string& text, BookInfo& info);


// "yyyy-MM-dd" (one to four year digits, one or two for month and day) as a
// date, or nullopt when the text is not such a date.
std::optional<CivilDate> parsePublicationDate(const std::string& text);
// True when the text has that form, whether or not it names a real day.
bool hasPublicationDateForm(const std::string& text);

// The language index of a stored entry: leading blanks skipped, digits read
// up to the first other character; no number, or one past the table, is 0.
int parseLanguageIndex(const std::string& text);

CivilDate today();

}  // namespace quillary
