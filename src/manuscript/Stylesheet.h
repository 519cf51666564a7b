#pragma once
// The book's stylesheet, derived from the style block at the head of the
// converted manuscript: a fixed base for the markup the build itself writes,
// then the manuscript's rules with what reading systems should decide for
// themselves (justification, white page, black text, line height, letter
// spacing) taken out, and font sizes made relative to the text's own.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillary::manuscript {

// The ten lines every stylesheet starts with, each ending in a line feed.
extern const std::string_view kBaseStylesheet;


// Removes from `rule` the first declaration that starts with
// `declarationStart`, with the "; " that ends it. A declaration that is the
// last in the rule takes the rest of the rule with it and the rule is closed
// with "}" again. A ";" not followed by a blank loses only itself, so a
// closing brace right behind it is kept.
std::string stripStyle(std::string_view declarationStart, std::string_view rule);

// The same as applying stripStyle as long as the rule contains
// `declarationStart`, in one pass. `declarationStart` must not hold ";".
std::string stripEveryStyle(std::string_view declarationStart, std::string_view rule);

// True when the rule holds a negative pixel value: a hyphen, digits, a
// point, digits and "px" (such as "-18.0px").
bool hasNegativePixelValue(std::string_view rule);

// A rule whose font family is a monospace one gets the generic family as
// its fallback and keeps its spaces and line breaks (white-space: pre-wrap).
std::string keepMonospaceLayout(std::string rule);

// True when the rule's margins and first-line indent put text left of the
// page's left edge or right of its right edge.
bool pushesTextOffPage(std::string_view rule);
// One rule of the manuscript's style block as it goes into the stylesheet.
std::string editRule(std::string rule);

struct DerivedStylesheet {
    std::string text;
    // Index of the first line behind the style block; 0 when the document
    // has no complete block, as nothing of it was taken as style.
    std::size_t nextLine = 0;
    // The line that ended the block, empty when there is none.
    std::string lastLineRead;
    // The first rule whose margins push text off the page, when one was
    // looked for and found.
    std::optional<std::string> negativeRule;
};

// Derives the stylesheet from the converted manuscript's lines. A document
// without a style block, or whose block never ends, gives the base
// stylesheet alone. Rules are checked for margins off the page only while
// `negativeAlreadyFound` is false and none has been found yet.
DerivedStylesheet deriveStylesheet(const std::vector<std::string>& lines,
                                   bool negativeAlreadyFound);

}  // namespace quillary::manuscript
