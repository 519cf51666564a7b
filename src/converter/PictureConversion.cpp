#include "converter/PictureConversion.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
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

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// LibreOffice refuses a whole document for one picture it cannot read, so
// only pictures that begin as their format begins go to it.
bool looksWhole(const Picture& picture) {
    std::string_view bytes = picture.bytes;
    if (picture.format == "wmf") {
        if (bytes.starts_with(kPlaceableHeader)) bytes.remove_prefix(std::min(bytes.size(), kPlaceableHeaderSize));
        return bytes.size() >= 18 && (bytes[0] == 1 || bytes[0] == 2) && bytes[1] == 0 && bytes[2] == 9;
    }
    if (picture.format == "emf") return bytes.size() >= 88 && littleEndian(bytes, 0, 4) == 1 && bytes.substr(40, 4) == " EMF";
    if (picture.format == "dib") return bytes.size() >= 12 && bytes.size() >= littleEndian(bytes, 0, 4);
    // A QuickDraw picture: its size, its frame, then the version opcode.
    std::string_view version = bytes.substr(std::min<std::size_t>(bytes.size(), 10), 2);
    return bytes.size() >= 12 && (version == std::string_view("\x00\x11", 2) || version == "\x11\x01");
}

// Each run costs a LibreOffice start; damage that passed looksWhole still
// makes LibreOffice refuse a run, which is then tried again in two halves
// while starts are left, so that one bad picture keeps few others back.
constexpr int kMaxStarts = 5;

// A document of pictures alone converts in seconds: a start that takes a
// minute has hung.
constexpr std::chrono::seconds kPicturesTimeLimit{60};

struct Conversion {
    Document& document;
    LibreOffice office;
    int startsLeft = kMaxStarts;
    bool hung = false;
    std::size_t converted = 0;

    void run(const std::vector<std::size_t>& chosen);
};

void Conversion::run(const std::vector<std::size_t>& chosen) {
    if (chosen.empty() || startsLeft == 0 || hung) return;
    --startsLeft;
    auto html = convertWithLibreOffice(picturesDocument(document, chosen), "rtf",
                                       "html:HTML (StarWriter):EmbedImages", "html", office);
    if (!html) {
        hung = html.reason().final;
        if (chosen.size() == 1) return;
        auto middle = chosen.begin() + static_cast<std::ptrdiff_t>(chosen.size() / 2);
        run({chosen.begin(), middle});
        run({middle, chosen.end()});
        return;
    }
    for (std::size_t k = 0; k < chosen.size(); ++k) {
        std::string next = k + 1 < chosen.size() ? markerText(chosen[k + 1]) : std::string();
        std::string png = pngAfter(*html, markerText(chosen[k]), next);
        if (!png.starts_with("\x89PNG")) continue;
        Picture& picture = document.pictures[chosen[k]];
        picture.bytes = std::move(png);
        picture.format = "png";
        ++converted;
    }
}

}  // namespace

bool isConvertiblePictureFormat(std::string_view format) { return !blipWord(format).empty(); }

std::size_t convertPictures(Document& document, const LibreOffice& office) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < document.pictures.size(); ++i) {
        const Picture& picture = document.pictures[i];
        if (isConvertiblePictureFormat(picture.format) && looksWhole(picture)) chosen.push_back(i);
    }
    if (chosen.empty() || office.program.empty()) return 0;
    Conversion conversion{document, office};
    conversion.office.timeLimit = std::min<std::chrono::milliseconds>(office.timeLimit, kPicturesTimeLimit);
    conversion.run(chosen);
    return conversion.converted;
}

}  // namespace conv
