#include "base/Base64.h"

#include <array>

namespace quillary::base64 {

namespace {

constexpr int kSkip = -2;
constexpr int kInvalid = -1;

constexpr std::array<int, 256> decodingTable() {
    std::array<int, 256> table{};
    for (int& value : table) value = kInvalid;
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<int>(i);
    for (char blank : {' ', '\t', '\r', '\n'}) table[static_cast<unsigned char>(blank)] = kSkip;
    return table;
}

constexpr std::array<int, 256> kTable = decodingTable();

}  // namespace

std::optional<std::string> decode(std::string_view encoded) {
    while (!encoded.empty() && encoded.back() == '=') encoded.remove_suffix(1);
    std::string bytes;
    bytes.reserve(encoded.size() / 4 * 3 + 3);
    unsigned int buffer = 0;
    int bits = 0;
    std::size_t digits = 0;
    for (const char c : encoded) {
        const int value = kTable[static_cast<unsigned char>(c)];
        if (value == kSkip) continue;
        if (value == kInvalid) return std::nullopt;
        buffer = (buffer << 6) | static_cast<unsigned int>(value);
        bits += 6;
        ++digits;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<char>((buffer >> bits) & 0xFFu));
        }
    }
    // One digit past a whole group holds only part of a byte.
    if (digits % 4 == 1) return std::nullopt;
    return bytes;
}

}  // namespace quillary::base64
