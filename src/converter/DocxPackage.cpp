#include "converter/DocxPackage.h"

#include <algorithm>
#include <vector>

namespace conv {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Part names are URIs: a writer may percent-encode what the archive holds plainly.
std::string percentDecoded(std::string_view name) {
    std::string decoded;
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (name[at] == '%' && at + 2 < name.size() && hexDigit(name[at + 1]) >= 0 && hexDigit(name[at + 2]) >= 0) {
            decoded += static_cast<char>(hexDigit(name[at + 1]) * 16 + hexDigit(name[at + 2]));
            at += 2;
        } else {
            decoded += name[at];
        }
    }
    return decoded;
}

std::string relationshipsPartOf(std::string_view sourcePart) {
    const std::size_t slash = sourcePart.rfind('/');
    if (slash == std::string_view::npos) return "_rels/" + std::string(sourcePart) + ".rels";
    return std::string(sourcePart.substr(0, slash)) + "/_rels/" + std::string(sourcePart.substr(slash + 1)) + ".rels";
}

}  // namespace

bool relationshipIs(const Relationship& relationship, std::string_view kind) {
    const std::string_view type = relationship.type;
    return type.size() > kind.size() && type.ends_with(kind) && type[type.size() - kind.size() - 1] == '/';
}

std::optional<std::string> resolvePartName(std::string_view sourcePart, std::string_view target) {
    std::vector<std::string_view> segments;
    std::string unified(target.substr(0, target.find_first_of("#?")));
    for (char& c : unified) c = c == '\\' ? '/' : c;
    std::string_view rest = unified;
    if (!rest.starts_with('/')) {
        const std::size_t slash = sourcePart.rfind('/');
        std::string_view folder = slash == std::string_view::npos ? std::string_view() : sourcePart.substr(0, slash);
        for (std::size_t start = 0; start < folder.size();) {
            const std::size_t end = std::min(folder.find('/', start), folder.size());
            if (end > start) segments.push_back(folder.substr(start, end - start));
            start = end + 1;
        }
    }
    for (std::size_t start = 0; start < rest.size();) {
        const std::size_t end = std::min(rest.find('/', start), rest.size());
        const std::string_view segment = rest.substr(start, end - start);
        start = end + 1;
        if (segment.empty() || segment == ".") continue;
        if (segment != "..") {
            segments.push_back(segment);
        } else if (segments.empty()) {
            return std::nullopt;
        } else {
            segments.pop_back();
        }
    }
    if (segments.empty()) return std::nullopt;
    std::string name;
    for (std::string_view segment : segments) {
        if (!name.empty()) name += '/';
        name += segment;
    }
    return name;
}

namespace {

// A million words as Word writes them are some 40 MB of XML; no part of a
// manuscript needs more than this.
constexpr std::size_t kMaxXmlPartBytes = std::size_t{128} << 20;

// The parsed tree costs far more than its text where the markup is dense:
// every tag and text between tags is a node, every attribute a record of
// its own. A part is parsed only when its text and these together fit here;
// Word's own XML costs about six times its bytes, so that is some 45 MB of
// it, a million words and more.
constexpr std::size_t kMaxXmlHoldingBytes = std::size_t{256} << 20;
constexpr std::size_t kNodeBytes = 64;       // pugixml's node record
constexpr std::size_t kAttributeBytes = 40;  // pugixml's attribute record

// Whether holding `text` parsed could cost more than the limit: a node for
// each "<" (a tag, or the text before it), an attribute for each "=". A
// part too small to reach it however dense is not counted.
bool tooMuchToHold(std::string_view text) {
    if (text.size() * (1 + kNodeBytes) <= kMaxXmlHoldingBytes) return false;
    std::size_t holding = text.size();
    for (const char c : text) holding += (c == '<' ? kNodeBytes : 0) + (c == '=' ? kAttributeBytes : 0);
    return holding > kMaxXmlHoldingBytes;
}

}  // namespace

std::optional<std::string> DocxPackage::read(std::string_view partName, std::size_t maxBytes) {
    if (!refusal_.empty()) return std::nullopt;
    std::string name(partName);
    if (!zip_.has(name)) name = percentDecoded(partName);
    quillary::Result<std::optional<std::string>> content = zip_.read(name, maxBytes);
    if (!content) {
        refusal_ = content.reason();
        return std::nullopt;
    }
    return std::move(*content);
}

std::optional<XmlPart> DocxPackage::readXml(std::string_view partName, std::string* error) {
    std::optional<std::string> text = read(partName, kMaxXmlPartBytes);
    if (!text) return std::nullopt;
    if (tooMuchToHold(*text)) {
        refusal_ = "Its part \"" + std::string(partName) + "\" holds more markup than any manuscript; " +
                   "split it into smaller manuscripts.";
        return std::nullopt;
    }
    return XmlPart::parse(std::move(*text), error);
}

Relationships DocxPackage::relationships(std::string_view sourcePart) {
    Relationships relationships;
    const std::optional<XmlPart> part = readXml(relationshipsPartOf(sourcePart));
    if (!part) return relationships;
    for (pugi::xml_node node = part->root().first_child(); node; node = node.next_sibling()) {
        std::string_view local;
        part->nameSpace(node.name(), &local);
        if (local != "Relationship") continue;
        Relationship relationship;
        relationship.type = node.attribute("Type").value();
        relationship.external = std::string_view(node.attribute("TargetMode").value()) == "External";
        const std::string_view target = node.attribute("Target").value();
        if (relationship.external) {
            relationship.target = target;
        } else if (std::optional<std::string> name = resolvePartName(sourcePart, target)) {
            relationship.target = std::move(*name);
        } else {
            continue;
        }
        relationships.try_emplace(node.attribute("Id").value(), std::move(relationship));
    }
    return relationships;
}

}  // namespace conv
