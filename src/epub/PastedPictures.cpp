#include "epub/PastedPictures.h"

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

}  // namespace

bool holdsPastedPicture(std::string_view line) { return text::contains(line, kDataSource); }

std::string pictureType(std::string_view bytes) {
    if (bytes.starts_with("\x89PNG\r\n\x1a\n")) return "image/png";
    if (bytes.starts_with("\xFF\xD8\xFF")) return "image/jpeg";
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return "image/gif";
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
        made.line.append(line.substr(from, open - from));
        from = close + 1;
        if (type.empty()) {
            made.leftOut.push_back(formatName(statedType));
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
