#include "base/Xml.h"

namespace quillary::xml {

namespace {

std::string_view referenceOf(char c) {
    switch (c) {
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '"': return "&quot;";
        default: return {};
    }
}

}  // namespace

std::string escaped(std::string_view text, std::string_view characters) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const std::string_view reference = referenceOf(c);
        if (!reference.empty() && characters.find(c) != std::string_view::npos) out += reference;
        else out += c;
    }
    return out;
}

}  // namespace quillary::xml
