#pragma once
// The book's information on its way from the author to a build: found in
// the file an earlier build stored (or the manuscript's folder holds), laid
// into the fields, typed over, and taken from the fields into the request
// and the stored file when a build starts. Plain functions, shared by the
// window and the command line.

#include <ctime>
#include <optional>
#include <string>

#include "app/DocumentProperties.h"
#include "base/Result.h"
#include "book/BookInfo.h"
#include "book/BuildRequest.h"
#include "platform/Localizer.h"
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

// The stored language of an entry: an index of the quick list or a
// well-formed tag as it stands, anything else the first of the list ("0").
std::string parseStoredLanguage(const std::string& text);

// What the author should hear about an ISBN-10 or ISBN-13 whose check digit
// is wrong ("The ISBN 978-0-306-40615-6 should end in 7 ..."); "" for any
// other text, a right ISBN included. Blanks and "-" are ignored.
std::string isbnCheckDigitAdvice(const std::string& isbn, const Localizer& texts);

CivilDate today();
// "2013-03-01"
std::string formatDate(const CivilDate& date);

// Where the fields of a manuscript came from, in the order they are tried.
enum class InformationSource {
    Stored,            // the file an earlier build or edit stored for this very manuscript
    BesideManuscript,  // "bookInfo.txt" in the manuscript's folder
    None,              // neither: the title is the folder's name
};

struct StoredBookInformation {
    std::string path;  // the file it was read from
    std::string text;  // decoded
    InformationSource source = InformationSource::Stored;
};

// The file in `dataFolder` that holds the book information of `manuscript`:
// "<name>Info-<16 hex digits>.txt", the digits a hash of the manuscript's
// folder, so that manuscripts of one name in two folders never share it.
std::string storedInformationPath(const std::string& dataFolder, const std::string& manuscript);

// The book information stored for `manuscript`: its own file in
// `dataFolder` (empty: none), else "bookInfo.txt" in the manuscript's
// folder, else the file "<name>Info.txt" that versions before the keyed
// files wrote for any manuscript of that name. That file carries no
// folder, so the first manuscript of the name that finds it claims it: it
// is renamed to that manuscript's own file and no other manuscript sees it
// again. An empty file counts as none.
std::optional<StoredBookInformation> findBookInformation(const std::string& dataFolder,
                                                         const std::string& manuscript);

// The fields as the stored text fills them: the title falls back on the
// manuscript folder's name, a date that is blank or no day of the calendar
// on today, the language on the first of the table. The stand-ins that
// earlier versions stored for empty fields ("No Author" and the like) are
// read as empty.
// The document's own properties fill what the stored text leaves empty
// (before the title falls back on the folder); `propertiesUsed`, when given,
// says whether they filled anything.
BookInfo fieldsFromStored(const std::string& manuscript, const std::optional<std::string>& storedText,
                          const DocumentProperties& properties = {}, bool* propertiesUsed = nullptr);

// The line that tells the author where the fields came from, the same in
// both front ends: "Book information from PATH, stored by an earlier
// build." and the like; `titleGiven` when the author gave the title, so it
// does not come from the folder; `propertiesUsed` when the document's own
// properties filled fields.
std::string informationSourceLine(const std::optional<StoredBookInformation>& stored, const std::string& manuscript,
                                  bool titleGiven, bool propertiesUsed, const Localizer& texts);

// Why the bookInfo.txt beside `manuscript` was not read although it is
// there ("bookInfo.txt was not read: it links outside the manuscript's
// folder; ..."): a link out of the folder, a named pipe, a file too large
// or unreadable. "" when there is none, or it can be read.
std::string besideInformationRefusal(const std::string& manuscript, const Localizer& texts);

// ---- From the fields to a build -------------------------------------------

// The title the book takes when the author left it empty: the name of the
// manuscript's folder, as the fields show it when nothing fills them.
std::string defaultTitle(const std::string& manuscript);

// The book's file name the save panel proposes, with ".epub": the ISBN
// without its "-", else the title with ":" as "-" and without double quotes,
// else the default title of `manuscript`; never with a "/", which would put
// the book into another folder.
std::string defaultBookName(const BookInfo& fields, const std::string& manuscript);

// What the author chose beside the book's information.
struct BuildChoices {
    std::string destinationFolder;
    std::string bookName;  // without extension
    bool epub3 = true;
    bool kindle = false;
    std::time_t entryTime = 0;
};

// The request for a build of `manuscript` from the fields as typed: line
// breaks as blanks, blanks and tabs trimmed, an empty title as the default
// title, the ISBN without its separators, and every entry but the language
// in publication form. An empty author, publisher, copyright or genre stays
// empty, and the book leaves it out.
BuildRequest makeBuildRequest(const std::string& manuscript, const BookInfo& fields, const BuildChoices& choices);

// An entry as the package documents take it: "&" escaped, normalised with
// the book-information setting, then "<" and ">" escaped.
std::string publicationForm(const std::string& entry, bool epub3);

// Stores the fields for the next load or build of `manuscript`, in its own
// file in `dataFolder`: eight lines as typed, an empty line for an empty
// field.
Outcome storeBookInformation(const std::string& dataFolder, const std::string& manuscript, const BookInfo& fields);

}  // namespace quillary::app
