#include "converter/XmlPart.h"

#include "base/Utf8.h"

#include <algorithm>
#include <climits>

namespace conv {

namespace {

struct KnownNamespace {
    std::string_view uri;
    Ns ns;
};

// Word and LibreOffice write the transitional names, some tools the strict ones.
constexpr KnownNamespace kNamespaces[] = {
    {"http://schemas.openxmlformats.org/wordprocessingml/2006/main", Ns::W},
    {"http://purl.oclc.org/ooxml/wordprocessingml/main", Ns::W},
    {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", Ns::R},
    {"http://purl.oclc.org/ooxml/officeDocument/relationships", Ns::R},
    {"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing", Ns::WP},
    {"http://purl.oclc.org/ooxml/drawingml/wordprocessingDrawing", Ns::WP},
    {"http://schemas.openxmlformats.org/drawingml/2006/main", Ns::A},
    {"http://purl.oclc.org/ooxml/drawingml/main", Ns::A},
    {"http://schemas.openxmlformats.org/drawingml/2006/picture", Ns::Pic},
    {"http://purl.oclc.org/ooxml/drawingml/picture", Ns::Pic},
    {"http://schemas.microsoft.com/office/word/2010/wordprocessingShape", Ns::Wps},
    {"urn:schemas-microsoft-com:vml", Ns::V},
    {"http://schemas.openxmlformats.org/markup-compatibility/2006", Ns::Mc},
    {"http://schemas.openxmlformats.org/package/2006/relationships", Ns::PackageRels},
    {"http://schemas.openxmlformats.org/package/2006/metadata/core-properties", Ns::CoreProps},
    {"http://purl.org/dc/elements/1.1/", Ns::Dc},
};

// The prefixes every writer uses, for a part that uses one without
// declaring it at its root (Word declares a drawing's namespaces on the
// drawing's own elements).
constexpr std::pair<std::string_view, Ns> kConventionalPrefixes[] = {
    {"w", Ns::W}, {"r", Ns::R}, {"wp", Ns::WP}, {"a", Ns::A}, {"pic", Ns::Pic}, {"wps", Ns::Wps},
    {"v", Ns::V}, {"mc", Ns::Mc}, {"cp", Ns::CoreProps}, {"dc", Ns::Dc},
};

// No DTD, no processing instructions or comments; character references and
// the five predefined entities are decoded, any other reference stays text.
// Blank text is kept where it is an element's only content, as in
// <w:t xml:space="preserve"> </w:t>, and dropped between elements.
constexpr unsigned kParseOptions =
    pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol | pugi::parse_ws_pcdata_single;

// A namespace that the part neither declares nor has a conventional prefix
// for gets one that no name can hold.
constexpr std::string_view kNoPrefix = "\x01";

// Parts are UTF-8 or UTF-16 (the two encodings a package may use); a byte
// that is no UTF-8 becomes U+FFFD, so that everything read from a part is
// UTF-8, as the HTML must be.
std::string asUtf8(std::string text) {
    const bool bigEndian = text.starts_with("\xFE\xFF") || text.starts_with(std::string_view("\0<", 2));
    const bool littleEndian = text.starts_with("\xFF\xFE") || text.starts_with(std::string_view("<\0", 2));
    if (bigEndian || littleEndian) {
        std::string utf8;
        char32_t high = 0;
        for (std::size_t at = 0; at + 1 < text.size(); at += 2) {
            const auto first = static_cast<unsigned char>(text[at]), second = static_cast<unsigned char>(text[at + 1]);
            const char32_t unit = bigEndian ? (first << 8 | second) : (second << 8 | first);
            if (unit == 0xFEFF && at == 0) continue;
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (high) quillary::utf8::append(utf8, 0xFFFD);
                high = unit;
                continue;
            }
            const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
            if (high && !low) quillary::utf8::append(utf8, 0xFFFD);
            char32_t cp = unit;
            if (high && low) cp = 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00);
            else if (low) cp = 0xFFFD;
            quillary::utf8::append(utf8, cp);
            high = 0;
        }
        if (high) quillary::utf8::append(utf8, 0xFFFD);
        return utf8;
    }
    if (quillary::utf8::isValid(text)) return text;
    std::string utf8;
    for (std::size_t at = 0; at < text.size();) {
        const quillary::utf8::Decoded decoded = quillary::utf8::decodeAt(text, at);
        if (decoded.length == 0) {
            quillary::utf8::append(utf8, 0xFFFD);
            ++at;
        } else {
            utf8.append(text, at, decoded.length);
            at += decoded.length;
        }
    }
    return utf8;
}

bool hasName(std::string_view name, std::string_view prefix, std::string_view local) {
    if (prefix.empty()) return name == local;
    return name.size() == prefix.size() + 1 + local.size() && name.starts_with(prefix) && name[prefix.size()] == ':' &&
           name.ends_with(local);
}

}  // namespace

