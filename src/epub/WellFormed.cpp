#include "epub/WellFormed.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Utf8.h"

namespace quillary::epub {

namespace {

// The named entities of XHTML 1.1's DTD; only a document that declares an
// external DTD may use them: a parser without the DTD knows the five of XML.
constexpr std::string_view kXhtmlEntities =
    " nbsp iexcl cent pound curren yen brvbar sect uml copy ordf laquo not shy reg macr deg plusmn sup2 sup3"
    " acute micro para middot cedil sup1 ordm raquo frac14 frac12 frac34 iquest Agrave Aacute Acirc Atilde"
    " Auml Aring AElig Ccedil Egrave Eacute Ecirc Euml Igrave Iacute Icirc Iuml ETH Ntilde Ograve Oacute"
    " Ocirc Otilde Ouml times Oslash Ugrave Uacute Ucirc Uuml Yacute THORN szlig agrave aacute acirc atilde"
    " auml aring aelig ccedil egrave eacute ecirc euml igrave iacute icirc iuml eth ntilde ograve oacute"
    " ocirc otilde ouml divide oslash ugrave uacute ucirc uuml yacute thorn yuml OElig oelig Scaron scaron"
    " Yuml circ tilde ensp emsp thinsp zwnj zwj lrm rlm ndash mdash lsquo rsquo sbquo ldquo rdquo bdquo"
    " dagger Dagger permil lsaquo rsaquo euro fnof Alpha Beta Gamma Delta Epsilon Zeta Eta Theta Iota Kappa"
    " Lambda Mu Nu Xi Omicron Pi Rho Sigma Tau Upsilon Phi Chi Psi Omega alpha beta gamma delta epsilon zeta"
    " eta theta iota kappa lambda mu nu xi omicron pi rho sigmaf sigma tau upsilon phi chi psi omega"
    " thetasym upsih piv bull hellip prime Prime oline frasl weierp image real trade alefsym larr uarr rarr"
    " darr harr crarr lArr uArr rArr dArr hArr forall part exist empty nabla isin notin ni prod sum minus"
    " lowast radic prop infin ang and or cap cup int there4 sim cong asymp ne equiv le ge sub sup nsub sube"
    " supe oplus otimes perp sdot lceil rceil lfloor rfloor lang rang loz spades clubs hearts diams ";

bool isXmlChar(std::uint32_t c) {
    if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    if (c == 0xFFFE || c == 0xFFFF) return false;
    return c <= 0x10FFFF;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool isName(std::string_view text) {
    return !text.empty() && isNameStart(text[0]) && std::all_of(text.begin(), text.end(), isNameChar);
}

// The position of the first byte that is not valid UTF-8 or not an XML
// character, or npos.
std::size_t firstForbiddenByte(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const utf8::Decoded character = utf8::decodeAt(text, i);
        if (character.length == 0 || !isXmlChar(character.codePoint)) return i;
        i += character.length;
    }
    return std::string_view::npos;
}

class Checker {
public:
    explicit Checker(std::string_view document) : doc_(document) {}

    std::optional<std::string> run() {
        if (const std::size_t bad = firstForbiddenByte(doc_); bad != std::string_view::npos)
            fail(bad, "a byte that is not an XML character in UTF-8");
        else if (prolog() && element() && epilogue())
            return std::nullopt;
        return error_;
    }

private:
    bool fail(std::size_t where, const std::string& what) {
        if (!error_) {
            const auto line = std::count(doc_.begin(), doc_.begin() + std::min(where, doc_.size()), '\n') + 1;
            error_ = "line " + std::to_string(line) + ": " + what;
        }
        return false;
    }

    bool atEnd() const { return at_ >= doc_.size(); }
    bool startsWith(std::string_view what) const { return doc_.substr(at_).starts_with(what); }
    void skipBlanks() {
        while (!atEnd() && isBlank(doc_[at_])) ++at_;
    }

    // Moves past `terminator`; fails when it never comes.
    bool skipPast(std::string_view terminator, const char* what) {
        const std::size_t end = doc_.find(terminator, at_);
        if (end == std::string_view::npos) return fail(at_, std::string(what) + " is never closed");
        at_ = end + terminator.size();
        return true;
    }

