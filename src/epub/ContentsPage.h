#pragma once
// The contents page (toc.xhtml), written from the model: the contents list
// and, in EPUB 3, where it is also the navigation document, the landmarks.
// Every line of it comes from here.

#include <string>

#include "epub/PackageModel.h"

namespace quillary::epub {

// The entries of the contents list, each line ending in "\n".
std::string contentsList(const PackageModel& model);

// The EPUB 3 landmark of where reading starts; "" when the model names no
// start.
std::string startLandmark(const PackageModel& model);

std::string contentsDocument(const PackageModel& model);

}  // namespace quillary::epub
