#include "epub/PastedPictures.h"
#include "epub/Media.h"

#include "base/Base64.h"
#include "base/Text.h"

namespace quillary::epub {

namespace {

constexpr std::string_view kDataSource = "src=\"data:";

std::uint64_t fnv1a(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string fingerprint(std::string_view bytes) {
    return std::to_string(fnv1a(bytes)) + "-" + std::to_string(std::hash<std::string_view>{}(bytes)) + "-" +
           std::to_string(bytes.size());
}

std::string extensionOf(const std::string& type) {
    if (type == "image/jpeg") return "jpg";
    if (type == "image/svg+xml") return "svg";
    return type.substr(6);  // png, gif
}

// "image/x-emf" -> "EMF": the format as the author knows it.
std::string formatName(std::string_view statedType) {
    if (statedType.empty() || statedType == "application/octet-stream") return "unknown";
    std::string_view name = statedType.substr(statedType.find('/') + 1);
    if (name.starts_with("x-")) name.remove_prefix(2);
    std::string upper(name);
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return upper;
}

std::string_view attribute(std::string_view tag, std::string_view name) {
    const std::size_t at = tag.find(" " + std::string(name) + "=\"");
    if (at == std::string_view::npos) return {};
    const std::size_t start = at + name.size() + 3;
    const std::size_t end = tag.find('"', start);
    return end == std::string_view::npos ? std::string_view{} : tag.substr(start, end - start);
}

// A JPEG's frame header (its size) stands after any number of segments of
// metadata and before the first scan.
bool jpegFrameFound(std::string_view bytes) {
    std::size_t at = 2;
    while (at + 4 <= bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(bytes[at + 1]);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) return true;
        if (marker == 0xDA || marker == 0xD9) return false;
        at += 2 + (static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
                   static_cast<unsigned char>(bytes[at + 3]));
    }
    return false;
}

// Whether the bytes hold the whole picture as far as a reader must read it:
// its size, and for a PNG its end.
bool wholePicture(std::string_view bytes, std::string_view type) {
    if (!pictureSizeReadable(bytes, type)) return false;
    if (type == "image/png") return bytes.find("IEND", 33) != std::string_view::npos;
    if (type == "image/jpeg") return jpegFrameFound(bytes);
    return true;
}

}  // namespace

bool holdsPastedPicture(std::string_view line) { return text::contains(line, kDataSource); }

std::string pictureType(std::string_view bytes) {
    if (std::optional<std::string> type = pictureTypeOf(bytes)) return std::move(*type);
    const std::string_view head = bytes.substr(0, 1024);
    if ((head.starts_with("<svg") || head.starts_with("<?xml")) && text::contains(head, "<svg")) return "image/svg+xml";
    return "";
}

std::string PastedPictures::fileFor(std::string bytes, const std::string& type) {
    const auto [known, added] = packed_.try_emplace(fingerprint(bytes));
    if (!added) return known->second;
    const std::string number = std::to_string(manifest_.size() + 1);
    known->second = "images/pasted/picture" + number + "." + extensionOf(type);
    manifest_.push_back({"pasted" + number, known->second, type, ""});
    add_({"OEBPS/" + known->second, std::move(bytes)});
    return known->second;
}

PastedInLine PastedPictures::place(std::string_view line) {
    PastedInLine made;
    made.line.reserve(line.size());
    std::size_t from = 0;
    for (std::size_t source = line.find(kDataSource); source != std::string_view::npos;
         source = line.find(kDataSource, from)) {
        const std::size_t open = line.rfind("<img", source);
        const std::size_t close = line.find('>', source);
        if (open == std::string_view::npos || open < from || close == std::string_view::npos) break;
        const std::string_view tag = line.substr(open, close + 1 - open);
        const std::string_view uri = attribute(tag, "src");
        const std::size_t comma = uri.find(',');
        const std::string_view statedType = uri.substr(5, uri.find(';') - 5);
        std::optional<std::string> bytes =
            comma == std::string_view::npos ? std::nullopt : base64::decode(uri.substr(comma + 1));
        const std::string type = bytes ? pictureType(*bytes) : "";
        // A picture cut short makes the book fail its check: it is left out
        // and told like one in a format readers cannot show.
        const bool damaged = !type.empty() && !wholePicture(*bytes, type);
        made.line.append(line.substr(from, open - from));
        from = close + 1;
        if (type.empty() || damaged) {
            made.leftOut.push_back((damaged ? "damaged " : "") + formatName(statedType));
            continue;
        }
        const std::string name = fileFor(std::move(*bytes), type);
        ++made.kept;
        if (text::trimBlanksAndTabs(attribute(tag, "alt")).empty()) made.withoutDescription.push_back(name);
        made.line += "<img class=\"pasted\" src=\"" + name + "\"";
        const std::size_t behindSource = tag.find('"', tag.find(kDataSource) + kDataSource.size());
        made.line.append(tag.substr(behindSource + 1));
    }
    made.line.append(line.substr(from));
    return made;
}

// A pasted picture is never wider than the page, keeps its proportions when
// the page narrows it, and stands centred when it is its paragraph.
std::string_view pastedPictureRules() {
    return "img.pasted {max-width: 100%; height: auto}\n"
           "p.picture {text-align: center; text-indent: 0.0px}\n";
}

bool classHolds(std::string_view line, std::string_view word) {
    const std::string_view tag = line.substr(0, line.find('>'));
    const std::size_t at = tag.find(" class=\"");
    if (at == std::string_view::npos) return false;
    const std::size_t start = at + 8;
    const std::string_view classes = tag.substr(start, tag.find('"', start) - start);
    for (const std::string& name : text::split(classes, " ")) {
        if (name == word) return true;
    }
    return false;
}

}  // namespace quillary::epub
