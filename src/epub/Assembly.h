#pragma once
// The EPUB assembly: the normalised manuscript in, the package model out.
// It reads the body twice, once for the bookmarks and once to cut it into
// sections while it interprets the directives, and names the author's files
// the book packs from what the manuscript's folder holds. It opens no file:
// the archive reads the author's files at the edge.

#include <functional>
#include <string>
#include <vector>

#include "book/BuildRequest.h"
#include "book/BuildResult.h"
#include "book/Problems.h"
#include "epub/PackageModel.h"
#include "epub/Templates.h"
#include "platform/AuthorFiles.h"

namespace quillary::epub {

// The titles the build gives in the author's language, and why a file in
// a picture's name is left out when it is none ("is not a PNG, JPEG or GIF
// picture").
struct AssemblyTexts {
    std::string contentsTitle, endnotesTitle, coverTitle, notAPicture;
};

struct AssemblyInput {
    const std::vector<std::string>& lines;  // the normalised manuscript
    const BuildRequest& request;
    const Templates& templates;
    AssemblyTexts texts;
    std::string stylesheet;
    const std::vector<FolderEntry>& folder;  // what the manuscript's folder holds
    // Told how much of the body the sections pass has read, from 0 to 1,
    // about a hundred times per book and once at its end (may be empty).
    std::function<void(double done)> progress{};
    // Asked as often: true stops the pass where it stands (may be empty).
    std::function<bool()> cancelled{};
    // Handed every page of the book as soon as it is made (may be empty).
    std::function<void(const PackageFile& page)> pageMade{};
};

struct AssembledBook {
    PackageModel model;
    Problems problems;  // what the manuscript does wrong
    ChapterSource chapters = ChapterSource::None;
    int chapterLevel = 0;  // with chapters from headings: their level
};

AssembledBook assemblePackage(const AssemblyInput& input);

}  // namespace quillary::epub
