#pragma once
// Pasted pictures and their captions kept together on the page. The
// converter marks a paragraph that holds only pictures "picture" and a
// caption's paragraph "caption"; a caption standing directly after such a
// paragraph, or directly before it, is its caption, and the two become one
// block: a figure with its figcaption in EPUB 3, a div in EPUB 2, which has
// no figure. A caption beside no picture stays the paragraph it was.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillary::epub {

// The two paragraphs as one block. `caption` is the caption's paragraph as
// the page shows it, `captionFirst` whether it stood before the picture.
std::string figureOf(const std::string& picture, const std::string& caption, bool captionFirst, bool epub3);

// The stylesheet's rules for figures, each line ending in "\n".
std::string_view figureRules();

class Figures {
public:
    // `place` receives every line for the page, in the page's order.
    Figures(bool epub3, std::function<void(std::string)> place) : epub3_(epub3), place_(std::move(place)) {}

    // The next line for the page, in its page form: placed at once, or held
    // until the line after it says whether it belongs to a figure.
    void add(std::string line);
    // Places what is held: at a directive line and at the body's end, past
    // which no caption belongs to a picture.
    void flush();

private:
    void placeHeld();

    const bool epub3_;
    std::function<void(std::string)> place_;
    std::optional<std::string> held_;  // a picture or a caption paragraph
    bool heldIsPicture_ = false;
};

}  // namespace quillary::epub
