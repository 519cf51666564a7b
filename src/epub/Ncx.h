#pragma once
// The NCX (toc.ncx) of an EPUB 2 book, written from the model: the book's
// facts and a navigation point for every entry. Every line of it comes from
// here.

#include <string>
#include <string_view>

#include "epub/PackageModel.h"
#include "epub/Templates.h"

namespace quillary::epub {

// The NCX with everything but "$navmap\n" filled in.
std::string ncxTemplate(std::string_view ncx, const BookFacts& facts);
std::string finishedNcx(std::string_view ncxTemplate, const std::string& navmap);

// The navigation map's points, each line ending in "\n".
std::string navMap(const PackageModel& model);

std::string ncxDocument(const PackageModel& model, const Templates& templates);

}  // namespace quillary::epub
