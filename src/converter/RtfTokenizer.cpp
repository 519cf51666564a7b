#include "converter/RtfTokenizer.h"

#include <algorithm>
#include <limits>

namespace conv {

namespace {

// Real control words are at most 32 letters long; anything longer is noise
// (or an attack on a naive reader) and must not be mistaken for a keyword.
constexpr std::size_t kMaxControlWordLength = 32;

// Ten digits hold every 32-bit value; further digits are consumed but cannot
// push the number past the clamp, so absurd numbers stay harmless.
constexpr std::size_t kMaxParamDigits = 10;

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Token makeToken(Token::Kind kind) {
    Token token;
    token.kind = kind;
    return token;
}

}  // namespace

Token RtfTokenizer::next() {
    while (pos_ < input_.size()) {
        char c = input_[pos_];
        switch (c) {
        case '{':
            ++pos_;
            return makeToken(Token::Kind::GroupOpen);
        case '}':
            ++pos_;
            return makeToken(Token::Kind::GroupClose);
        case '\\':
            return readControl();
        case '\r':
        case '\n':
        case '\0':
            // Line ends are formatting of the file, not of the text; NUL bytes
            // appear in damaged files and carry nothing.
            ++pos_;
            continue;
        default:
            return readText();
        }
    }
    return Token{};
}

Token RtfTokenizer::readText() {
    std::size_t start = pos_;
    while (pos_ < input_.size()) {
        char c = input_[pos_];
        if (c == '{' || c == '}' || c == '\\' || c == '\r' || c == '\n' || c == '\0') break;
        ++pos_;
    }
    Token token = makeToken(Token::Kind::Text);
    token.text = input_.substr(start, pos_ - start);
    return token;
}

Token RtfTokenizer::readControl() {
    ++pos_;  // the backslash
    if (pos_ >= input_.size()) return Token{};
    char c = input_[pos_];
    if (isLetter(c)) return readControlWord();
    ++pos_;
    if (c == '\\' || c == '{' || c == '}') {
        Token token = makeToken(Token::Kind::Text);
        token.text = input_.substr(pos_ - 1, 1);
        return token;
    }
    if (c == '\'') {
        int high = pos_ < input_.size() ? hexValue(input_[pos_]) : -1;
        int low = pos_ + 1 < input_.size() ? hexValue(input_[pos_ + 1]) : -1;
        if (high < 0 || low < 0) return next();  // a broken escape is dropped
        pos_ += 2;
        Token token = makeToken(Token::Kind::HexByte);
        token.byte = static_cast<unsigned char>(high * 16 + low);
        return token;
    }
    if (c == '\r' || c == '\n') {
        // A backslash before a line end is an old spelling of \par.
        Token token = makeToken(Token::Kind::ControlWord);
        token.word = "par";
        return token;
    }
    Token token = makeToken(Token::Kind::ControlSymbol);
    token.symbol = c;
    return token;
}

Token RtfTokenizer::readControlWord() {
    std::size_t start = pos_;
    while (pos_ < input_.size() && isLetter(input_[pos_])) ++pos_;
    Token token = makeToken(Token::Kind::ControlWord);
    std::size_t length = pos_ - start;
    if (length <= kMaxControlWordLength) token.word = input_.substr(start, length);

    bool negative = false;
    if (pos_ + 1 < input_.size() && input_[pos_] == '-' && isDigit(input_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    if (pos_ < input_.size() && isDigit(input_[pos_])) {
        std::int64_t value = 0;
        std::size_t digits = 0;
        while (pos_ < input_.size() && isDigit(input_[pos_])) {
            if (digits++ < kMaxParamDigits) value = value * 10 + (input_[pos_] - '0');
            ++pos_;
        }
        if (negative) value = -value;
        value = std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                         std::numeric_limits<std::int32_t>::max());
        token.hasParam = true;
        token.param = static_cast<std::int32_t>(value);
    }
    if (pos_ < input_.size() && input_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word

    if (token.word == "bin") {
        // Binary data may hold braces and backslashes, so it is skipped by its
        // length before anything else can look at it.
        std::size_t count = token.param > 0 ? static_cast<std::size_t>(token.param) : 0;
        count = std::min(count, input_.size() - pos_);
        token.kind = Token::Kind::Binary;
        token.text = input_.substr(pos_, count);
        pos_ += count;
    }
    return token;
}

}  // namespace conv
