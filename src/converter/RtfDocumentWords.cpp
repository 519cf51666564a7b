// The document around its text: its own properties (\info), the page its
// text is set on, the breaks that start a new page, the outline levels and
// style names that make a paragraph a heading, and the languages the text
// is written in.

#include "converter/LanguageTags.h"
#include "converter/RtfParser.h"
#include "converter/StyleRoles.h"

#include <algorithm>
#include <unordered_map>

namespace conv {

namespace {

enum class DocumentWord : std::uint8_t {
    Info, PageWidth, MarginLeft, MarginRight, SectionDefaults, SectionOnSamePage, SectionOnNewPage,
    PageBreakBefore, OutlineLevel, BasedOn, Language, FarEastLanguage, BidiLanguage, DefaultLanguage,
    DefaultFarEastLanguage, DefaultBidiLanguage,
};

const std::unordered_map<std::string_view, DocumentWord>& documentWords() {
    using W = DocumentWord;
    static const std::unordered_map<std::string_view, DocumentWord> words{
        {"info", W::Info}, {"paperw", W::PageWidth}, {"pgwsxn", W::PageWidth}, {"margl", W::MarginLeft},
        {"marglsxn", W::MarginLeft}, {"margr", W::MarginRight}, {"margrsxn", W::MarginRight},
        {"sectd", W::SectionDefaults}, {"sbknone", W::SectionOnSamePage}, {"sbkcol", W::SectionOnSamePage},
        {"sbkpage", W::SectionOnNewPage}, {"sbkodd", W::SectionOnNewPage}, {"sbkeven", W::SectionOnNewPage},
        {"pagebb", W::PageBreakBefore}, {"outlinelevel", W::OutlineLevel}, {"sbasedon", W::BasedOn},
        {"lang", W::Language}, {"langfe", W::FarEastLanguage}, {"alang", W::BidiLanguage},
        {"deflang", W::DefaultLanguage}, {"deflangfe", W::DefaultFarEastLanguage},
        {"adeflang", W::DefaultBidiLanguage},
    };
    return words;
}

// Pages wider than 22 inches are damage.
constexpr int kMaxPageTwips = 31680;

// Word has nine outline levels; the tenth (9) is body text.
constexpr int kBodyTextLevel = 9;

int pageTwips(int value) { return std::clamp(value, 0, kMaxPageTwips); }

struct Letters {
    std::size_t latin = 0, farEast = 0, bidi = 0;
};

// The text is the decoder's, so always whole UTF-8.
char32_t codePointAt(std::string_view utf8, std::size_t i) {
    auto next = [&](std::size_t k) { return i + k < utf8.size() ? static_cast<char32_t>(utf8[i + k] & 0x3F) : 0; };
    auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead >= 0xF0) return ((lead & 0x07u) << 18) | (next(1) << 12) | (next(2) << 6) | next(3);
    if (lead >= 0xE0) return ((lead & 0x0Fu) << 12) | (next(1) << 6) | next(2);
    return ((lead & 0x1Fu) << 6) | next(1);
}

// Which of a run's three languages a letter is in goes by its script, as in
// Word: right-to-left scripts take \alang; Chinese, Japanese and Korean
// \langfe; every other letter \lang. Digits, blanks, punctuation and
// symbols count for none.
Letters countLetters(std::string_view utf8) {
    Letters letters;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            letters.latin += (lead | 0x20) >= 'a' && (lead | 0x20) <= 'z';
            continue;
        }
        if (lead < 0xC0) continue;  // inside a character
        char32_t cp = codePointAt(utf8, i);
        if ((cp >= 0x0590 && cp < 0x0900) || (cp >= 0xFB1D && cp < 0xFE00) || (cp >= 0xFE70 && cp < 0xFF00))
            ++letters.bidi;
        else if ((cp >= 0x3040 && cp < 0xD800) || (cp >= 0xF900 && cp < 0xFB00) || (cp >= 0xFF00 && cp < 0xFFF0) ||
                 (cp >= 0x20000 && cp < 0x40000))
            ++letters.farEast;
        else if ((cp >= 0x00C0 && cp < 0x0590) || (cp >= 0x0900 && cp < 0x2000) || (cp >= 0xFB00 && cp < 0xFB1D))
            ++letters.latin;
    }
    return letters;
}

}  // namespace

bool RtfParser::documentPropertyWord(std::string_view word, bool hasParam, int param) {
    auto found = documentWords().find(word);
    if (found == documentWords().end()) return false;
    GroupState& current = state();
    RunLanguages& languages = current.languages;
    switch (found->second) {
    case DocumentWord::Info:
        enterDestination(current.destination == Destination::Body ? Destination::Info : Destination::Skip);
        infoDepth_ = stack_.size();
        break;
    case DocumentWord::PageWidth: pageWidth_ = pageTwips(param); break;
    case DocumentWord::MarginLeft: marginLeft_ = pageTwips(param); break;
    case DocumentWord::MarginRight: marginRight_ = pageTwips(param); break;
    // A section starts on a new page unless it says otherwise.
    case DocumentWord::SectionDefaults:
    case DocumentWord::SectionOnNewPage: sectionStartsPage_ = true; break;
    case DocumentWord::SectionOnSamePage: sectionStartsPage_ = false; break;
    case DocumentWord::PageBreakBefore: current.para.pageBreakBefore = !hasParam || param != 0; break;
    case DocumentWord::OutlineLevel:
        current.para.headingLevel = param >= 0 && param < kBodyTextLevel ? std::min(param + 1, 6) : 0;
        if (current.destination == Destination::StyleEntry) entryOutlineLevel_ = true;
        break;
    case DocumentWord::BasedOn:
        if (current.destination == Destination::StyleEntry) entryBasedOn_ = param;
        break;
    case DocumentWord::Language: languages.latin = param; break;
    case DocumentWord::FarEastLanguage: languages.farEast = param; break;
    case DocumentWord::BidiLanguage: languages.bidi = param; break;
    case DocumentWord::DefaultLanguage: defaultLanguages_.latin = param; break;
    case DocumentWord::DefaultFarEastLanguage: defaultLanguages_.farEast = param; break;
    case DocumentWord::DefaultBidiLanguage: defaultLanguages_.bidi = param; break;
    }
    return true;
}

