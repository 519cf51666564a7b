#pragma once
// The EPUB assembly: the normalised manuscript in, the package model out.
// It reads the body twice, once for the bookmarks and once to cut it into
// sections while it interprets the directives, and gathers the author's
// images and media from the manuscript's folder.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "book/BuildRequest.h"
#include "book/Problems.h"
#include "epub/PackageModel.h"
#include "epub/PackageWriters.h"

namespace quillary::package {

// The titles the build gives in the author's language.
struct AssemblyTexts {
    std::string contentsTitle, endnotesTitle, coverTitle;
};

struct AssemblyInput {
    const std::vector<std::string>& lines;  // the normalised manuscript
    std::size_t bodySearchFrom = 0;         // the first line after its style block
    const BuildRequest& request;
    const Templates& templates;
    AssemblyTexts texts;
    std::string stylesheet;
    // Told how many lines have been read, about a hundred times per book.
    std::function<void(std::int64_t linesRead)> progress{};
    // Handed every page and file of the book as soon as it is made (may be empty).
    std::function<void(const PackageFile& file)> fileMade{};
};

// The book's model; what the manuscript does wrong goes into `problems`.
PackageModel assemblePackage(const AssemblyInput& input, Problems& problems);

}  // namespace quillary::package
