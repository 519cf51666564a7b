#pragma once
// Keeps the elements of a page nested while its lines are added one by one.
// The sections pass cuts the body wherever a directive stands, also inside a
// table or a list, and a note may cut through the elements of its line; a
// page must still be well-formed XML, so the elements open at a cut are
// closed there and opened again on the next page, and a closing tag that
// closes nothing open is dropped.

#include <string>
#include <string_view>
#include <vector>

namespace quillary::epub {

class PageNesting {
public:
    // Repairs `line` in place against the elements still open before it and
    // records what it leaves open. A closing tag of an element further down
    // first closes the ones above it; a closing tag of no open element is
    // dropped; a "<" that starts no complete tag becomes "&lt;". A line that
    // needs none of this is left byte for byte.
    void add(std::string& line);

    // The text of a page whose lines have all been added, framed: the
    // elements open before the page are opened again at its top and those
    // it leaves open are closed at its end, each tag on a line of its own.
    // An element that would stand empty at either end is left out instead,
    // since an empty list or table row is not allowed. The next page starts
    // with what is open now.
    std::string finishPage(std::string text);
    // The page was dropped: the next page starts with what is open now.
    void dropPage() { reopened_ = open_; }

    // The closing tags of every open element, innermost first, one a line.
    std::string closingTags() const;

private:
    struct OpenElement {
        std::string name;
        std::string tag;
    };
    // Handles the closing tag `tag` (without "</" and ">"): what replaces it.
    std::string close(std::string_view name);

    std::vector<OpenElement> open_;
    std::vector<OpenElement> reopened_;
};

// `fragment` with every element it opens closed at its end and every
// closing tag it has no opening tag for dropped.
std::string balanced(std::string fragment);

}  // namespace quillary::epub