// Only the properties a book states are read; the first of each counts
// (LibreOffice writes the author twice, the second time as the last editor).
void RtfParser::infoWord(std::string_view word) {
    if (stack_.size() <= infoDepth_) return;  // a word of the \info group itself
    DocumentInfo& info = document_.info;
    std::string* field = word == "title"      ? &info.title
                         : word == "author"   ? &info.author
                         : word == "subject"  ? &info.subject
                         : word == "keywords" ? &info.keywords
                         : word == "company"  ? &info.publisher
                                              : nullptr;
    if (field == nullptr || !field->empty() || infoField_ != nullptr) {
        enterDestination(Destination::Skip);
        return;
    }
    enterDestination(Destination::InfoText);
    infoField_ = field;
}

void RtfParser::closeInfoText() {
    if (infoField_ == nullptr) return;
    std::string& field = *infoField_;
    std::size_t start = field.find_first_not_of(" \t");
    field = start == std::string::npos ? std::string() : field.substr(start, field.find_last_not_of(" \t") - start + 1);
    infoField_ = nullptr;
}

// The style's name decides what its paragraphs are where its outline level
// does not; a style without either is what the style it is based on is.
void RtfParser::finishStyleEntry() {
    const GroupState& entry = state();
    if (entry.styleId >= 0 && !styles_.contains(entry.styleId)) {
        ParaFormat para = entry.para;
        StyleMeaning meaning = styleMeaning(entryName_);
        if (!entryOutlineLevel_) para.headingLevel = meaning.headingLevel;
        para.role = meaning.role;
        auto base = styles_.find(entryBasedOn_);
        if (para.headingLevel == 0 && para.role == ParaRole::Body && !entryOutlineLevel_ && base != styles_.end()) {
            para.headingLevel = base->second.para.headingLevel;
            para.role = base->second.para.role;
        }
        styles_.emplace(entry.styleId, StyleInfo{para, entry.chr, entry.codePage, entry.languages});
    }
    entryName_.clear();
    entryBasedOn_ = -1;
    entryOutlineLevel_ = false;
}

// A break waits for the next paragraph that holds something: the empty
// paragraph Word puts after a page break stays on the page before. A table
// carries it on its first paragraph.
void RtfParser::carryPageBreak(Paragraph& paragraph) {
    bool waiting = breakBeforeNext_ || (sectionBreakPending_ && sectionStartsPage_);
    if (paragraph.inlines.empty() && paragraph.listText.empty()) {
        breakBeforeNext_ = waiting || paragraph.format.pageBreakBefore;
        sectionBreakPending_ = false;
        paragraph.format.pageBreakBefore = false;
        return;
    }
    paragraph.format.pageBreakBefore = paragraph.format.pageBreakBefore || waiting;
    breakBeforeNext_ = sectionBreakPending_ = false;
}

// Counts the letters for the document's language, and gives the language
// of the text: any letter of a right-to-left or East Asian script makes it
// that script's, as Word splits runs where the script changes.
// kLanguageBefore when it has no letters.
int RtfParser::noteLanguage(std::string_view utf8) {
    const RunLanguages& run = state().languages;
    const RunLanguages& defaults = defaultLanguages_;
    Letters letters = countLetters(utf8);
    // WordPad marks Hebrew and Chinese runs with \lang alone.
    int latin = run.latin >= 0 ? run.latin : defaults.latin;
    int farEast = run.farEast >= 0 ? run.farEast : defaults.farEast >= 0 ? defaults.farEast : latin;
    int bidi = run.bidi >= 0 ? run.bidi : defaults.bidi >= 0 ? defaults.bidi : latin;
    auto add = [this](int id, std::size_t count) {
        if (count == 0) return;
        auto found = std::find_if(letterCounts_.begin(), letterCounts_.end(),
                                  [id](const auto& entry) { return entry.first == id; });
        if (found == letterCounts_.end()) letterCounts_.emplace_back(id, count);
        else found->second += count;
    };
    add(latin, letters.latin);
    add(farEast, letters.farEast);
    add(bidi, letters.bidi);
    if (letters.bidi > 0) return languageIndex(bidi);
    if (letters.farEast > 0) return languageIndex(farEast);
    return letters.latin > 0 ? languageIndex(latin) : kLanguageBefore;
}

// -1 for an id that names no language we know: better none than a wrong one.
int RtfParser::languageIndex(int id) {
    const auto [found, added] = languageIndices_.try_emplace(id, -1);
    if (!added) return found->second;
    const std::string_view tag = languageTag(id);
    if (tag.empty()) return -1;
    auto same = std::find(document_.languages.begin(), document_.languages.end(), tag);
    found->second = static_cast<int>(same - document_.languages.begin());
    if (same == document_.languages.end()) document_.languages.emplace_back(tag);
    return found->second;
}

// The language most letters are in; the document's default when no letter
// is in a language we know.
std::string RtfParser::documentLanguage() const {
    std::string_view best = languageTag(defaultLanguages_.latin);
    std::size_t most = 0;
    for (const auto& [id, count] : letterCounts_) {
        std::string_view tag = languageTag(id);
        if (!tag.empty() && count > most) {
            best = tag;
            most = count;
        }
    }
    return std::string(best);
}

}  // namespace conv
