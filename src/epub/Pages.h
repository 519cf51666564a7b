#pragma once
// The book's pages as text: the cover page, the sections and the notes page,
// each made from the program's templates. Pure functions of what they are
// given.

#include <string>
#include <string_view>

#include "epub/BookFacts.h"

namespace quillary::epub {

// The file of section `section`: "section3.xhtml".
std::string sectionFileName(int section);

// The cover page: the title without double quotes (it also stands in an
// attribute). Without a cover image the picture gives way to the title.
std::string coverPage(std::string_view coverTemplate, const BookFacts& facts);

// The page every section, the notes page and the contents page are made
// from: the section template with the book's title, and in EPUB 3 its
// language. EPUB 2 books are made as they always were: a page naming its
// language is part of what EPUB 3 books offer for accessibility.
std::string pageTemplate(std::string_view sectionTemplate, const BookFacts& facts, bool epub3);

// A page made from `pageTemplate` with `content` in its place.
std::string pageWith(std::string_view pageTemplate, std::string_view content);

// The notes page: `title` over the notes' entries, written in the book's
// direction.
std::string notesPage(std::string_view pageTemplate, const std::string& language, const std::string& title,
                      const std::string& entries, bool epub3);

// The page with the book's language on its root element ("xml:lang", and
// "lang" too in EPUB 3), so reading systems hyphenate, pick fonts and choose
// a voice for it; a page that already names a language is left as it is.
std::string withLanguage(std::string page, const std::string& language, bool epub3);

// The page with dir="rtl" on its root element when `language` is written
// right to left and the root names no direction yet; otherwise unchanged.
std::string withDirection(std::string page, const std::string& language);

}  // namespace quillary::epub
