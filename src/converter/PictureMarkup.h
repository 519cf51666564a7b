#pragma once
// A picture of the document as the HTML writer puts it in a page: an <img>
// whose source holds the picture's own bytes.

#include "converter/Document.h"

#include <string>
#include <string_view>

namespace conv {

// The media type a picture's bytes go under: image/png, image/jpeg,
// image/gif, image/svg+xml, image/bmp, image/tiff, image/emf, image/wmf,
// image/x-pict, image/x-dib, or application/octet-stream for a format
// nobody named.
std::string_view pictureMediaType(std::string_view format);

// Appends `<img src="data:TYPE;base64,BYTES" alt="DESCRIPTION" />`; with a
// known size, ` width="W" height="H"` in CSS pixels (96 to the inch) before
// the end, and, with a known text width, ` style="width: P%"`, the share of
// the text width the picture takes (at most 100.0, one decimal).
void appendPicture(std::string& out, const Picture& picture, int textWidthTwips);

}  // namespace conv
