#include "build/Normalise.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
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

// XML allows no other control characters. Vertical tab and form feed stay:
// the converted text is split into lines at them after normalisation.
bool isPlainByte(unsigned char byte) {
    if (byte >= 0x20) return byte < 0x80;
    return byte == '\t' || byte == '\n' || byte == '\r' || byte == '\v' || byte == '\f';
}

// Where the run of bytes that are copied as they are ends. Words of eight
// bytes with none below 0x20 or above 0x7F are passed over whole.
std::size_t endOfPlainRun(std::string_view text, std::size_t pos) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highBits = ones * 0x80;
    while (pos < text.size()) {
        if (pos + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + pos, sizeof word);
            if ((((word - ones * 0x20) | word) & highBits) == 0) {
                pos += 8;
                continue;
            }
        }
        const std::size_t stop = std::min(pos + 8, text.size());
        for (; pos < stop; ++pos)
            if (!isPlainByte(static_cast<unsigned char>(text[pos]))) return pos;
    }
    return pos;
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

// Writes the character at `pos`, which is no plain byte, as a reference and
// moves `pos` behind it. What cannot stand in XML (ill-formed UTF-8, a
// forbidden control character, U+FFFE, U+FFFF) becomes U+FFFD.
void appendEncoded(std::string_view text, std::size_t& pos, std::string& out) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
        ++pos;
        appendReference(out, kReplacementCharacter);
        return;
    }
    const char32_t codePoint = decodeSequence(text, pos).value_or(kReplacementCharacter);
    appendReference(out, codePoint == 0xFFFE || codePoint == 0xFFFF ? kReplacementCharacter : codePoint);
}

constexpr std::string_view kHorizontalBar = "\xE2\x80\x95";
constexpr std::string_view kSixNoBreakSpaces = "&#160;&#160;&#160;&#160;&#160;&#160;";

struct Replacement {
    std::string_view from;
    std::string_view to;
};

constexpr Replacement kManuscriptBreaks[] = {
    {"<span class=\"Apple-tab-span\">\t</span>", kSixNoBreakSpaces},
    {"<span class=\"Apple-tab-span\">\\t</span>", kSixNoBreakSpaces},
    {"<br>", "<br />"},
};
constexpr Replacement kMetadataBreaks[] = {{"\t", " "}, {"\\t", " "}, {"<br>", " "}};
// EPUB 3 drops the presentational table attributes of HTML 4.
constexpr Replacement kTableAttributes[] = {
    {"valign=\"middle\"", "style=\"vertical-align:middle\""},
    {"valign=\"top\"", "style=\"vertical-align:top\""},
    {"valign=\"bottom\"", "style=\"vertical-align:bottom\""},
    {"cellspacing=\"0\" cellpadding=\"0\"", "style=\"border-spacing: 0; padding: 0\""},
};

template <std::size_t N>
bool replaceAt(const Replacement (&rules)[N], std::string_view text, std::size_t& pos,
               std::string& out) {
    for (const Replacement& rule : rules) {
        if (text.compare(pos, rule.from.size(), rule.from) != 0) continue;
        out.append(rule.to);
        pos += rule.from.size();
        return true;
    }
    return false;
}

// Fours first, then a three or a two: the longest dashes a run can make.
void appendHyphenRun(std::string& out, std::size_t hyphens) {
    for (; hyphens >= 4; hyphens -= 4) out.append("&#8212;");
    if (hyphens == 3) out.append("&#8212;");
    else if (hyphens == 2) out.append("&#8211;");
    else if (hyphens == 1) out.push_back('-');
}

// Whether some rule of the setting may begin at `pos`. Looking at the byte
// behind keeps the copy loop going through the "c" of every "class" and
// the single hyphens of markup.
bool mayStartRule(std::string_view text, std::size_t pos, bool forBookInfo, bool epub3) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    const char next = pos + 1 < text.size() ? text[pos + 1] : '\0';
    switch (byte) {
    case '-': return next == '-';
    case '<': return next == 'b' || (!forBookInfo && next == 's');
    case '\t': return forBookInfo;
    case '\\': return forBookInfo && next == 't';
    case 'v': return epub3 && next == 'a';
    case 'c': return epub3 && next == 'e';
    default: return !isPlainByte(byte);
    }
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
    // A "target" holding markup is running text that happens to follow the
    // word; inside the attribute it would make the page unreadable.
    if (parsed.target.find_first_of("<>") != std::string_view::npos) return std::nullopt;
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
        // Copy plain runs in one append: converted books are mostly ASCII.
        const std::size_t runEnd = endOfPlainRun(text, pos);
        out.append(text, pos, runEnd - pos);
        pos = runEnd;
        if (pos < text.size()) appendEncoded(text, pos, out);
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

// All rules in one pass. Applying them one after another over the whole
// text gives the same result, because no rule's output can be matched by a
// later rule, no two rules' texts can overlap, and every rule matches ASCII
// only (but the horizontal bar), so encoding can follow at once.
std::string fixEncodings(std::string_view text, bool forBookInfo, bool epub3) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t plain = pos;
        while (plain < text.size() && !mayStartRule(text, plain, forBookInfo, epub3)) ++plain;
        out.append(text, pos, plain - pos);
        pos = plain;
        if (pos == text.size()) break;

        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte == '-') {
            const std::size_t runEnd = std::min(text.find_first_not_of('-', pos), text.size());
            appendHyphenRun(out, runEnd - pos);
            pos = runEnd;
        } else if (!isPlainByte(byte)) {
            // Encoding alone writes the em and en dashes as "&#8212;" and
            // "&#8211;"; only the horizontal bar is written as another dash.
            if (text.compare(pos, kHorizontalBar.size(), kHorizontalBar) == 0) {
                out.append("&#8211;");
                pos += kHorizontalBar.size();
            } else {
                appendEncoded(text, pos, out);
            }
        } else if (!(forBookInfo ? replaceAt(kMetadataBreaks, text, pos, out)
                                 : replaceAt(kManuscriptBreaks, text, pos, out)) &&
                   !(epub3 && replaceAt(kTableAttributes, text, pos, out))) {
            out.push_back(text[pos++]);
        }
    }
    return out;
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
