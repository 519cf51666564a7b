#include "epub/Figures.h"

#include "epub/PastedPictures.h"

namespace quillary::epub {

namespace {

// Only whole paragraphs pair: a list item or a heading in a figure would
// make the page invalid.
bool isParagraph(std::string_view line) { return line.starts_with("<p ") || line.starts_with("<p>"); }

// A picture paragraph whose pictures were all left out (a format readers
// cannot show) is empty: a caption beside it has no picture to go with.
bool isPicture(std::string_view line) {
    return isParagraph(line) && classHolds(line, "picture") && line.find("<img") != std::string_view::npos;
}

bool isCaption(std::string_view line) { return isParagraph(line) && classHolds(line, "caption"); }

}  // namespace

std::string figureOf(const std::string& picture, const std::string& caption, bool captionFirst, bool epub3) {
    const std::string captionBlock = epub3 ? "<figcaption>" + caption + "</figcaption>" : caption;
    std::string figure = epub3 ? "<figure class=\"picture\">" : "<div class=\"picture\">";
    figure += captionFirst ? captionBlock + picture : picture + captionBlock;
    figure += epub3 ? "</figure>" : "</div>";
    return figure;
}

// Centred like the picture alone, with nothing of the manuscript's own
// alignment or indent pulling the caption aside, and never parted from its
// picture by a page's end.
std::string_view figureRules() {
    return "figure.picture, div.picture {margin: 0.5em 0; text-align: center; page-break-inside: avoid}\n"
           "figure.picture p, div.picture p {text-align: center; text-indent: 0.0px; page-break-inside: avoid}\n"
           "figure.picture > * + *, div.picture > * + * {page-break-before: avoid}\n";
}

void Figures::add(std::string line) {
    const bool picture = isPicture(line);
    const bool caption = !picture && isCaption(line);
    if (held_ && heldIsPicture_ != picture && (picture || caption)) {
        std::string figure = picture ? figureOf(line, *held_, true, epub3_) : figureOf(*held_, line, false, epub3_);
        held_.reset();
        place_(std::move(figure));
        return;
    }
    placeHeld();
    if (picture || caption) {
        held_ = std::move(line);
        heldIsPicture_ = picture;
    } else {
        place_(std::move(line));
    }
}

void Figures::flush() { placeHeld(); }

void Figures::placeHeld() {
    if (!held_) return;
    std::string line = std::move(*held_);
    held_.reset();
    place_(std::move(line));
}

}  // namespace quillary::epub
