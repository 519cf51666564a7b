#pragma once
// What every document of the book states about it: the book information in
// publication form, the language's code and the cover, and the one way they
// are filled into the program's templates.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "book/BookInfo.h"
#include "book/Languages.h"

namespace quillary::epub {

struct BookFacts {
    std::string title{};
    std::string author{};
    std::string publisher{};
    std::string copyright{};
    std::string date{};  // "yyyy-MM-dd"
    std::string isbn{};
    std::string genre{};
    std::string language{};        // the BCP 47 tag, "en"
    std::string coverName{};       // the localised "CoverTitle"
    std::string coverExtension{};  // "png" or "jpg"
    bool hasCover = true;          // false: the manuscript's folder holds no cover image
};

// The language tag for the book information's stored language ("9" ->
// "he", "pt-br" -> "pt-BR"); anything neither an index of the quick list
// nor a well-formed tag gives "en".
std::string languageCode(const std::string& stored);

// The package's unique identifier. The stand-in "urn:uuid:12345" that a
// book without an ISBN carries would give every such book the same identity,
// and reading systems would take one for another; it becomes a UUID derived
// from the title and author instead, the same for every build of the book.
std::string bookIdentifier(const std::string& isbn, const std::string& title, const std::string& author);

// The facts of a book information in publication form (markup characters
// escaped), with the cover found in the manuscript's folder, if any.
BookFacts bookFacts(const BookInfo& info, const std::string& coverName, const std::optional<std::string>& cover);

// Replaces every occurrence of each key by its value in one left-to-right
// pass: inserted values are never searched again, so an author's title that
// happens to hold "$isbn" stays as typed. At a position where several keys
// match, the first listed wins.
std::string fillPlaceholders(std::string_view text, const std::vector<std::pair<std::string, std::string>>& values);

}  // namespace quillary::epub
