#include "converter/PictureConversion.h"

#include <string>
#include <vector>

namespace conv {

namespace {

// The RTF words that put each format's bytes back into a picture, as the
// readers took them out: a metafile without its placeable header, a bitmap
// without its file header.
std::string_view blipWord(std::string_view format) {
    if (format == "wmf") return "\\wmetafile8";  // MM_ANISOTROPIC: scaled to the frame, as Word writes them
    if (format == "emf") return "\\emfblip";
    if (format == "pict") return "\\macpict";
    if (format == "dib") return "\\dibitmap0";
    return {};
}

constexpr std::string_view kPlaceableHeader = "\xD7\xCD\xC6\x9A";
constexpr std::size_t kPlaceableHeaderSize = 22;

std::string markerText(std::size_t index) { return "quillary-picture-" + std::to_string(index) + "."; }

void appendHex(std::string& out, std::string_view bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        out += digits[byte >> 4];
        out += digits[byte & 15];
        if (i % 64 == 63) out += '\n';
    }
}

// One paragraph per picture, each after a paragraph that names it, so that
// the pictures are found again whatever LibreOffice leaves out.
std::string picturesDocument(const Document& document, const std::vector<std::size_t>& chosen) {
    std::string rtf = "{\\rtf1\\ansi\n";
    for (std::size_t index : chosen) {
        const Picture& picture = document.pictures[index];
        std::string_view bytes = picture.bytes;
        if (picture.format == "wmf" && bytes.starts_with(kPlaceableHeader)) bytes.remove_prefix(kPlaceableHeaderSize);
        rtf += "\\pard " + markerText(index) + "\\par\n\\pard {\\pict" + std::string(blipWord(picture.format));
        if (picture.widthTwips > 0 && picture.heightTwips > 0) {
            rtf += "\\picwgoal" + std::to_string(picture.widthTwips) + "\\pichgoal" +
                   std::to_string(picture.heightTwips);
            // A metafile's own extent is in hundredths of a millimetre.
            rtf += "\\picw" + std::to_string(picture.widthTwips * 127 / 72) + "\\pich" +
                   std::to_string(picture.heightTwips * 127 / 72);
        }
        rtf += '\n';
        appendHex(rtf, bytes);
        rtf += "}\\par\n";
    }
    return rtf + "}\n";
}

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::string fromBase64(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        int value = base64Value(c);
        if (value < 0) continue;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return bytes;
}

// The PNG LibreOffice embedded between a picture's marker and the next one.
std::string pngAfter(std::string_view html, std::string_view marker, std::string_view nextMarker) {
    constexpr std::string_view source = "src=\"data:image/png;base64,";
    std::size_t at = html.find(marker);
    if (at == std::string_view::npos) return {};
    std::size_t end = nextMarker.empty() ? html.size() : html.find(nextMarker, at);
    std::size_t image = html.find(source, at);
    if (image == std::string_view::npos || image > end) return {};
    image += source.size();
    std::size_t quote = html.find('"', image);
    if (quote == std::string_view::npos) return {};
    return fromBase64(html.substr(image, quote - image));
}

}  // namespace

bool isConvertiblePictureFormat(std::string_view format) { return !blipWord(format).empty(); }

std::size_t convertPictures(Document& document, const LibreOffice& office) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < document.pictures.size(); ++i)
        if (isConvertiblePictureFormat(document.pictures[i].format)) chosen.push_back(i);
    if (chosen.empty()) return 0;
    quillary::Result<std::string> html = convertWithLibreOffice(picturesDocument(document, chosen), "rtf",
                                                                "html:HTML (StarWriter):EmbedImages", "html", office);
    if (!html) return 0;
    std::size_t converted = 0;
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        std::string next = k + 1 < chosen.size() ? markerText(chosen[k + 1]) : std::string();
        std::string png = pngAfter(*html, markerText(chosen[k]), next);
        if (!png.starts_with("\x89PNG")) continue;
        Picture& picture = document.pictures[chosen[k]];
        picture.bytes = std::move(png);
        picture.format = "png";
        ++converted;
    }
    return converted;
}

}  // namespace conv
