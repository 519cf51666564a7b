#pragma once
// What a build found wrong in the manuscript. None of it stops the book: it
// is made, and the author is told.

#include <string>
#include <vector>

namespace quillary {

struct Problems {
    bool invalidMediaFilenames = false;
    std::vector<std::string> invalidMediaNames;  // the files whose names set it
    std::vector<std::string> missingFiles;
    std::vector<std::string> unreadableFiles;  // "name why": files beside the manuscript the book may not hold
    bool noEnd = false;
    std::string unclosedNote;  // the first words of the first note that never closed
    bool duplicateMarks = false;
    std::string duplicateMark;  // the first name two bookmarks share, as the author typed it
    std::vector<std::string> badLinks;
    std::vector<std::string> missingMarks;
    bool badFormatting = false;
    std::string negativeStyle;  // the style whose margins push text off the page
    std::vector<std::string> imagesWithoutAlternative;
    // Pasted pictures in a format reading systems cannot show, left out of
    // the book: each as its format and where it stands ("EMF picture at “Fig”").
    std::vector<std::string> picturesLeftOut;
    bool noCover = false;  // not a fault: the first page then shows the title
};

}  // namespace quillary
