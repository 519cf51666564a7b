#include "build/Normalise.h"

#include <charconv>
#include <cstdint>
#include <optional>

#include "build/Text.h"
#include "build/Url.h"
#include "build/VoveZedevir.h"

namespace quillary {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

void appendReference(std::string& out, char32_t codePoint) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits,
                                   static_cast<std::uint32_t>(codePoint)).ptr;
    out += "&#";
    out.append(digits, end);
    out += ';';
}

bool inRange(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}

// Decodes one UTF-8 sequence starting at `pos` (a byte >= 0x80) and moves
// `pos` behind it. On ill-formed input returns nothing and moves `pos`
// behind the maximal subpart that could still have begun a valid sequence,
// the same stretch a browser replaces with one U+FFFD.
std::optional<char32_t> decodeSequence(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    int continuations = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t value = 0;
    if (inRange(lead, 0xC2, 0xDF)) {
        continuations = 1;
        value = lead & 0x1F;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        continuations = 2;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (inRange(lead, 0xF0, 0xF4)) {
        continuations = 3;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;   // no overlong forms
        if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return std::nullopt;  // a continuation byte, C0, C1 or F5..FF
    }
    for (int i = 0; i < continuations; ++i) {
        if (pos >= text.size()) return std::nullopt;
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (!inRange(byte, low, high)) return std::nullopt;
        value = (value << 6) | (byte & 0x3F);
        ++pos;
        low = 0x80;
        high = 0xBF;
    }
    return value;
}

constexpr std::string_view kEmDash = "\xE2\x80\x94";
constexpr std::string_view kEnDash = "\xE2\x80\x93";
constexpr std::string_view kHorizontalBar = "\xE2\x80\x95";
constexpr std::string_view kSixNoBreakSpaces = "&#160;&#160;&#160;&#160;&#160;&#160;";

// The order matters: four hyphens before three before two, so that runs of
// hyphens come out as the longest dashes they can make.
void replaceDashes(std::string& text) {
    text::replaceAll(text, kEmDash, "&#8212;");
    text::replaceAll(text, "----", "&#8212;");
    text::replaceAll(text, "---", "&#8212;");
    text::replaceAll(text, kEnDash, "&#8211;");
    text::replaceAll(text, kHorizontalBar, "&#8211;");
    text::replaceAll(text, "--", "&#8211;");
}

void replaceMetadataBreaks(std::string& text) {
    text::replaceAll(text, "\t", " ");
    text::replaceAll(text, "\\t", " ");
    text::replaceAll(text, "<br>", " ");
}

void replaceManuscriptBreaks(std::string& text) {
    text::replaceAll(text, "<span class=\"Apple-tab-span\">\t</span>", kSixNoBreakSpaces);
    text::replaceAll(text, "<span class=\"Apple-tab-span\">\\t</span>", kSixNoBreakSpaces);
    text::replaceAll(text, "<br>", "<br />");
}

// EPUB 3 drops the presentational table attributes of HTML 4.
void replaceTableAttributes(std::string& text) {
    text::replaceAll(text, "valign=\"middle\"", "style=\"vertical-align:middle\"");
    text::replaceAll(text, "valign=\"top\"", "style=\"vertical-align:top\"");
    text::replaceAll(text, "valign=\"bottom\"", "style=\"vertical-align:bottom\"");
    text::replaceAll(text, "cellspacing=\"0\" cellpadding=\"0\"",
                 "style=\"border-spacing: 0; padding: 0\"");
}

constexpr std::string_view kFieldWord = "HYPERLINK";
constexpr std::string_view kFieldStart = "HYPERLINK \"";

struct HyperlinkField {
    std::string_view opening;  // what stood between the target and the link text
    std::string_view target;
    std::string_view linkText;
    std::size_t tailStart = 0;  // the end tag behind the link text
};

// Reads the field whose "HYPERLINK" stands at `start`. Its parts are looked
// for only before `limit`, the next "HYPERLINK": otherwise a field in the
// end-tag form would take the span of the field after it for its own.
std::optional<HyperlinkField> readField(std::string_view line, std::size_t start,
                                        std::size_t limit) {
    const std::string_view field = line.substr(0, limit);
    if (field.substr(start, kFieldStart.size()) != kFieldStart) return std::nullopt;
    const std::size_t targetStart = start + kFieldStart.size();
    const std::size_t targetEnd = field.find('"', targetStart);
    if (targetEnd == std::string_view::npos) return std::nullopt;
    const std::size_t remainder = targetEnd + 1;

    HyperlinkField parsed;
    parsed.target = field.substr(targetStart, targetEnd - targetStart);
    std::size_t textStart = remainder;
    std::size_t textEnd = std::string_view::npos;
    const std::size_t startTagEnd = field.find("\">", remainder);
    if (startTagEnd != std::string_view::npos) {
        textStart = startTagEnd + 2;
        parsed.opening = field.substr(remainder, textStart - remainder);
        textEnd = field.find("</span>", textStart);
    } else {
        textEnd = field.find("</", textStart);
    }
    if (textEnd == std::string_view::npos) return std::nullopt;
    parsed.linkText = field.substr(textStart, textEnd - textStart);
    parsed.tailStart = textEnd;
    return parsed;
}

}  // namespace

