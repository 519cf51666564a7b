#pragma once
// The package's own documents as text: the cover page, the NCX, the package
// document, the contents page and the landmarks. Pure functions of what they
// are given, so every rule is tested without a build.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillary::package {

inline constexpr const char* kOpsNamespace = "http://www.idpf.org/2007/ops";

// The language code for the book information's language index ("9" ->
// "he"); an index that is not a number from 0 to 19 gives "en".
std::string languageCode(const std::string& index);
// "2024-05-17" -> "2024-05-17T08:00:00Z".
std::string packageDate(const std::string& date);
// The media subtype of the cover image: "png" for "png", else "jpeg".
std::string coverType(const std::string& extension);

// The package's unique identifier. The stand-in "urn:uuid:12345" that a
// book without an ISBN carries would give every such book the same identity,
// and reading systems would take one for another; it becomes a UUID derived
// from the title and author instead, the same for every build of the book.
std::string bookIdentifier(const std::string& isbn, const std::string& title, const std::string& author);

// Replaces every occurrence of each key by its value in one left-to-right
// pass: inserted values are never searched again, so an author's title that
// happens to hold "$isbn" stays as typed. At a position where several keys
// match, the first listed wins.
std::string fillPlaceholders(std::string_view text,
                             const std::vector<std::pair<std::string, std::string>>& values);

// Everything the set-up fills into the templates.
struct BookFacts {
    std::string title;
    std::string author;
    std::string publisher;
    std::string copyright;
    std::string date;       // "yyyy-MM-dd"
    std::string isbn;
    std::string genre;
    std::string language;   // the code, "en"
    std::string coverName;  // the localised "CoverTitle"
    std::string coverExtension;  // "png" or "jpg"
    bool hasCover = true;   // false: the manuscript's folder holds no cover image
};

// The cover page: the title without double quotes (it also stands in an
// attribute). Without a cover image the picture gives way to the title.
std::string coverPage(std::string_view coverTemplate, const BookFacts& facts);
// The NCX with everything but "$navmap\n" filled in.
std::string ncxTemplate(std::string_view ncx, const BookFacts& facts);
// The package document with everything but "$spine\n", "$manifest\n" and
// "$guide\n" filled in; metadata elements left empty by the author are
// dropped, and so are the cover image's lines when there is no cover. The
// spine of a book in a right-to-left language runs right to left where the
// template asks for its direction ("$spine_direction", EPUB 3 only: the
// EPUB 2 package schema has no such attribute).
std::string packageTemplate(std::string_view opf, const BookFacts& facts);

// One entry of the NCX navigation map: its number orders it, `source` is the page.
std::string ncxNavPoint(int number, std::string_view label, std::string_view source);

std::string finishedNcx(std::string_view ncxTemplate, const std::string& navmap);
// The EPUB 3 template has no "$guide\n": the guide is then left out. Its
// "$accessibility\n" takes the accessibility metadata.
std::string finishedPackage(std::string_view opfTemplate, const std::string& spine,
                            const std::string& manifest, const std::string& guide, bool epub3,
                            const std::string& accessibility = {});

// The page with the book's language on its root element ("xml:lang", and
// "lang" too in EPUB 3), so reading systems hyphenate, pick fonts and choose
// a voice for it; a page that already names a language is left as it is.
std::string withLanguage(std::string page, const std::string& language, bool epub3);

// Arabic and Hebrew, the right-to-left languages a book may have.
bool isRightToLeftLanguage(const std::string& language);
// The page with dir="rtl" on its root element when `language` is written
// right to left and the root names no direction yet; otherwise unchanged.
std::string withDirection(std::string page, const std::string& language);

// ---- Contents page, landmarks and guide --------------------------------------
std::string landmarksHeader();
std::string landmarksClose(bool contentsPlaced, const std::string& contentsTitle);
// `landmarks` is the whole, closed list.
std::string epub3ContentsPage(const std::string& contentsTitle, const std::string& contentsList,
                              const std::string& landmarks);
std::string epub2ContentsPage(const std::string& contentsTitle, const std::string& contentsList);
std::string contentsGuideLine();
std::string contentsManifestLine(bool epub3);
// The start-of-reading entry of a right-to-left book.
std::string rightToLeftStartEntry(bool epub3, int section, const std::string& name);

}  // namespace quillary::package