std::optional<XmlPart> XmlPart::parse(std::string text, std::string* error) {
    XmlPart part;
    part.text_ = std::make_unique<std::string>(asUtf8(std::move(text)));
    part.document_ = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result result = part.document_->load_buffer_inplace(
        part.text_->data(), part.text_->size(), kParseOptions, pugi::encoding_utf8);
    if (!result || !part.root()) {
        if (error) *error = std::string(result.description()) + " at byte " + std::to_string(result.offset);
        return std::nullopt;
    }
    part.readDeclarations();
    return part;
}

void XmlPart::readDeclarations() {
    prefixes_.fill(std::string(kNoPrefix));
    prefixes_[static_cast<std::size_t>(Ns::None)].clear();
    for (const auto& [prefix, ns] : kConventionalPrefixes) prefixes_[static_cast<std::size_t>(ns)] = prefix;
    for (pugi::xml_attribute attribute : root().attributes()) {
        const std::string_view name = attribute.name();
        if (!name.starts_with("xmlns")) continue;
        const std::string_view prefix = name.size() > 6 && name[5] == ':' ? name.substr(6) : std::string_view();
        if (name.size() > 5 && name[5] != ':') continue;
        const std::string_view uri = attribute.value();
        for (const KnownNamespace& known : kNamespaces) {
            if (known.uri == uri) prefixes_[static_cast<std::size_t>(known.ns)] = prefix;
        }
    }
}

Ns XmlPart::nameSpace(std::string_view qualifiedName, std::string_view* local) const {
    const std::size_t colon = qualifiedName.find(':');
    const std::string_view prefix =
        colon == std::string_view::npos ? std::string_view() : qualifiedName.substr(0, colon);
    if (local) *local = colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
    for (std::size_t ns = 1; ns < prefixes_.size(); ++ns) {
        if (prefixes_[ns] == prefix) return static_cast<Ns>(ns);
    }
    return prefix.empty() ? Ns::None : Ns::Other;
}

bool XmlPart::is(pugi::xml_node node, Ns ns, std::string_view local) const {
    return hasName(node.name(), prefixes_[static_cast<std::size_t>(ns)], local);
}

pugi::xml_attribute XmlPart::attribute(pugi::xml_node node, Ns ns, std::string_view local) const {
    const std::string& prefix = prefixes_[static_cast<std::size_t>(ns)];
    for (pugi::xml_attribute attribute = node.first_attribute(); attribute; attribute = attribute.next_attribute()) {
        if (hasName(attribute.name(), prefix, local)) return attribute;
    }
    return {};
}

pugi::xml_node XmlPart::child(pugi::xml_node node, Ns ns, std::string_view local) const {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (is(child, ns, local)) return child;
    }
    return {};
}

std::string_view XmlPart::val(pugi::xml_node node) const { return attribute(node, Ns::W, "val").value(); }

std::string textOf(pugi::xml_node node) {
    std::string text;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
    }
    return text;
}

int numberOf(std::string_view text, int fallback) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    if (at >= text.size() || text[at] < '0' || text[at] > '9') return fallback;
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min<long long>(value * 10 + (text[at] - '0'), INT_MAX);
    return static_cast<int>(negative ? -value : value);
}

bool isOn(std::string_view value, bool present) {
    if (!present) return false;
    return value != "0" && value != "false" && value != "off";
}

}  // namespace conv
