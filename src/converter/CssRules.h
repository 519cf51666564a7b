#pragma once
// The style sheet of the converted HTML: CSS declarations for paragraphs and
// runs, and the classes that share equal rules.

#include "converter/Document.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace conv {

// Declarations of a paragraph rule, in the order the build reads them:
// margin, text-align, text-indent, line-height, font, letter-spacing, color,
// background-color, min-height (the last only for an empty paragraph).
std::string paragraphDeclarations(const ParaFormat& para, const CharFormat& base,
                                  const std::vector<std::string>& fonts, bool empty);

// Declarations that set a run apart from its paragraph's base formatting;
// empty when there are none. Bold and italic are not among them: the writer
// uses <b> and <i>.
std::string spanDeclarations(const CharFormat& run, const CharFormat& base, const std::vector<std::string>& fonts);

// Declarations of a table cell rule: width, the borders when any side has
// one (style, width and colour, each top, right, bottom, left), padding.
std::string cellDeclarations(const Cell& cell);

// A font shorthand value such as `12.0px 'Times New Roman'`.
std::string fontValue(const CharFormat& format, const std::vector<std::string>& fonts);

// Appends a length in CSS pixels with one decimal (20 twips = 1 px).
void appendPixels(std::string& out, double pixels);

// Hands out class numbers per selector kind, one per distinct rule, counted
// in order of first use, and writes the rules one per line. Headings share
// one count across their six elements: h1.h1, h2.h2, h1.h3.
class CssClasses {
public:
    enum Kind { Paragraph, ListItem, Span, Table, TableCell, UnorderedList, OrderedList, Heading, kKindCount };

    // `element` names a heading's element ("h1" to "h6"); other kinds have one.
    int classFor(Kind kind, const std::string& declarations, std::string_view element = {});
    static std::string_view prefix(Kind kind);
    void writeRules(std::string& out) const;

private:
    struct Rules {
        std::unordered_map<std::string, int> numbers;
        std::vector<const std::string*> inOrder;
    };
    Rules rules_[kKindCount];
};

}  // namespace conv
