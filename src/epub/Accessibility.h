#pragma once
// What a book can truthfully tell readers and stores about its accessibility:
// the schema.org properties of an EPUB 3 package, derived from what the book
// holds, and the sentences of its summary. Pure: no build state, no files.

#include <string>
#include <vector>

namespace quillary::epub {

// What the book holds that its accessibility depends on.
struct BookContent {
    int images = 0;                    // pictures the text shows
    int imagesWithoutAlternative = 0;  // of those, the ones known only by their name
    bool audio = false;
    bool video = false;
    bool animatable = false;  // a GIF or SVG picture, which may move
    bool namedHeadings = false;  // the contents list names the manuscript's headings
};

struct AccessibilityProperty {
    std::string name;   // "accessMode"
    std::string value;  // "textual"
};

// The properties in the order the package states them: access modes,
// sufficient access modes, features, hazards.
std::vector<AccessibilityProperty> accessibilityProperties(const BookContent& content);

// The localised keys of the summary's sentences, in reading order.
std::vector<std::string> accessibilitySummaryKeys(const BookContent& content);

// The package's metadata lines for the properties and the summary, each
// ending in "\n". `summary` is plain UTF-8 text, left out when ""; its
// `summaryLanguage` is named when it is not the book's, and is "" otherwise.
std::string accessibilityMetadata(const BookContent& content, const std::string& summary,
                                  const std::string& summaryLanguage);

}  // namespace quillary::epub