    bool prolog() {
        if (startsWith("\xEF\xBB\xBF")) at_ += 3;
        if (startsWith("<?xml") && at_ + 5 < doc_.size() && isBlank(doc_[at_ + 5]) &&
            !skipPast("?>", "the XML declaration"))
            return false;
        bool doctypeSeen = false;
        for (;;) {
            skipBlanks();
            if (atEnd()) return fail(at_, "the document has no root element");
            if (startsWith("<!DOCTYPE")) {
                if (doctypeSeen) return fail(at_, "a second DOCTYPE");
                doctypeSeen = true;
                if (!doctype()) return false;
            } else if (!miscellany()) {
                if (error_) return false;
                if (doc_[at_] != '<') return fail(at_, "text before the root element");
                return true;
            }
        }
    }

    // A comment or processing instruction; false (without an error) when
    // none stands here.
    bool miscellany() {
        if (startsWith("<!--")) return comment();
        if (startsWith("<?")) return processingInstruction();
        return false;
    }

    bool comment() {
        const std::size_t start = at_;
        at_ += 4;
        const std::size_t end = doc_.find("--", at_);
        if (end == std::string_view::npos) return fail(start, "a comment is never closed");
        if (end + 2 >= doc_.size() || doc_[end + 2] != '>') return fail(end, "\"--\" inside a comment");
        at_ = end + 3;
        return true;
    }

    bool processingInstruction() {
        const std::size_t start = at_;
        at_ += 2;
        if (atEnd() || !isNameStart(doc_[at_])) return fail(start, "a processing instruction without a target");
        return skipPast("?>", "a processing instruction");
    }

    // Only the DTD's presence matters: with an external or internal one, a
    // parser knows more entities than XML's own five.
    bool doctype() {
        const std::size_t start = at_;
        at_ += 9;
        char quote = 0;
        for (; !atEnd(); ++at_) {
            const char c = doc_[at_];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                entitiesDeclared_ = true;
                if (!skipPast("]", "the DOCTYPE's internal subset")) return false;
                --at_;
            } else if (c == '>') {
                const std::string_view declaration = doc_.substr(start, at_ - start);
                if (declaration.find("PUBLIC") != std::string_view::npos ||
                    declaration.find("SYSTEM") != std::string_view::npos)
                    entitiesDeclared_ = true;
                ++at_;
                return true;
            }
        }
        return fail(start, "the DOCTYPE is never closed");
    }

    std::string_view name() {
        const std::size_t start = at_;
        if (atEnd() || !isNameStart(doc_[at_])) return {};
        while (!atEnd() && isNameChar(doc_[at_])) ++at_;
        return doc_.substr(start, at_ - start);
    }

    bool reference() {
        const std::size_t start = at_;
        const std::size_t end = doc_.find(';', start + 1);
        if (end == std::string_view::npos || end - start > 40) return fail(start, "a \"&\" that starts no reference");
        const std::string_view body = doc_.substr(start + 1, end - start - 1);
        at_ = end + 1;
        if (!body.empty() && body[0] == '#') return characterReference(start, body.substr(1));
        if (!isName(body)) return fail(start, "a \"&\" that starts no reference");
        for (std::string_view known : {"amp", "lt", "gt", "quot", "apos"})
            if (body == known) return true;
        const std::string padded = " " + std::string(body) + " ";
        if (entitiesDeclared_ && kXhtmlEntities.find(padded) != std::string_view::npos) return true;
        return fail(start, "the entity &" + std::string(body) + "; is not declared");
    }

    bool characterReference(std::size_t start, std::string_view digits) {
        const bool hex = !digits.empty() && digits[0] == 'x';
        if (hex) digits.remove_prefix(1);
        std::uint32_t value = 0;
        for (const char c : digits) {
            int digit = -1;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            if (digit < 0) return fail(start, "a character reference with a non-digit");
            value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
            if (value > 0x10FFFF) break;
        }
        if (digits.empty() || !isXmlChar(value)) return fail(start, "a reference to a character XML forbids");
        return true;
    }

