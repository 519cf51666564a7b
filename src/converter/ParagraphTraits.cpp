#include "converter/ParagraphTraits.h"

#include <algorithm>
#include <cctype>

namespace conv {

bool hasVisibleContent(const Paragraph& paragraph) {
    for (const Inline& item : paragraph.inlines) {
        if (item.kind == Inline::Kind::Tab || item.kind == Inline::Kind::LineBreak) return true;
        if (item.kind == Inline::Kind::Text && !item.text.empty()) return true;
        if (item.kind == Inline::Kind::Picture) return true;
    }
    return !paragraph.listText.empty();
}

bool isBlank(const Inline& item) {
    return item.kind == Inline::Kind::Text && item.text.find_first_not_of(' ') == std::string::npos;
}

bool hasSubstance(const Paragraph& paragraph) {
    return std::any_of(paragraph.inlines.begin(), paragraph.inlines.end(), [](const Inline& item) {
        return item.kind == Inline::Kind::Picture || (item.kind == Inline::Kind::Text && !isBlank(item));
    });
}

bool isPictureParagraph(const Paragraph& paragraph) {
    bool picture = false;
    for (const Inline& item : paragraph.inlines) {
        if (item.kind == Inline::Kind::Picture) picture = true;
        else if (!isBlank(item) && item.kind != Inline::Kind::LinkStart && item.kind != Inline::Kind::LinkEnd)
            return false;
    }
    return picture;
}

int headingLevelOf(const Paragraph& paragraph) {
    if (paragraph.format.headingLevel > 0) return std::min(paragraph.format.headingLevel, 6);
    return paragraph.format.role == ParaRole::Title ? 1 : 0;
}

std::string_view roleMarker(ParaRole role) {
    switch (role) {
    case ParaRole::Title: return " title";
    case ParaRole::Subtitle: return " subtitle";
    case ParaRole::Caption: return " caption";
    case ParaRole::Preformatted: return " preformatted";
    case ParaRole::Body: break;
    }
    return {};
}

namespace {

// The paragraph rule carries the formatting of most of its characters, so
// that only the exceptions need spans. Only the first few distinct formats
// compete, which keeps the choice linear in the paragraph's length.
constexpr std::size_t kBaseCandidates = 8;

}  // namespace

namespace {

// A run's language is no part of its looks: the words of one passage in
// another language must not change which look is the paragraph's.
bool sameLooks(const CharFormat& a, CharFormat b) {
    b.language = a.language;
    return a == b;
}

}  // namespace

const CharFormat& baseFormat(const Paragraph& paragraph) {
    struct Candidate {
        const CharFormat* format;
        std::size_t length;
    };
    Candidate candidates[kBaseCandidates];
    std::size_t count = 0;
    for (const Inline& item : paragraph.inlines) {
        if (item.kind != Inline::Kind::Text) continue;
        std::size_t k = 0;
        while (k < count && !sameLooks(*candidates[k].format, item.format)) ++k;
        if (k < count) candidates[k].length += item.text.size();
        else if (count < kBaseCandidates) candidates[count++] = {&item.format, item.text.size()};
    }
    const CharFormat* best = &paragraph.markFormat;
    std::size_t bestLength = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (candidates[k].length > bestLength) {
            best = candidates[k].format;
            bestLength = candidates[k].length;
        }
    }
    return *best;
}

std::string_view trimmedListText(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    return text;
}

bool isOrderedMark(std::string_view mark) {
    for (char c : mark) {
        if (std::isdigit(static_cast<unsigned char>(c))) return true;
    }
    return mark.size() >= 2 && std::isalpha(static_cast<unsigned char>(mark[0])) &&
           (mark.back() == '.' || mark.back() == ')');
}

}  // namespace conv
