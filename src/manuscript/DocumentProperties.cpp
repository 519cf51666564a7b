#include "manuscript/DocumentProperties.h"

#include <string>

namespace quillary::manuscript {

namespace {

std::string unescaped(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        bool replaced = false;
        for (const auto& [entity, character] :
             {std::pair<std::string_view, char>{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}}) {
            if (text.substr(at, entity.size()) != entity) continue;
            plain += character;
            at += entity.size() - 1;
            replaced = true;
            break;
        }
        if (!replaced) plain += text[at];
    }
    return plain;
}

std::string metaContent(std::string_view head, std::string_view name) {
    const std::string opening = "<meta name=\"" + std::string(name) + "\" content=\"";
    const std::size_t at = head.find(opening);
    if (at == std::string_view::npos) return "";
    const std::size_t start = at + opening.size();
    const std::size_t end = head.find('"', start);
    return end == std::string_view::npos ? "" : unescaped(head.substr(start, end - start));
}

}  // namespace

DocumentProperties documentProperties(std::string_view html) {
    std::size_t headEnd = html.find("<body");
    if (headEnd == std::string_view::npos) headEnd = html.find("</head>");
    const std::string_view head = html.substr(0, headEnd);
    DocumentProperties properties;
    const std::size_t title = head.find("<title>");
    const std::size_t titleEnd = head.find("</title>");
    if (title != std::string_view::npos && titleEnd != std::string_view::npos && titleEnd > title)
        properties.title = unescaped(head.substr(title + 7, titleEnd - title - 7));
    properties.author = metaContent(head, "author");
    properties.subject = metaContent(head, "subject");
    properties.keywords = metaContent(head, "keywords");
    properties.publisher = metaContent(head, "publisher");
    properties.language = metaContent(head, "language");
    return properties;
}

}  // namespace quillary::manuscript