    bool attributes(std::string_view tag, bool& empty) {
        std::vector<std::string_view> seen;
        for (;;) {
            const bool blankBefore = !atEnd() && isBlank(doc_[at_]);
            skipBlanks();
            if (atEnd()) return fail(at_, "<" + std::string(tag) + " is never closed");
            if (startsWith("/>")) {
                at_ += 2;
                empty = true;
                return true;
            }
            if (doc_[at_] == '>') {
                ++at_;
                empty = false;
                return true;
            }
            const std::size_t start = at_;
            const std::string_view attribute = name();
            if (attribute.empty() || !blankBefore)
                return fail(start, "a malformed attribute in <" + std::string(tag) + ">");
            if (std::find(seen.begin(), seen.end(), attribute) != seen.end())
                return fail(start, "the attribute " + std::string(attribute) + " twice in <" + std::string(tag) + ">");
            seen.push_back(attribute);
            skipBlanks();
            if (atEnd() || doc_[at_] != '=') return fail(start, "an attribute without a value");
            ++at_;
            skipBlanks();
            if (!attributeValue(start)) return false;
        }
    }

    bool attributeValue(std::size_t attributeStart) {
        if (atEnd() || (doc_[at_] != '"' && doc_[at_] != '\'')) return fail(attributeStart, "an unquoted attribute value");
        const char quote = doc_[at_++];
        while (!atEnd() && doc_[at_] != quote) {
            if (doc_[at_] == '<') return fail(at_, "a \"<\" inside an attribute value");
            if (doc_[at_] == '&') {
                if (!reference()) return false;
            } else {
                ++at_;
            }
        }
        if (atEnd()) return fail(attributeStart, "an attribute value is never closed");
        ++at_;
        return true;
    }

    bool startTag() {
        const std::size_t start = at_++;
        const std::string_view tag = name();
        if (tag.empty()) return fail(start, "a \"<\" that starts no tag");
        bool empty = false;
        if (!attributes(tag, empty)) return false;
        if (!empty) open_.push_back({tag, start});
        return true;
    }

    bool endTag() {
        const std::size_t start = at_;
        at_ += 2;
        const std::string_view tag = name();
        skipBlanks();
        if (tag.empty() || atEnd() || doc_[at_] != '>') return fail(start, "a malformed end tag");
        ++at_;
        if (open_.empty()) return fail(start, "</" + std::string(tag) + "> closes nothing");
        if (open_.back().name != tag)
            return fail(start, "</" + std::string(tag) + "> closes <" + std::string(open_.back().name) + ">");
        open_.pop_back();
        return true;
    }

    bool markup() {
        if (startsWith("</")) return endTag();
        if (startsWith("<!--")) return comment();
        if (startsWith("<![CDATA[")) return skipPast("]]>", "a CDATA section");
        if (startsWith("<?")) return processingInstruction();
        if (startsWith("<!")) return fail(at_, "a declaration inside the root element");
        return startTag();
    }

    // The root element and everything in it.
    bool element() {
        if (!startTag()) return false;
        while (!open_.empty()) {
            const std::size_t next = doc_.find_first_of("<&]", at_);
            if (next == std::string_view::npos) {
                at_ = doc_.size();
                return fail(open_.back().at, "<" + std::string(open_.back().name) + "> is never closed");
            }
            at_ = next;
            if (doc_[at_] == '<') {
                if (!markup()) return false;
            } else if (doc_[at_] == '&') {
                if (!reference()) return false;
            } else if (startsWith("]]>")) {
                return fail(at_, "\"]]>\" in text");
            } else {
                ++at_;
            }
        }
        return true;
    }

    bool epilogue() {
        for (;;) {
            skipBlanks();
            if (atEnd()) return true;
            if (!miscellany()) return error_ ? false : fail(at_, "content after the root element");
        }
    }

    struct OpenElement {
        std::string_view name;
        std::size_t at;
    };

    std::string_view doc_;
    std::size_t at_ = 0;
    bool entitiesDeclared_ = false;
    std::vector<OpenElement> open_;
    std::optional<std::string> error_;
};

}  // namespace

Outcome wellFormed(std::string_view document) {
    if (std::optional<std::string> error = Checker(document).run()) return failure(std::move(*error));
    return {};
}

}  // namespace quillary::epub
