// A note's entry on the notes page: how its number, its text and the way
// back stand together, and which way its text runs.

#include <algorithm>
#include <array>

#include "base/Text.h"
#include "base/Utf8.h"
#include "epub/Html.h"
#include "epub/NoteMarkup.h"
#include "epub/PageNesting.h"
#include "epub/Pages.h"

namespace quillary::epub::notes {

namespace {

// The paragraphs the entry makes itself. They stand apart as the blank line
// between two notes did, and take no first-line indent from the reading
// system: the number leads the line.
constexpr std::string_view kNoteParagraph = "<p style=\"margin: 0 0 1em 0; text-indent: 0\">";

bool isRightToLeftLetter(char32_t c) {
    // Hebrew, Arabic, Syriac, Thaana, N'Ko, Samaritan, Mandaic and their
    // presentation forms; the historic scripts of the same planes.
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFC) ||
           (c >= 0x10800 && c <= 0x10FFF) || (c >= 0x1E800 && c <= 0x1EFFF);
}

// Letters of the left-to-right scripts. Digits, punctuation, symbols,
// combining marks and spaces have no direction of their own: a note that
// begins "1999, Paris" is French, not a number.
bool isLeftToRightLetter(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c <= 0x2B8 && c != 0xD7 && c != 0xF7) ||
           (c >= 0x0370 && c <= 0x058F) || (c >= 0x0900 && c <= 0x1FFF) || (c >= 0x2C00 && c <= 0x2DFF) ||
           (c >= 0x3040 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFB1C) || (c >= 0xFF21 && c <= 0xFF5A) ||
           (c >= 0x10000 && c <= 0x107FF) || (c >= 0x11000 && c <= 0x1E7FF) || c >= 0x20000;
}

// Where the first block element of `text` opens, or npos: a note that runs
// over several paragraphs (or holds a list or a table) cannot stand in one.
std::size_t firstBlockStart(std::string_view text) {
    static constexpr std::array<std::string_view, 16> blocks = {
        "p", "div", "ul", "ol", "dl", "table", "blockquote", "pre", "h1", "h2", "h3", "h4", "h5", "h6", "hr", "figure"};
    for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
        for (std::string_view name : blocks) {
            if (text.compare(at + 1, name.size(), name) != 0) continue;
            const std::size_t after = at + 1 + name.size();
            if (after < text.size() && (text[after] == '>' || text[after] == ' ' || text[after] == '/')) return at;
        }
    }
    return std::string_view::npos;
}

// The note's paragraphs: the number before the first word, the way back
// after the last.
std::string paragraphs(const std::string& number, const std::string& text, const std::string& wayBack, bool lastOpen) {
    const std::size_t block = firstBlockStart(text);
    if (block == std::string::npos) {
        std::string out(kNoteParagraph);
        return out + number + ". " + text + " " + wayBack + "</p>";
    }
    std::string out;
    std::string rest = text.substr(block);
    const std::size_t firstTagEnd = rest.find('>');
    if (!plainTextOf(text.substr(0, block)).empty()) {
        out = std::string(kNoteParagraph) + number + ". " + text.substr(0, block) + "</p>";
    } else if ((rest.starts_with("<p>") || rest.starts_with("<p ")) && firstTagEnd != std::string::npos &&
               rest[firstTagEnd - 1] != '/') {
        rest.insert(firstTagEnd + 1, number + ". ");
    } else {
        out = std::string(kNoteParagraph) + number + ".</p>";
    }
    out += rest;
    if (lastOpen) return out + " " + wayBack + "</p>";
    if (out.ends_with("</p>")) return out.insert(out.size() - 4, " " + wayBack);
    if (!plainTextOf(out.substr(out.rfind('>') + 1)).empty()) return out + " " + wayBack;
    return out + std::string(kNoteParagraph) + wayBack + "</p>";
}

}  // namespace

// The letters decide by their number, not by which comes first: a French
// note that begins with the Hebrew word it explains is French.
std::optional<TextDirection> textDirection(std::string_view html) {
    const std::string text = text::decodeCharacterReferences(plainTextOf(html));
    std::size_t rightToLeft = 0, leftToRight = 0;
    for (std::size_t at = 0; at < text.size();) {
        const utf8::Decoded decoded = utf8::decodeAt(text, at);
        at += std::max<std::size_t>(decoded.length, 1);
        if (isRightToLeftLetter(decoded.codePoint)) ++rightToLeft;
        else if (isLeftToRightLetter(decoded.codePoint)) ++leftToRight;
    }
    if (rightToLeft == leftToRight) return std::nullopt;
    return rightToLeft > leftToRight ? TextDirection::RightToLeft : TextDirection::LeftToRight;
}

std::string entryForm(int number, const std::string& note, bool continued, const NoteContext& context) {
    const std::string n = std::to_string(number);
    const std::string target = "href=\"" + sectionFileName(context.section) + "#ref" + n + "\">&#8617;</a>";
    // Whatever a note cut out of its line, its entry closes what it opens
    // and drops closing tags of elements it never opened. A note on one line
    // closes its elements before the way back; a continued one leaves its
    // last paragraph open for the entry to close after it.
    const std::string text = continued ? note : balanced(note);
    // A French note in a Hebrew book keeps its punctuation where the author
    // put it. Stated as "ltr" or "rtl", not "auto": EPUB 2's XHTML knows
    // only those, and older reading systems ignore "auto".
    std::string direction;
    if (const auto own = textDirection(text)) {
        const bool rightToLeft = *own == TextDirection::RightToLeft;
        if (rightToLeft != context.rightToLeftPage) direction = rightToLeft ? " dir=\"rtl\"" : " dir=\"ltr\"";
    }
    // The aside keeps the note a pop-up for reading systems that show one;
    // the list item tells assistive technology what it is.
    if (context.epub3)
        return balanced("<li role=\"doc-endnote\"><aside epub:type=\"footnote\" id=\"ref" + n + "\"" + direction + ">" +
                        paragraphs(n, text, "<a role=\"doc-backlink\" " + target, continued) + "</aside></li>") +
               "\n";
    return balanced("<div id=\"ref" + n + "\"" + direction + ">" + paragraphs(n, text, "<a " + target, continued) +
                    "</div>") +
           "\n";
}

}  // namespace quillary::epub::notes
