#include "manuscript/Normalise.h"

#include <syslog.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>

#include "base/Text.h"
#include "base/Url.h"
#include "base/Xml.h"
#include "converter/PassageLanguages.h"
#include "manuscript/Conversion.h"
#include "manuscript/Stylesheet.h"

namespace quillary::manuscript {

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
constexpr bool isPlainByte(unsigned char byte) {
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

// Fours first, then a three or a two: the longest dashes a run can make.
void appendHyphenRun(std::string& out, std::size_t hyphens) {
    for (; hyphens >= 4; hyphens -= 4) out.append("&#8212;");
    if (hyphens == 3) out.append("&#8212;");
    else if (hyphens == 2) out.append("&#8211;");
    else if (hyphens == 1) out.push_back('-');
}

// The manuscript's break rules begin "<b" or "<s", the table attributes
// "va" or "ce": the byte behind saves most comparisons.
bool mayStartBreak(std::string_view text, std::size_t pos) {
    const char next = pos + 1 < text.size() ? text[pos + 1] : '\0';
    return text[pos] == '<' && (next == 'b' || next == 's');
}

bool mayStartTableAttribute(std::string_view text, std::size_t pos) {
    const char next = pos + 1 < text.size() ? text[pos + 1] : '\0';
    return (text[pos] == 'v' && next == 'a') || (text[pos] == 'c' && next == 'e');
}

// Encoding alone writes the em and en dashes as "&#8212;" and "&#8211;";
// only the horizontal bar is written as another dash.
void appendNonPlain(std::string_view text, std::size_t& pos, std::string& out) {
    if (text.compare(pos, kHorizontalBar.size(), kHorizontalBar) == 0) {
        out.append("&#8211;");
        pos += kHorizontalBar.size();
    } else {
        appendEncoded(text, pos, out);
    }
}

// As in HTML, "<" opens markup only before a letter, "/", "!" or "?";
// otherwise it is text.
bool opensMarkup(std::string_view text, std::size_t pos) {
    if (pos + 1 >= text.size()) return false;
    const char next = text[pos + 1];
    return std::isalpha(static_cast<unsigned char>(next)) || next == '/' || next == '!' || next == '?';
}

// The bytes at which some rule of the setting may begin or, in the
// manuscript, markup may begin or end; the scan copies all others in runs.
using ByteSet = std::array<bool, 256>;

constexpr ByteSet stopBytes(bool forBookInfo) {
    ByteSet stops{};
    for (int byte = 0; byte < 256; ++byte) stops[byte] = !isPlainByte(static_cast<unsigned char>(byte));
    for (unsigned char byte : {'-', '<', 'v', 'c'}) stops[byte] = true;
    if (forBookInfo) {
        stops['\t'] = stops['\\'] = true;
    } else {
        for (unsigned char byte : {'>', '"', '\'', 'H'}) stops[byte] = true;
    }
    return stops;
}
constexpr ByteSet kManuscriptStops = stopBytes(false);
constexpr ByteSet kMetadataStops = stopBytes(true);

// Where the scan of the manuscript stands. Hyphen runs become dashes in
// text only: in a tag, a quoted value, a comment or the target of a
// hyperlink field (which becomes a link's address) they may be part of an
// address or a class name. Metadata is text throughout.
enum class Place : unsigned char { Text, Tag, Quoted, Comment, FieldTarget };
constexpr std::string_view kFieldStart = "HYPERLINK \"";

// One pass over the text: runs without a stop byte are copied whole, every
// rule is tried only where its first bytes stand.
class Normaliser {
public:
    Normaliser(std::string_view text, bool forBookInfo, bool epub3, std::string_view bookLanguage = {})
        : text_(text), forBookInfo_(forBookInfo), epub3_(epub3), bookLanguage_(bookLanguage),
          stops_(forBookInfo ? kMetadataStops : kManuscriptStops) {
        out_.reserve(text.size() + text.size() / 16);
    }

    std::string run() {
        while (pos_ < text_.size()) {
            if (!stops_[static_cast<unsigned char>(text_[pos_])]) {
                ++pos_;
                continue;
            }
            atStop();
        }
        out_.append(text_, copied_, pos_ - copied_);
        return std::move(out_);
    }

private:
    char next() const { return pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0'; }

    // Copies what the scan passed over; the caller then writes at `pos_`.
    void flush() { out_.append(text_, copied_, pos_ - copied_); }
    void markCopied() { copied_ = pos_; }

    template <std::size_t N>
    bool replaced(const Replacement (&rules)[N]) {
        for (const Replacement& rule : rules) {
            if (text_.compare(pos_, rule.from.size(), rule.from) != 0) continue;
            flush();
            out_.append(rule.to);
            pos_ += rule.from.size();
            markCopied();
            return true;
        }
        return false;
    }

    void atStop() {
        const char c = text_[pos_];
        if (!isPlainByte(static_cast<unsigned char>(c))) {
            flush();
            appendNonPlain(text_, pos_, out_);
            markCopied();
            return;
        }
        switch (c) {
        case '-': return atHyphen();
        case '<': return atAngle();
        case '>':
            if (place_ == Place::Tag) place_ = Place::Text;
            break;
        case 'H':
            if (place_ == Place::Text && text_.compare(pos_, kFieldStart.size(), kFieldStart) == 0) {
                place_ = Place::FieldTarget;
                pos_ += kFieldStart.size();
                return;
            }
            break;
        case '"':
        case '\'':
            if (place_ == Place::FieldTarget && c == '"') {
                place_ = Place::Text;
            } else if (place_ == Place::Tag) {
                if (c == '"' && languageAttribute()) return;
                place_ = Place::Quoted;
                quote_ = c;
            } else if (place_ == Place::Quoted && c == quote_) {
                place_ = Place::Tag;
            }
            break;
        case 'v':
        case 'c':
            if (epub3_ && mayStartTableAttribute(text_, pos_) && replaced(kTableAttributes)) {
                // Its quotes end a field's target, as they would an attribute's value.
                if (place_ == Place::FieldTarget) place_ = Place::Text;
                return;
            }
            break;
        default:  // a tab or a backslash in metadata
            if (replaced(kMetadataBreaks)) return;
            break;
        }
        ++pos_;
    }

    // The pages are XHTML: EPUB 2's knows a language only as xml:lang,
    // EPUB 3's wants lang and xml:lang to agree. `pos_` is at the quote
    // that opens an attribute's value. A value that is not a plain tag is
    // left alone.
    bool languageAttribute() {
        constexpr std::string_view name = " lang=";
        if (pos_ < name.size() || text_.compare(pos_ - name.size(), name.size(), name) != 0) return false;
        const std::size_t end = text_.find('"', pos_ + 1);
        if (end == std::string_view::npos) return false;
        const std::string_view value = text_.substr(pos_ + 1, end - pos_ - 1);
        if (value.empty() || !std::all_of(value.begin(), value.end(), [](char c) {
                return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
            }))
            return false;
        // In the book's own language a passage needs no mark: the page has it.
        const bool bookLanguage = !bookLanguage_.empty() && conv::sameLanguage(value, bookLanguage_);
        pos_ -= bookLanguage ? name.size() : name.size() - 1;
        flush();
        if (!bookLanguage) {
            out_.append(epub3_ ? "lang=\"" : "xml:lang=\"").append(value);
            if (epub3_) out_.append("\" xml:lang=\"").append(value);
            out_ += '"';
        }
        pos_ = end + 1;
        markCopied();
        return true;
    }

    void atHyphen() {
        if (place_ == Place::Text && next() == '-') {
            flush();
            const std::size_t runEnd = std::min(text_.find_first_not_of('-', pos_), text_.size());
            appendHyphenRun(out_, runEnd - pos_);
            pos_ = runEnd;
            markCopied();
            return;
        }
        if (place_ == Place::Comment && text_.compare(pos_, 3, "-->") == 0) {
            place_ = Place::Text;
            pos_ += 3;
            return;
        }
        ++pos_;
    }

    void atAngle() {
        if (forBookInfo_) {
            if (!replaced(kMetadataBreaks)) ++pos_;
            return;
        }
        const bool inMarkup = place_ == Place::Quoted || place_ == Place::Comment || place_ == Place::FieldTarget;
        const std::size_t start = pos_;
        if (mayStartBreak(text_, pos_) && replaced(kManuscriptBreaks)) {
            // A break is whole markup: a tag left open before it has ended,
            // and so has a field's target when the break holds a quote.
            const bool quoted = text_.substr(start, pos_ - start).find('"') != std::string_view::npos;
            if (!inMarkup || (place_ == Place::FieldTarget && quoted)) place_ = Place::Text;
            return;
        }
        if (inMarkup) {
            ++pos_;
        } else if (!opensMarkup(text_, pos_)) {
            place_ = Place::Text;
            ++pos_;
        } else if (text_.compare(pos_, 4, "<!--") == 0) {
            place_ = Place::Comment;
            pos_ += 4;
        } else {
            place_ = Place::Tag;
            ++pos_;
        }
    }

    std::string_view text_;
    bool forBookInfo_;
    bool epub3_;
    std::string_view bookLanguage_;
    const ByteSet& stops_;
    std::string out_;
    std::size_t pos_ = 0;
    std::size_t copied_ = 0;
    Place place_ = Place::Text;
    char quote_ = 0;
};

constexpr std::string_view kFieldWord = "HYPERLINK";

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

std::string asPageText(std::string_view text) { return EncodeForHTML(xml::escaped(text)); }

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
// later rule, no two rules' texts can overlap, no rule but the hyphens' can
// change where markup begins or ends, and every rule matches ASCII only
// (but the horizontal bar), so encoding can follow at once.
std::string fixEncodings(std::string_view text, bool forBookInfo, bool epub3) {
    return Normaliser(text, forBookInfo, epub3).run();
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

NormalisedManuscript normaliseManuscript(std::string html, bool epub3, std::string_view bookLanguage) {
    NormalisedManuscript manuscript;
    std::string encoded = Normaliser(html, false, epub3, bookLanguage).run();
    html = std::string();
    manuscript.lines = splitConvertedLines(encoded);
    DerivedStylesheet derived = deriveStylesheet(manuscript.lines, false);
    manuscript.stylesheet = std::move(derived.text);
    manuscript.bodySearchFrom = derived.nextLine;
    if (derived.negativeRule) {
        manuscript.negativeMargins = true;
        manuscript.negativeStyle = text::trimBlanksAndTabs(derived.negativeRule->substr(0, derived.negativeRule->find('{')));
        syslog(LOG_WARNING, "%s", derived.negativeRule->c_str());
    }
    return manuscript;
}

}  // namespace quillary::manuscript
