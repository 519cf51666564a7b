#pragma once
// The book as the assembly leaves it: its pages, the author's files it
// packs, and the entries of its package documents, in the order they were
// made. The writers turn it into the package documents; nothing in it is
// markup of the package documents themselves.

#include <optional>
#include <string>
#include <vector>

#include "epub/Accessibility.h"
#include "epub/BookFacts.h"
#include "epub/PackageFile.h"

namespace quillary::epub {

struct ManifestItem {
    std::string id, href, mediaType;
    std::string properties;  // "" for none
};

struct SpineItem {
    std::string idref;
    bool linear = true;
};

// An entry of the contents page. `number` shares its count with the NCX's
// navigation points and names the entry in EPUB 3 ("navpoint-N"); 0: none.
// `nested`: an entry under the entry before it (a heading inside a chapter),
// written inside it where the document can nest.
struct ContentsEntry {
    int number = 0;
    std::string href, label;
    bool nested = false;
};

struct NavPoint {
    int number = 0;
    std::string label, source;
    bool nested = false;
};

// Where reading starts. A right-to-left book without a start heading gets
// one from its first bookmark, which EPUB 2 states in a form of its own.
struct StartOfReading {
    int section = 0;
    std::string name;
    bool fromRightToLeftMark = false;
};

struct PackageModel {
    bool epub3 = true;
    BookFacts facts;
    std::string sectionTemplate;          // the page every section, the notes and the contents are made from
    std::vector<PackageFile> pages;       // the cover page, the sections and the notes
    std::vector<AuthorFile> authorFiles;  // the author's images, audio and video
    std::string stylesheet;
    std::vector<ManifestItem> manifest;  // beyond the template's own items
    std::vector<SpineItem> spine;        // beyond the cover page
    std::vector<ContentsEntry> contents;
    std::vector<NavPoint> navPoints;
    std::optional<StartOfReading> start;
    std::string contentsTitle;
    bool contentsPlaced = false;  // the manuscript says where the contents page goes
    BookContent content;          // what the accessibility metadata is derived from
};

// What a rendering of the model holds beyond the model itself.
struct Rendering {
    bool coverPage = true;      // the Kindle package goes without
    bool contentsPage = true;   // always in EPUB 3; in EPUB 2 where the manuscript placed it, and for Kindle
    std::string accessibility;  // the EPUB 3 metadata lines
};

}  // namespace quillary::epub
