#include "build/Text.h"

#include <algorithm>

namespace quillary::text {

namespace {
char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

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

}  // namespace quillary::text
