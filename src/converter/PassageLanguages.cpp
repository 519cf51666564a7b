#include "converter/PassageLanguages.h"

#include <algorithm>
#include <cctype>

namespace conv {

namespace {

std::string_view primarySubtag(std::string_view tag) { return tag.substr(0, tag.find_first_of("-_")); }

// The tags the readers pass on come from the manuscript: only the letters,
// digits and hyphens of a tag may reach an attribute.
bool wellFormedTag(std::string_view tag) {
    return !tag.empty() && tag.size() <= 35 && std::isalpha(static_cast<unsigned char>(tag[0])) &&
           std::all_of(tag.begin(), tag.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; });
}

// Word and LibreOffice write "zxx" (no linguistic content), "und"
// (undetermined) and private "x-" tags where no language applies; "mul"
// and "mis" name none a reader could use either.
bool namesALanguage(std::string_view tag) {
    const std::string_view primary = primarySubtag(tag);
    return primary != "zxx" && primary != "und" && primary != "mul" && primary != "mis" && primary != "x" &&
           primary != "X";
}

}  // namespace

bool sameLanguage(std::string_view a, std::string_view b) {
    a = primarySubtag(a);
    b = primarySubtag(b);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool hasLetters(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80 || std::isalpha(static_cast<unsigned char>(c));
    });
}

PassageLanguages::PassageLanguages(const Document& document) {
    const std::string& own = document.info.language;
    if (own.empty()) return;
    foreign_.reserve(document.languages.size());
    for (const std::string& tag : document.languages)
        foreign_.push_back(wellFormedTag(tag) && namesALanguage(tag) && !sameLanguage(tag, own) ? tag : std::string());
}

std::string_view PassageLanguages::ofRun(int language) const {
    if (language < 0 || static_cast<std::size_t>(language) >= foreign_.size()) return {};
    return foreign_[static_cast<std::size_t>(language)];
}

std::string_view PassageLanguages::ofParagraph(const Paragraph& paragraph) const {
    std::string_view common;
    for (const Inline& item : paragraph.inlines) {
        if (item.kind != Inline::Kind::Text || !hasLetters(item.text)) continue;
        const std::string_view tag = ofRun(item.format.language);
        if (tag.empty() || (!common.empty() && !sameLanguage(tag, common))) return {};
        if (common.empty()) common = tag;
    }
    return common;
}

}  // namespace conv
