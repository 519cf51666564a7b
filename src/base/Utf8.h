#pragma once
// UTF-8 text: writing code points and checking byte sequences. Header only,
// so the converter, which links none of the core, shares it too.

#include <string>
#include <string_view>

namespace quillary::utf8 {

// Appends the UTF-8 form of a code point; anything that is not a Unicode
// scalar value (a surrogate, or past U+10FFFF) is written as U+FFFD.
inline void append(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// A code point read from UTF-8 and the number of bytes it took.
struct Decoded {
    char32_t codePoint = 0;
    std::size_t length = 0;  // 0: no well-formed sequence starts there
};

// The character whose sequence starts at `bytes[at]` (`at` < size). An
// overlong form, a surrogate, anything past U+10FFFF, a stray continuation
// byte or a truncated sequence is no character: length 0.
inline Decoded decodeAt(std::string_view bytes, std::size_t at) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char c = s[at];
    if (c < 0x80) return {c, 1};
    std::size_t length = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) { length = 2; cp = c & 0x1F; }
    else if (c >= 0xE0 && c <= 0xEF) { length = 3; cp = c & 0x0F; }
    else if (c >= 0xF0 && c <= 0xF4) { length = 4; cp = c & 0x07; }
    else return {};
    if (at + length > bytes.size()) return {};
    for (std::size_t k = 1; k < length; ++k) {
        if ((s[at + k] & 0xC0) != 0x80) return {};
        cp = (cp << 6) | (s[at + k] & 0x3F);
    }
    if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return {};
    return {cp, length};
}

// True when `bytes` is well-formed UTF-8 throughout.
inline bool isValid(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = decodeAt(bytes, i).length;
        if (length == 0) return false;
        i += length;
    }
    return true;
}

// The characters of well-formed UTF-8, each counted at its first byte.
inline std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

}  // namespace quillary::utf8
