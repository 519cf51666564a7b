#pragma once
// The book's information on its way from the author to a build: found in
// the file an earlier build stored (or the manuscript's folder holds), laid
// into the fields, typed over, and taken from the fields into the request
// and the stored file when a build starts. Plain functions, shared by the
// window and the command line.

#include <ctime>
#include <optional>
#include <string>

#include "base/Result.h"
#include "book/BookInfo.h"
#include "book/BuildRequest.h"
#include "platform/Window.h"

namespace quillary::app {

// ---- Reading a stored file ------------------------------------------------

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
// "2013-03-01"
std::string formatDate(const CivilDate& date);

struct StoredBookInformation {
    std::string path;  // the file it was read from
    std::string text;  // decoded
};

// The book information stored for `manuscript`: the file an earlier build
// wrote into `dataFolder` (empty: none) for a manuscript of that name, else
// "bookInfo.txt" in the manuscript's folder; an empty file counts as none.
std::optional<StoredBookInformation> findBookInformation(const std::string& dataFolder,
                                                         const std::string& manuscript);

// The fields as the stored text fills them: the title falls back on the
// manuscript folder's name, a date that is blank or no day of the calendar
// on today, the language on the first of the table.
BookInfo fieldsFromStored(const std::string& manuscript, const std::optional<std::string>& storedText);

// ---- From the fields to a build -------------------------------------------

// The book's file name the save panel proposes, with ".epub": the ISBN
// without its "-", else the title with ":" as "-" and without double quotes,
// else "No Title"; never with a "/", which would put the book into another
// folder.
std::string defaultBookName(const BookInfo& fields);

// What the author chose beside the book's information.
struct BuildChoices {
    std::string destinationFolder;
    std::string bookName;  // without extension
    bool epub3 = true;
    bool kindle = false;
    std::time_t entryTime = 0;
};

// The request for a build of `manuscript` from the fields as typed: line
// breaks as blanks, blanks and tabs trimmed, stand-ins for what is empty,
// the ISBN without its separators, and every entry but the language in
// publication form.
BuildRequest makeBuildRequest(const std::string& manuscript, const BookInfo& fields, const BuildChoices& choices);

// An entry as the package documents take it: "&" escaped, normalised with
// the book-information setting, then "<" and ">" escaped.
std::string publicationForm(const std::string& entry, bool epub3);

// Stores the fields for the next build of a manuscript of that name, in
// `dataFolder`: eight lines, as typed but for the stand-ins.
Outcome storeBookInformation(const std::string& dataFolder, const std::string& manuscript, const BookInfo& fields);

}  // namespace quillary::app