std::string EncodeForHTML(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Copy the run of ASCII in one append: converted books are mostly ASCII.
        std::size_t runEnd = pos;
        while (runEnd < text.size() && static_cast<unsigned char>(text[runEnd]) < 0x80) ++runEnd;
        out.append(text, pos, runEnd - pos);
        pos = runEnd;
        if (pos == text.size()) break;
        const auto codePoint = decodeSequence(text, pos);
        appendReference(out, codePoint.value_or(kReplacementCharacter));
    }
    return out;
}

std::size_t countString(std::string_view needle, std::string_view haystack) {
    if (needle.empty() || haystack.empty()) return 0;
    std::size_t count = 0;
    for (std::size_t at = text::findIgnoringCase(haystack, needle); at != std::string_view::npos;
         at = text::findIgnoringCase(haystack, needle, at + needle.size()))
        ++count;
    return count;
}

std::string fixEncodings(std::string text, bool forBookInfo, bool epub3) {
    replaceDashes(text);
    if (forBookInfo) replaceMetadataBreaks(text);
    else replaceManuscriptBreaks(text);
    if (epub3) replaceTableAttributes(text);
    return EncodeForHTML(text);
}

std::string fixLinks(std::string_view line, std::vector<std::string>& badLinks) {
    std::size_t at = line.find(kFieldWord);
    if (at == std::string_view::npos) return std::string(line);
    std::string out;
    out.reserve(line.size() + 32);
    std::size_t copied = 0;
    // Each field is rewritten once and the scan goes on behind it, so a
    // target or link text holding the word cannot make the loop come back.
    while (at != std::string_view::npos) {
        const std::size_t next = line.find(kFieldWord, at + kFieldWord.size());
        const auto field = readField(line, at, next == std::string_view::npos ? line.size() : next);
        if (field) {
            if (!hasSchemeAndHost(field->target)) badLinks.emplace_back(field->linkText);
            out.append(line.substr(copied, at - copied));
            out.append(field->opening);
            out.append("<a href=\"").append(field->target).append("\">");
            out.append(field->linkText).append("</a>");
            copied = field->tailStart;
        }
        at = next;
    }
    out.append(line.substr(copied));
    return out;
}

std::string VoveZedevir::fixEncodings(const std::string& text, bool forBookInfo) const {
    return quillary::fixEncodings(text, forBookInfo, epub3());
}

std::string VoveZedevir::fixLinks(const std::string& line) {
    return quillary::fixLinks(line, badLinks);
}

}  // namespace quillary
