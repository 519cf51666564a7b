#include "converter/StyleRoles.h"

#include <algorithm>

namespace conv {

namespace {

// Word writes its built-in names in the language of the Word that made the
// file; LibreOffice writes its own in English. Some languages give the
// title and the headings one word: the number tells them apart.
constexpr std::string_view kHeadingWords[] = {
    "Heading", "\u00DCberschrift", "Titre", "T\u00EDtulo", "Titolo", "T\u00EDtol", "Kop", "Rubrik",
    "Overskrift", "Otsikko", "Nag\u0142\u00F3wek", "\u0417\u0430\u0433\u043E\u043B\u043E\u0432\u043E\u043A",
    "Nadpis", "C\u00EDmsor", "Ba\u015Fl\u0131k", "\u0395\u03C0\u03B9\u03BA\u03B5\u03C6\u03B1\u03BB\u03AF\u03B4\u03B1",
    "\u898B\u51FA\u3057", "\u6807\u9898", "\u6A19\u984C", "\uC81C\uBAA9", "\u05DB\u05D5\u05EA\u05E8\u05EA",
    "\u0639\u0646\u0648\u0627\u0646", "Naslov", "Titlu", "Cabe\u00E7alho", "Pealkiri",
    "\u0417\u0430\u0433\u043B\u0430\u0432\u0438\u0435"};

constexpr std::string_view kTitles[] = {
    "Title", "Titel", "Titre", "T\u00EDtulo", "Titolo", "T\u00EDtol", "Tytu\u0142", "Rubrik", "Otsikko",
    "\u041D\u0430\u0437\u0432\u0430\u043D\u0438\u0435", "N\u00E1zev", "\u8868\u984C", "\u6807\u9898",
    "\u6A19\u984C", "\uC81C\uBAA9"};

constexpr std::string_view kSubtitles[] = {
    "Subtitle", "Untertitel", "Sous-titre", "Subt\u00EDtulo", "Sottotitolo", "Ondertitel", "Undertitel",
    "Podtytu\u0142", "\u041F\u043E\u0434\u0437\u0430\u0433\u043E\u043B\u043E\u0432\u043E\u043A", "Podtitul",
    "Alc\u00EDm", "\u526F\u984C", "\u526F\u6807\u9898", "\u526F\u6A19\u984C", "\uBD80\uC81C"};

constexpr std::string_view kCaptions[] = {
    "Caption", "Figure", "Illustration", "Drawing", "Beschriftung", "L\u00E9gende", "Descripci\u00F3n",
    "Didascalia", "Bijschrift", "Beskrivning", "Billedtekst", "Legenda", "Titulek",
    "K\u00E9pal\u00E1\u00EDr\u00E1s", "\u56F3\u8868\u756A\u53F7", "\u9898\u6CE8", "\uCEA1\uC158"};

constexpr std::string_view kPreformatted[] = {"Preformatted Text", "HTML Preformatted", "Code", "Source Text",
                                              "Source Code"};

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lower(x) == lower(y);
           });
}

template <std::size_t N>
bool isOneOf(std::string_view name, const std::string_view (&names)[N]) {
    return std::any_of(std::begin(names), std::end(names), [name](std::string_view n) { return sameName(name, n); });
}

// "Heading 3" or "Heading3": the word, an optional blank, one digit.
int headingLevel(std::string_view name) {
    if (name.size() < 2 || name.back() < '1' || name.back() > '9') return 0;
    std::string_view word = name.substr(0, name.size() - 1);
    if (word.ends_with(' ')) word.remove_suffix(1);
    return isOneOf(word, kHeadingWords) ? std::min(name.back() - '0', 6) : 0;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

}  // namespace

StyleMeaning styleMeaning(std::string_view name) {
    while (!name.empty()) {
        std::size_t comma = name.find(',');
        std::string_view alias = trimmed(name.substr(0, comma));
        name = comma == std::string_view::npos ? std::string_view() : name.substr(comma + 1);
        if (int level = headingLevel(alias)) return {level, ParaRole::Body};
        if (isOneOf(alias, kTitles)) return {0, ParaRole::Title};
        if (isOneOf(alias, kSubtitles)) return {0, ParaRole::Subtitle};
        if (isOneOf(alias, kCaptions)) return {0, ParaRole::Caption};
        if (isOneOf(alias, kPreformatted)) return {0, ParaRole::Preformatted};
    }
    return {};
}

}  // namespace conv
