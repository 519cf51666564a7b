// The content of runs: text in its fonts and languages, breaks, symbols,
// fields, links and notes.

#include "base/Utf8.h"
#include "converter/DocxBody.h"
#include "converter/FieldInstruction.h"
#include "converter/PassageLanguages.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace conv {

namespace {

// Fields nest a few deep (a page number in a link in a contents entry); a
// run of "begin" marks past this many is damage, and the marks past it are
// counted only so that their ends match.
constexpr std::size_t kMaxFields = 256;
// Field instructions are a few words and a target.
constexpr std::size_t kMaxInstructionLength = 64 * 1024;

bool isEastAsian(char32_t cp) {
    return (cp >= 0x2E80 && cp <= 0x9FFF) || (cp >= 0xAC00 && cp <= 0xD7AF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0xFF00 && cp <= 0xFFEF) || (cp >= 0x20000 && cp <= 0x2FFFF);
}

bool isComplexScript(char32_t cp) {
    return (cp >= 0x0590 && cp <= 0x08FF) || (cp >= 0xFB1D && cp <= 0xFDFF) || (cp >= 0xFE70 && cp <= 0xFEFF) ||
           (cp >= 0x0E00 && cp <= 0x0E7F);
}

// Which of a run's fonts and languages its text is in: the first letter
// outside the Latin scripts decides, as Word splits runs where the script
// changes.
Script scriptOf(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const quillary::utf8::Decoded decoded = quillary::utf8::decodeAt(text, at);
        if (decoded.length == 0) return kLatin;
        if (isEastAsian(decoded.codePoint)) return kEastAsian;
        if (isComplexScript(decoded.codePoint)) return kComplex;
        at += decoded.length;
    }
    return kLatin;
}

// Blanks and ASCII punctuation are in no language: they join the run before.
bool sameButLanguage(const CharFormat& before, CharFormat format) {
    format.language = before.language;
    return before == format;
}

int hexNumber(std::string_view text) {
    int value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0 || value > 0x10FFFF) return 0xFFFD;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

void DocxBody::beginRun(pugi::xml_node r) {
    Story& s = story();
    const XmlPart& part = *part_;
    const pugi::xml_node rPr = part.child(r, Ns::W, "rPr");
    s.run = sources_.styles.runStyle(s.paragraphStyle, part.val(part.child(rPr, Ns::W, "rStyle")));
    sources_.styles.applyRun(part, rPr, s.run);
}

CharFormat DocxBody::formatFor(std::string_view text, const RunProps& run) const {
    const Script script = run.complexScript ? kComplex : scriptOf(text);
    CharFormat format = run.format;
    format.font = run.fonts[script] >= 0 ? run.fonts[script] : run.fonts[kLatin];
    // Pictures stand in for Latin letters only: a symbol font named for
    // right-to-left or East Asian text draws that text in the Latin font.
    if (script != kLatin && sources_.styles.pictureCodePage(format.font)) format.font = run.fonts[kLatin];
    format.language = run.languages[script] >= 0 ? run.languages[script] : run.languages[kLatin];
    return format;
}

// Hidden text and a field's instruction are not text of the document.
bool DocxBody::textShown() const {
    const Story& s = stories_.back();
    if (s.run.hidden) return false;
    return std::all_of(s.fields.begin(), s.fields.end(), [](const Field& field) { return field.inResult; });
}

void DocxBody::appendText(std::string_view text) {
    if (text.empty() || !textShown()) return;
    const CharFormat format = formatFor(text, story().run);
    languageShares_[format.language] += text.size();
    if (const int codePage = sources_.styles.pictureCodePage(format.font)) {
        std::string drawn;
        appendPictureFontText(decoder_, codePage, text, drawn);
        return appendInline(Inline::Kind::Text, drawn, format);
    }
    appendInline(Inline::Kind::Text, text, format);
}

