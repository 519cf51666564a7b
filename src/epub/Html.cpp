#include "epub/Html.h"

#include "base/Text.h"

namespace quillary::epub {

namespace {

// Length of the UTF-8 space separator or tab that starts `text`, or 0. The
// normaliser writes no-break spaces as references, but a line that bypassed
// it (a test, a later converter) may still hold them raw.
std::size_t spacePrefixLength(std::string_view text) {
    static constexpr std::string_view kSpaces[] = {
        "\t", " ", "\xC2\xA0", "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81",
        "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85",
        "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89",
        "\xE2\x80\x8A", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};
    for (std::string_view space : kSpaces) {
        if (text::startsWith(text, space)) return space.size();
    }
    return 0;
}

std::size_t spaceSuffixLength(std::string_view text) {
    // Every separator is at most three bytes long, so trying the last one,
    // two and three bytes as a whole character finds it.
    for (std::size_t length = 1; length <= 3 && length <= text.size(); ++length) {
        std::string_view tail = text.substr(text.size() - length);
        if (spacePrefixLength(tail) == length) return length;
    }
    return 0;
}

std::string_view trimSpaces(std::string_view text) {
    while (std::size_t n = spacePrefixLength(text)) text.remove_prefix(n);
    while (std::size_t n = spaceSuffixLength(text)) text.remove_suffix(n);
    return text;
}

}  // namespace

std::string plainTextOf(std::string_view html) {
    // Leading tags go first, so that a fragment such as "<b>x" keeps "x"
    // even when the first piece would otherwise be read as text.
    while (!html.empty() && html.front() == '<') {
        std::size_t close = html.find('>');
        if (close == std::string_view::npos) break;
        html.remove_prefix(close + 1);
    }
    std::string kept;
    kept.reserve(html.size());
    std::size_t start = 0;
    while (start <= html.size()) {
        std::size_t open = html.find('<', start);
        std::size_t end = open == std::string_view::npos ? html.size() : open;
        std::string_view piece = html.substr(start, end - start);
        std::size_t close = piece.find('>');
        kept.append(close == std::string_view::npos ? piece : piece.substr(close + 1));
        if (open == std::string_view::npos) break;
        start = open + 1;
    }
    text::replaceAll(kept, "&nbsp;", " ");
    text::replaceAll(kept, "&#160;", " ");
    return std::string(trimSpaces(kept));
}

std::string firstWords(std::string_view html) {
    constexpr std::size_t kMostWords = 5;
    constexpr std::size_t kMostCharacters = 40;
    std::string plain = plainTextOf(html);
    for (char& c : plain) {
        if (c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f') c = ' ';
    }
    std::string words;
    std::size_t count = 0;
    for (const std::string& word : text::split(plain, " ")) {
        if (word.empty()) continue;
        if (count == kMostWords || (count > 0 && words.size() + 1 + word.size() > kMostCharacters)) break;
        if (count > 0) words += ' ';
        words += word;
        ++count;
    }
    if (words.size() > kMostCharacters) {
        words.resize(kMostCharacters);
        const std::size_t reference = words.rfind('&');
        if (reference != std::string::npos && words.find(';', reference) == std::string::npos) words.resize(reference);
    }
    return words;
}

bool holdsColonWord(std::string_view line, std::initializer_list<std::string_view> words) {
    for (std::size_t colon = line.find(':'); colon != std::string_view::npos; colon = line.find(':', colon + 1)) {
        for (std::string_view word : words) {
            if (colon + 1 < word.size()) continue;
            if (text::equalsIgnoringCase(line.substr(colon + 1 - word.size(), word.size()), word)) return true;
        }
    }
    return false;
}

bool holdsEndnoteMark(std::string_view line) {
    bool opening = false;
    for (std::size_t amp = line.find('&'); amp != std::string_view::npos; amp = line.find('&', amp + 1)) {
        if (!text::equalsIgnoringCase(line.substr(amp, 8), "&lt;&lt;")) continue;
        if (text::equalsIgnoringCase(line.substr(amp + 8, 4), "&lt;")) return false;
        opening = true;
    }
    return opening;
}

bool isDirectiveLine(std::string_view line) {
    return holdsColonWord(line, {"bookmark:", "toc:", "srh:", "pnh:"}) || text::contains(line, "#######");
}

std::string wrapInSizeSpan(const std::string& line) {
    std::size_t firstClose = line.find('>');
    if (firstClose != std::string::npos && firstClose + 1 == line.size()) return line;
    std::size_t bodyStart = firstClose == std::string::npos ? 0 : firstClose + 1;
    std::size_t suffixStart = line.rfind("</");
    // A "</" inside the prefix cannot end the body; the rest is all body then.
    if (suffixStart == std::string::npos || suffixStart < bodyStart) suffixStart = line.size();
    static constexpr std::string_view kOpen = "<span class=\"sz\">";
    static constexpr std::string_view kClose = "</span>";
    std::string wrapped;
    wrapped.reserve(line.size() + kOpen.size() + kClose.size());
    wrapped.append(line, 0, bodyStart);
    wrapped.append(kOpen);
    wrapped.append(line, bodyStart, suffixStart - bodyStart);
    wrapped.append(kClose);
    wrapped.append(line, suffixStart, std::string::npos);
    return wrapped;
}

}  // namespace quillary::epub
