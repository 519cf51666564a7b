#include "base/Text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <utility>

#include "base/Utf8.h"

namespace quillary::text {

namespace {
char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
// The reference that starts at `text[0]` ("&"): its length and the text it
// stands for, or nothing when it is none we know.
std::optional<std::pair<std::size_t, std::string>> characterReference(std::string_view text) {
    const std::size_t end = text.find(';');
    if (end == std::string_view::npos || end > 12) return std::nullopt;
    const std::string_view body = text.substr(1, end - 1);
    if (body.size() > 1 && body[0] == '#') {
        const bool hex = body[1] == 'x' || body[1] == 'X';
        const std::string_view digits = body.substr(hex ? 2 : 1);
        std::uint32_t value = 0;
        const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
        if (digits.empty() || error != std::errc() || last != digits.data() + digits.size()) return std::nullopt;
        std::string character;
        utf8::append(character, value);
        return std::pair{end + 1, character};
    }
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kNamed{
        {{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}}};
    for (const auto& [name, character] : kNamed)
        if (body == name) return std::pair{end + 1, std::string(character)};
    return std::nullopt;
}

}  // namespace

std::string decodeCharacterReferences(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    for (std::size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at + 1)) {
        const auto reference = characterReference(text.substr(at));
        if (!reference) continue;
        out.append(text, copied, at - copied);
        out += reference->second;
        copied = at + reference->first;
        at = copied - 1;
    }
    out.append(text, copied);
    return out;
}

std::size_t replaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) return 0;
    std::size_t pos = text.find(from);
    if (pos == std::string::npos) return 0;
    std::string result;
    result.reserve(text.size() + (to.size() > from.size() ? text.size() / 8 : 0));
    std::size_t start = 0;
    std::size_t count = 0;
    while (pos != std::string::npos) {
        result.append(text, start, pos - start);
        result.append(to);
        start = pos + from.size();
        ++count;
        pos = text.find(from, start);
    }
    result.append(text, start, std::string::npos);
    text.swap(result);
    return count;
}

std::string replacedAll(std::string text, std::string_view from, std::string_view to) {
    replaceAll(text, from, to);
    return text;
}

bool contains(std::string_view text, std::string_view needle) {
    return text.find(needle) != std::string_view::npos;
}

std::size_t findIgnoringCase(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
    if (from >= text.size() || needle.size() > text.size() - from) return std::string_view::npos;
    auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                          needle.begin(), needle.end(),
                          [](char a, char b) { return foldAscii(a) == foldAscii(b); });
    return it == text.end() ? std::string_view::npos
                            : static_cast<std::size_t>(it - text.begin());
}

bool containsIgnoringCase(std::string_view text, std::string_view needle) {
    return findIgnoringCase(text, needle) != std::string_view::npos;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string trimBlanksAndTabs(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string lowercaseAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = foldAscii(c);
    return result;
}

std::vector<std::string> split(std::string_view text, std::string_view separator) {
    std::vector<std::string> pieces;
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t start = 0;
    for (std::size_t pos = text.find(separator); pos != std::string_view::npos;
         pos = text.find(separator, start)) {
        pieces.emplace_back(text.substr(start, pos - start));
        start = pos + separator.size();
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

std::string format(std::string_view pattern, const std::vector<std::string>& arguments) {
    std::string result;
    result.reserve(pattern.size() + 32);
    std::size_t next = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            result += pattern[i];
            continue;
        }
        const std::string_view rest = pattern.substr(i + 1);
        std::size_t skip = 0;
        if (rest[0] == '%') {
            result += '%';
            ++i;
            continue;
        }
        if (rest[0] == '@' || rest[0] == 'd') skip = 1;
        else if (startsWith(rest, "ld")) skip = 2;
        if (skip == 0) {
            result += '%';
            continue;
        }
        if (next < arguments.size()) result += arguments[next];
        ++next;
        i += skip;
    }
    return result;
}

std::size_t lineSeparatorLength(std::string_view text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned c = byte(at);
    if (c == '\n' || c == '\r' || c == '\v' || c == '\f') return 1;
    if (c == 0xC2 && byte(at + 1) == 0x85) return 2;  // U+0085 NEXT LINE
    if (c == 0xE2 && byte(at + 1) == 0x80 && (byte(at + 2) == 0xA8 || byte(at + 2) == 0xA9)) return 3;  // U+2028, U+2029
    return 0;
}

std::string withLineBreaksAsBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = lineSeparatorLength(text, i);
        if (length == 0) {
            out += text[i++];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') length = 2;
        out += ' ';
        i += length;
    }
    return out;
}

}  // namespace quillary::text