void DocxBody::appendInline(Inline::Kind kind, std::string_view text, const CharFormat& format, int picture) {
    Story& s = story();
    std::vector<Inline>& inlines = target().inlines;
    const bool content = kind != Inline::Kind::LinkStart && kind != Inline::Kind::LinkEnd;
    if (s.kind == Story::Note) {
        // A note stays on its paragraph's line: its breaks become blanks.
        if (kind == Inline::Kind::Tab || kind == Inline::Kind::LineBreak) {
            kind = Inline::Kind::Text;
            text = " ";
        }
        if (kind == Inline::Kind::Text && s.noteOpening) {
            text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
            s.noteOpening = text.empty();
        }
        if (content && (kind != Inline::Kind::Text || !text.empty()) && std::exchange(s.breakPending, false) &&
            !inlines.empty() && inlines.back().kind == Inline::Kind::Text && !inlines.back().text.ends_with(' ') &&
            !inlines.back().text.ends_with('<'))
            inlines.back().text += ' ';
    }
    if (kind == Inline::Kind::Text) {
        if (text.empty()) return;
        for (Field& field : s.fields) field.resultHasText = field.resultHasText || field.inResult;
    }
    // A page or column break that text follows starts a new line.
    if (content && s.kind != Story::Note && std::exchange(s.breakPending, false)) {
        s.pageBreakPending = false;
        if (kind != Inline::Kind::LineBreak) {
            inlines.push_back(Inline{Inline::Kind::LineBreak, format, {}});
            ++pieces_;
        }
    }
    if (kind == Inline::Kind::Text && !inlines.empty() && inlines.back().kind == Inline::Kind::Text &&
        (inlines.back().format == format || (!hasLetters(text) && sameButLanguage(inlines.back().format, format)))) {
        inlines.back().text.append(text);
        return;
    }
    inlines.push_back(Inline{kind, format, std::string(text), picture});
    ++pieces_;
}

// The note's brackets stand on the line in the text's own formatting, even
// where the note's reference mark was raised: they are markup for the
// build, not the mark itself.
CharFormat DocxBody::noteMarkFormat() {
    const std::vector<Inline>& inlines = target().inlines;
    const auto text = std::find_if(inlines.rbegin(), inlines.rend(),
                                   [](const Inline& item) { return item.kind == Inline::Kind::Text; });
    CharFormat format = text != inlines.rend() ? text->format : formatFor({}, story().mark);
    format.baseline = Baseline::Normal;
    return format;
}

void DocxBody::breakElement(pugi::xml_node br) {
    if (!textShown()) return;
    Story& s = story();
    const std::string_view type = part_->attribute(br, Ns::W, "type").value();
    if (type != "page" && type != "column") return appendInline(Inline::Kind::LineBreak, {}, formatFor({}, s.run));
    if (s.kind == Story::Note) return;
    if (!s.paragraph.inlines.empty()) {
        s.breakPending = true;
        s.pageBreakPending = type == "page";
    } else if (type == "page" && s.kind == Story::Body && !table_) {
        s.pageBreakAtStart = true;
    }
}

void DocxBody::symbol(pugi::xml_node sym) {
    if (!textShown()) return;
    const std::string_view fontName = part_->attribute(sym, Ns::W, "font").value();
    const auto cp = static_cast<char32_t>(hexNumber(part_->attribute(sym, Ns::W, "char").value()));
    CharFormat format = formatFor({}, story().run);
    if (const int font = sources_.styles.fontIndex(fontName); font >= 0) format.font = font;
    std::string text;
    const int codePage = pictureFontCodePage(fontName);
    if (codePage && ((cp >= 0xF020 && cp <= 0xF0FF) || (cp >= 0x20 && cp <= 0xFF))) {
        const char byte = static_cast<char>(cp & 0xFF);
        decoder_.decode(codePage, std::string_view(&byte, 1), text);
    } else {
        appendUtf8(text, cp);
    }
    appendInline(Inline::Kind::Text, text, format);
}

