#pragma once
// What a paragraph style's name says the paragraph is, in the names Word and
// LibreOffice give their built-in styles in the languages they write.

#include "converter/Document.h"

#include <string_view>

namespace conv {

struct StyleMeaning {
    int headingLevel = 0;  // 1 to 6, as ParaFormat::headingLevel
    ParaRole role = ParaRole::Body;
};

// A heading name and a number ("Heading 2", "heading 2", "Überschrift 2",
// "Titre 2", "Kop 2", ...) is a heading of that level (7 to 9 count as 6);
// "Title", "Subtitle", "Caption" (and LibreOffice's "Figure", "Illustration"
// and "Drawing"), "Preformatted Text", "HTML Preformatted", "Code" and the
// like, in those languages, give their role. Word's aliases after a comma
// ("heading 1,H1") are names too. The case of ASCII letters does not matter.
StyleMeaning styleMeaning(std::string_view name);

}  // namespace conv
