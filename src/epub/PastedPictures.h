#pragma once
// Pictures pasted into the manuscript, which the converter hands over inline
// as data URIs: each becomes a file of the book under images/pasted/, named
// in the order the pictures first appear, packed once however often it
// appears, and referred to by that name in the page.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "epub/PackageFile.h"
#include "epub/PackageModel.h"

namespace quillary::epub {

// True when the line holds a picture as a data URI.
bool holdsPastedPicture(std::string_view line);

// The media type a picture's bytes show it to be: image/png, image/jpeg,
// image/gif or image/svg+xml, which every reading system shows; "" for any
// other format.
std::string pictureType(std::string_view bytes);

// What the pictures of one line came to.
struct PastedInLine {
    std::string line;                             // with the pictures' names in the book
    int kept = 0;                                 // pictures shown in it
    std::vector<std::string> withoutDescription;  // of those, the ones without alt text
    std::vector<std::string> leftOut;             // the formats of those left out ("EMF")
};

// The stylesheet's rules for pasted pictures, each line ending in "\n".
std::string_view pastedPictureRules();

// True when the class attribute of the line's first element holds `word`
// ("picture", "caption": the converter's words for the build).
bool classHolds(std::string_view line, std::string_view word);

class PastedPictures {
public:
    // `add` is handed each new picture file once, when first seen.
    explicit PastedPictures(std::function<void(PackageFile)> add) : add_(std::move(add)) {}

    // `line` with each data URI picture made a picture of the book, or left
    // out (the whole element) when reading systems cannot show its format.
    PastedInLine place(std::string_view line);

    // The manifest items of the pictures packed so far, in their order.
    const std::vector<ManifestItem>& manifest() const { return manifest_; }

private:
    std::string fileFor(std::string bytes, const std::string& type);

    std::function<void(PackageFile)> add_;
    std::vector<ManifestItem> manifest_;
    // Two independent hashes of a picture's bytes and their size to the
    // name it was packed under: the bytes themselves are held by the book
    // alone.
    std::unordered_map<std::string, std::string> packed_;
};

}  // namespace quillary::epub