void DocxBody::fieldCharacter(pugi::xml_node fldChar) {
    Story& s = story();
    const std::string_view type = part_->attribute(fldChar, Ns::W, "fldCharType").value();
    if (type == "begin") {
        if (s.fields.size() >= kMaxFields) ++s.hiddenFieldDepth;
        else s.fields.emplace_back();
    } else if (type == "separate") {
        if (s.hiddenFieldDepth == 0 && !s.fields.empty() && !s.fields.back().inResult) {
            s.fields.back().inResult = true;
            startFieldResult();
        }
    } else if (type == "end") {
        if (s.hiddenFieldDepth > 0) --s.hiddenFieldDepth;
        else if (!s.fields.empty()) endField();
    }
}

void DocxBody::appendInstruction(std::string_view text) {
    Story& s = story();
    if (!s.fields.empty() && !s.fields.back().inResult && s.fields.back().instruction.size() < kMaxInstructionLength)
        s.fields.back().instruction += text;
}

void DocxBody::beginField(std::string instruction, bool inResult) {
    instruction.resize(std::min(instruction.size(), kMaxInstructionLength));
    story().fields.push_back(Field{std::move(instruction), inResult});
    if (inResult) startFieldResult();
}

void DocxBody::startFieldResult() {
    Field& field = story().fields.back();
    const std::string target = hyperlinkTarget(field.instruction);
    if (target.empty() || field.linkOpen) return;
    appendInline(Inline::Kind::LinkStart, target, formatFor({}, story().run));
    story().fields.back().linkOpen = true;
}

void DocxBody::endField() {
    Story& s = story();
    if (s.fields.empty()) return;
    const Field field = std::move(s.fields.back());
    s.fields.pop_back();
    if (field.linkOpen) appendInline(Inline::Kind::LinkEnd, {}, formatFor({}, s.run));
    // LibreOffice writes a phonetic guide as an EQ field whose result is
    // empty: the text the reader sees is in the instruction alone.
    if (field.resultHasText || !textShown()) return;
    const std::string text = equationText(field.instruction);
    if (!text.empty()) appendInline(Inline::Kind::Text, text, formatFor(text, s.run));
}

void DocxBody::closeOpenLinks() {
    for (std::size_t k = 0; k < story().fields.size(); ++k) {
        if (!std::exchange(story().fields[k].linkOpen, false)) continue;
        appendInline(Inline::Kind::LinkEnd, {}, formatFor({}, story().run));
    }
}

// A link to a place inside the document has no address once the book is
// cut into sections: like the RTF reader's, it keeps only its text.
bool DocxBody::beginHyperlink(pugi::xml_node hyperlink) {
    const XmlPart& part = *part_;
    const auto found = relationships_->find(part.attribute(hyperlink, Ns::R, "id").value());
    if (found == relationships_->end() || !found->second.external || found->second.target.empty() ||
        found->second.target.starts_with('#'))
        return false;
    std::string target = found->second.target;
    if (const std::string_view anchor = part.attribute(hyperlink, Ns::W, "anchor").value(); !anchor.empty()) {
        target += '#';
        target += anchor;
    }
    appendInline(Inline::Kind::LinkStart, target, formatFor({}, story().run));
    return true;
}

// A note is read where its mark stands, between "<<" and ">>", as the RTF
// reader writes a \footnote: the build numbers it with the notes the author
// typed. A note in a note, or whose mark is hidden, goes with its mark.
void DocxBody::readNote(pugi::xml_node reference, bool endnote) {
    if (story().kind == Story::Note || !textShown()) return;
    DocxNotes& notes = endnote ? sources_.endnotes : sources_.footnotes;
    const auto found = notes.byId.find(part_->attribute(reference, Ns::W, "id").value());
    if (found == notes.byId.end() || !notes.part) return;
    const CharFormat markFormat = noteMarkFormat();
    appendInline(Inline::Kind::Text, "<<", markFormat);
    Story note;
    note.kind = Story::Note;
    note.noteOpening = true;
    stories_.push_back(std::move(note));
    const XmlPart* anchorPart = std::exchange(part_, &*notes.part);
    const Relationships* anchorRelationships = std::exchange(relationships_, &notes.relationships);
    walk(found->second);
    part_ = anchorPart;
    relationships_ = anchorRelationships;
    stories_.pop_back();
    appendInline(Inline::Kind::Text, ">>", markFormat);
}

}  // namespace conv
