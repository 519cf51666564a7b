#pragma once
// Bookmarks and cross-references. The marks pass walks the body before the
// sections pass and, through the same section tracker, learns which section
// holds the text after every mark, so that a cross-reference may stand
// ahead of the mark it names.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillary::epub {

struct Marks {
    std::map<std::string, int> sections;  // mark name -> the number of the section that holds its text
    bool rightToLeft = false;             // a right-to-left heading made a mark
    bool duplicates = false;              // two marks share a name; the later one counts
    std::string duplicate;                // the first such name
};

// The marks of the converted manuscript's body.
Marks findMarks(const std::vector<std::string>& lines);

// `line` with every "{{name}}" made a link to the section of its mark. A
// name without a mark links to `ownSection` (the section that holds the
// reference), and is added to `missing`.
std::string withCrossReferences(std::string_view line, const Marks& marks, int ownSection,
                                std::vector<std::string>& missing);

}  // namespace quillary::epub
