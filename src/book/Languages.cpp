#include "book/Languages.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace quillary {

const char* const languages[kLanguageCount] = {
    "en", "ar", "zh", "da", "nl", "fi", "fr", "de", "el", "he",
    "it", "ja", "ko", "no", "pl", "pt", "ru", "es", "sv", "tr"};

const char* const langNames[kLanguageCount] = {
    "English", "Arabic",  "Chinese",   "Danish",  "Dutch",  "Finnish", "French",
    "German",  "Greek",   "Hebrew",    "Italian", "Japanese", "Korean", "Norwegian",
    "Polish",  "Portuguese", "Russian", "Spanish", "Swedish", "Turkish"};

const char* const nativeLangNames[kLanguageCount] = {
    "English",
    "\xD8\xA7\xD9\x84\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A\xD8\xA9",  // العربية
    "\xE4\xB8\xAD\xE6\x96\x87",                                  // 中文
    "Dansk",
    "Nederlands",
    "Suomi",
    "Fran\xC3\xA7" "ais",
    "Deutsch",
    "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",  // Ελληνικά
    "\xD7\xA2\xD7\x91\xD7\xA8\xD7\x99\xD7\xAA",                          // עברית
    "Italiano",
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",  // 日本語
    "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4",  // 한국어
    "Norsk",
    "Polski",
    "Portugu\xC3\xAAs",
    "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9",  // Русский
    "Espa\xC3\xB1ol",
    "Svenska",
    "T\xC3\xBCrk\xC3\xA7" "e"};

namespace {

std::vector<std::string_view> subtagsOf(std::string_view tag) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t dash = tag.find('-', start);
        parts.push_back(tag.substr(start, dash == std::string_view::npos ? std::string_view::npos : dash - start));
        if (dash == std::string_view::npos) return parts;
        start = dash + 1;
    }
}

// ASCII only: a tag's subtags never hold other letters, whatever the locale.
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetterOrDigit(char c) { return isLetter(c) || isDigit(c); }

bool all(std::string_view s, bool (*test)(char)) { return std::all_of(s.begin(), s.end(), test); }
bool alpha(std::string_view s, std::size_t min, std::size_t max) {
    return s.size() >= min && s.size() <= max && all(s, isLetter);
}
bool alnum(std::string_view s, std::size_t min, std::size_t max) {
    return s.size() >= min && s.size() <= max && all(s, isLetterOrDigit);
}
bool isRegion(std::string_view s) { return alpha(s, 2, 2) || (s.size() == 3 && all(s, isDigit)); }
bool isVariant(std::string_view s) {
    return alnum(s, 5, 8) || (s.size() == 4 && isDigit(s[0]) && alnum(s, 4, 4));
}

// Extensions ("u-ca-gregory") and private use ("x-whatever") from `at`:
// each singleton needs at least one subtag after it, and nothing follows
// the private use but its own subtags.
bool extensionsFrom(const std::vector<std::string_view>& parts, std::size_t at) {
    while (at < parts.size()) {
        const std::string_view singleton = parts[at];
        if (!alnum(singleton, 1, 1)) return false;
        const bool privateUse = singleton == "x" || singleton == "X";
        const std::size_t min = privateUse ? 1 : 2;
        std::size_t next = at + 1;
        while (next < parts.size() && alnum(parts[next], min, 8) && (privateUse || parts[next].size() > 1)) ++next;
        if (next == at + 1) return false;
        if (privateUse) return next == parts.size();
        at = next;
    }
    return true;
}

}  // namespace

bool isWellFormedLanguageTag(std::string_view tag) {
    if (tag.empty() || tag.size() > 255) return false;
    const std::vector<std::string_view> parts = subtagsOf(tag);
    std::size_t at = 0;
    if (parts[0] == "x" || parts[0] == "X") return extensionsFrom(parts, 0);
    if (!alpha(parts[0], 2, 8)) return false;
    const bool shortLanguage = parts[0].size() <= 3;
    ++at;
    for (int extlangs = 0; shortLanguage && extlangs < 3 && at < parts.size() && alpha(parts[at], 3, 3); ++extlangs)
        ++at;
    if (at < parts.size() && alpha(parts[at], 4, 4)) ++at;
    if (at < parts.size() && isRegion(parts[at])) ++at;
    std::vector<std::string_view> variants;
    for (; at < parts.size() && isVariant(parts[at]); ++at) {
        // A variant may not repeat (RFC 5646, 2.2.5), whatever its case.
        for (std::string_view seen : variants)
            if (std::equal(seen.begin(), seen.end(), parts[at].begin(), parts[at].end(),
                           [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
                return false;
        variants.push_back(parts[at]);
    }
    return extensionsFrom(parts, at);
}

std::string canonicalCase(std::string_view tag) {
    std::string out;
    bool afterSingleton = false;
    std::size_t index = 0;
    for (std::string_view part : subtagsOf(tag)) {
        std::string piece(part);
        std::transform(piece.begin(), piece.end(), piece.begin(), [](char c) { return std::tolower(c); });
        // Past the language, a four-letter subtag is a script and a two-letter
        // one a region; inside extensions nothing changes case but to lower.
        if (index > 0 && !afterSingleton && piece.size() == 4 && alpha(piece, 4, 4))
            piece[0] = static_cast<char>(std::toupper(piece[0]));
        else if (index > 0 && !afterSingleton && piece.size() == 2)
            std::transform(piece.begin(), piece.end(), piece.begin(), [](char c) { return std::toupper(c); });
        if (piece.size() == 1) afterSingleton = true;
        out += (index++ ? "-" : "") + piece;
    }
    return out;
}

std::optional<std::string> storedLanguage(std::string_view tag) {
    if (!isWellFormedLanguageTag(tag)) return std::nullopt;
    const std::string canonical = canonicalCase(tag);
    for (int i = 0; i < kLanguageCount; ++i)
        if (canonical == languages[i]) return std::to_string(i);
    return canonical;
}

std::optional<int> quickListIndex(std::string_view stored) {
    const std::size_t first = stored.find_first_not_of(" \t");
    const std::size_t last = stored.find_last_not_of(" \t");
    const std::string_view trimmed = first == std::string_view::npos ? "" : stored.substr(first, last - first + 1);
    if (!trimmed.empty() && trimmed.size() <= 2 && all(trimmed, isDigit)) {
        const int value = std::stoi(std::string(trimmed));
        return value < kLanguageCount ? value : 0;
    }
    // Neither an index nor a tag: the first of the list, as ever.
    return isWellFormedLanguageTag(trimmed) ? std::nullopt : std::optional(0);
}

std::string languageTagOf(std::string_view stored) {
    if (const std::optional<int> index = quickListIndex(stored)) return languages[*index];
    const std::size_t first = stored.find_first_not_of(" \t");
    return canonicalCase(stored.substr(first, stored.find_last_not_of(" \t") - first + 1));
}

bool isRightToLeftLanguage(std::string_view tag) {
    const std::string_view primary = tag.substr(0, tag.find('-'));
    for (const char* rtl : {"ar", "he", "fa", "ur", "yi", "ps", "sd", "ug", "dv", "ckb", "syr"})
        if (primary == rtl) return true;
    return false;
}

}  // namespace quillary
