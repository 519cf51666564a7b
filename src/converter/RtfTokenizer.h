#pragma once
// Splits RTF bytes into groups, control words, control symbols and text.
// The tokenizer never fails: any byte sequence yields tokens up to End.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace conv {

struct Token {
    enum class Kind : std::uint8_t {
        GroupOpen,      // {
        GroupClose,     // }
        ControlWord,    // \word or \wordN; `word` empty when it was too long to be real
        ControlSymbol,  // \~ \- \_ \* \| \: ... : `symbol` holds the character
        Text,           // literal bytes, line ends removed; \\ \{ \} arrive as one-byte Text
        HexByte,        // \'hh: `byte` holds the value
        Binary,         // the N raw bytes after \binN, already skipped over
        End
    };
    Kind kind = Kind::End;
    std::string_view word;
    bool hasParam = false;
    std::int32_t param = 0;
    std::string_view text;
    char symbol = 0;
    unsigned char byte = 0;
};

class RtfTokenizer {
public:
    // The input must outlive the tokenizer; tokens point into it.
    explicit RtfTokenizer(std::string_view input) : input_(input) {}

    Token next();
    std::size_t offset() const { return pos_; }

private:
    Token readControl();
    Token readControlWord();
    Token readText();

    std::string_view input_;
    std::size_t pos_ = 0;
};

}  // namespace conv
