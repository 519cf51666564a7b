#include "converter/HtmlText.h"

#include <utility>

namespace conv {

void appendEscaped(std::string& out, std::string_view text, std::string_view lineBreak, std::string_view tab) {
    std::size_t plainStart = 0;
    auto flushPlain = [&](std::size_t end) { out.append(text.substr(plainStart, end - plainStart)); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        std::string_view replacement;
        std::size_t length = 1;
        if (c == '&') replacement = "&amp;";
        else if (c == '<') replacement = "&lt;";
        else if (c == '>') replacement = "&gt;";
        else if (c == '\t') replacement = tab;
        else if (c == 0x0B) replacement = lineBreak;
        else if (c < 0x20) replacement = "";
        else if (c == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80' &&
                 (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            replacement = lineBreak;
            length = 3;
        } else {
            continue;
        }
        flushPlain(i);
        out += replacement;
        i += length - 1;
        plainStart = i + 1;
    }
    flushPlain(text.size());
}

void appendAttributeValue(std::string& out, std::string_view text) {
    for (std::size_t quote = text.find('"'); quote != std::string_view::npos; quote = text.find('"')) {
        appendEscaped(out, text.substr(0, quote), " ", " ");
        out += "&quot;";
        text.remove_prefix(quote + 1);
    }
    appendEscaped(out, text, " ", " ");
}

// The target goes into an href as it stands, so it is made a valid URI
// here: characters that URIs do not allow (blanks, backslashes of Windows
// paths, quotes, non-ASCII letters) are percent-encoded, and "&" is written
// as the entity; a URI has one fragment, so any later "#" is encoded too.
// Targets that were valid stay as they were.
void appendLinkTarget(std::string& out, std::string_view target) {
    static const char digits[] = "0123456789ABCDEF";
    bool inFragment = false;
    for (char c : target) {
        auto byte = static_cast<unsigned char>(c);
        bool laterHash = c == '#' && std::exchange(inFragment, true);
        if (c == '&') {
            out += "&amp;";
        } else if (byte <= 0x20 || byte >= 0x7F || laterHash ||
                   std::string_view("\"<>\\^`{|}").find(c) != std::string_view::npos) {
            out += '%';
            out += digits[byte >> 4];
            out += digits[byte & 15];
        } else {
            out += c;
        }
    }
}

}  // namespace conv
