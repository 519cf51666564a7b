#include "converter/RtfParser.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace conv {

enum class Word : std::uint8_t {
    // destinations
    SkipGroup, FontTable, ColorTable, StyleSheet, Field, FieldInstruction, FieldResult, ListText, Footnote,
    // document
    Ansi, Mac, Pc, Pca, AnsiCodePage, DefaultFont, UnicodeSkip, Unicode,
    // structure and breaks
    Par, Line, Tab, Page, Sect, Cell, NestCell, Row, RowDefaults, RowLeft, CellRight, InTable, TableLevel,
    RowHeader, CellMergeFirst, CellMerged, CellVerticalFirst, CellVerticalMerged,
    // paragraph
    Pard, AlignLeft, AlignCenter, AlignRight, AlignJustify, LeftIndent, RightIndent, FirstIndent, SpaceBefore,
    SpaceAfter, LineSpacing, LineMultiple, RtlPar, LtrPar, ParaShading, Style, CharStyle,
    // character
    Plain, Bold, Italic, Underline, UnderlineNone, Strike, Caps, SmallCaps, Super, Sub, NoSuperSub, Font,
    FontSize, Color, Background, Spacing, SpacingTwips, Hidden, Charset, FontCodePage, Red, Green, Blue,
    // characters
    EmDash, EnDash, LeftQuote, RightQuote, LeftDoubleQuote, RightDoubleQuote, Bullet, EmSpace, EnSpace,
    QuarterSpace, ZeroWidthJoiner, ZeroWidthNonJoiner, LtrMark, RtlMark,
};

namespace {

// Word allows 63 cells in a row; a row definition with thousands is damage.
constexpr std::size_t kMaxCellsPerRow = 256;

// Lengths past 22 inches, the widest page word processors set up, are
// damage; clamping them keeps the style sheet sane.
constexpr int kMaxTwips = 31680;

// Font sizes in half-points: 1 pt to 1638 pt, the range Word accepts.
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 3276;

// No writer puts more than a few bytes of fallback after \u; a huge \uc
// would otherwise swallow text.
constexpr int kMaxUnicodeSkip = 16;


// FNV-1a: control words are short, and the library's general hash cost more
// than the rest of the lookup.
struct WordHash {
    std::size_t operator()(std::string_view word) const {
        std::size_t hash = 14695981039346656037ull;
        for (char c : word) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        return hash;
    }
};

using KeywordTable = std::unordered_map<std::string_view, Word, WordHash>;

const KeywordTable& keywords() {
    static const KeywordTable table = [] {
        KeywordTable words{
            {"fonttbl", Word::FontTable}, {"colortbl", Word::ColorTable}, {"stylesheet", Word::StyleSheet},
            {"field", Word::Field}, {"fldinst", Word::FieldInstruction}, {"fldrslt", Word::FieldResult},
            {"listtext", Word::ListText}, {"pntext", Word::ListText}, {"footnote", Word::Footnote},
            {"ansi", Word::Ansi}, {"mac", Word::Mac}, {"pc", Word::Pc}, {"pca", Word::Pca},
            {"ansicpg", Word::AnsiCodePage}, {"deff", Word::DefaultFont}, {"uc", Word::UnicodeSkip},
            {"u", Word::Unicode}, {"par", Word::Par}, {"line", Word::Line}, {"lbr", Word::Line},
            {"tab", Word::Tab}, {"page", Word::Page}, {"sect", Word::Sect}, {"cell", Word::Cell},
            {"nestcell", Word::NestCell}, {"row", Word::Row}, {"trowd", Word::RowDefaults},
            {"trleft", Word::RowLeft}, {"cellx", Word::CellRight}, {"intbl", Word::InTable},
            {"trhdr", Word::RowHeader}, {"clmgf", Word::CellMergeFirst}, {"clmrg", Word::CellMerged},
            {"clvmgf", Word::CellVerticalFirst}, {"clvmrg", Word::CellVerticalMerged},
            {"itap", Word::TableLevel}, {"pard", Word::Pard}, {"ql", Word::AlignLeft},
            {"qc", Word::AlignCenter}, {"qr", Word::AlignRight}, {"qj", Word::AlignJustify},
            {"qd", Word::AlignJustify}, {"li", Word::LeftIndent}, {"ri", Word::RightIndent},
            {"fi", Word::FirstIndent}, {"sb", Word::SpaceBefore}, {"sa", Word::SpaceAfter},
            {"sl", Word::LineSpacing}, {"slmult", Word::LineMultiple}, {"rtlpar", Word::RtlPar},
            {"ltrpar", Word::LtrPar}, {"cbpat", Word::ParaShading}, {"s", Word::Style},
            {"cs", Word::CharStyle}, {"ds", Word::CharStyle}, {"ts", Word::CharStyle},
            {"plain", Word::Plain}, {"b", Word::Bold}, {"i", Word::Italic}, {"ulnone", Word::UnderlineNone},
            {"strike", Word::Strike}, {"striked", Word::Strike}, {"caps", Word::Caps},
            {"scaps", Word::SmallCaps}, {"super", Word::Super}, {"sub", Word::Sub},
            {"nosupersub", Word::NoSuperSub}, {"f", Word::Font}, {"fs", Word::FontSize}, {"cf", Word::Color},
            {"cb", Word::Background}, {"highlight", Word::Background}, {"chcbpat", Word::Background},
            {"expnd", Word::Spacing}, {"expndtw", Word::SpacingTwips}, {"v", Word::Hidden},
            {"fcharset", Word::Charset}, {"cpg", Word::FontCodePage}, {"red", Word::Red},
            {"green", Word::Green}, {"blue", Word::Blue}, {"emdash", Word::EmDash}, {"endash", Word::EnDash},
            {"lquote", Word::LeftQuote}, {"rquote", Word::RightQuote}, {"ldblquote", Word::LeftDoubleQuote},
            {"rdblquote", Word::RightDoubleQuote}, {"bullet", Word::Bullet}, {"emspace", Word::EmSpace},
            {"enspace", Word::EnSpace}, {"qmspace", Word::QuarterSpace}, {"zwj", Word::ZeroWidthJoiner},
            {"zwnj", Word::ZeroWidthNonJoiner}, {"ltrmark", Word::LtrMark}, {"rtlmark", Word::RtlMark},
        };
        // Every kind of underline reads as an underline.
        for (std::string_view underline : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                                           "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                                           "ulthldash", "ululdbwave", "ulw", "ulwave"})
            words.emplace(underline, Word::Underline);
        // Groups whose content is not the book's text: running heads, an
        // object's data, a picture's second copy, list definitions, index
        // and contents entries, reviewers' comments, note separators.
        for (std::string_view skipped :
             {"header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf",
              "objdata", "nonshppict", "listtable", "listoverridetable", "revtbl",
              "filetbl", "pn", "xe", "tc", "tcn", "annotation", "atnid", "atnauthor", "atndate", "atnref",
              "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "template", "userprops",
              "background", "pgdsctbl", "rsidtbl", "themedata", "colorschememapping", "datastore",
              "latentstyles", "xmlnstbl", "generator", "bkmkstart", "bkmkend", "fldtype", "docvar",
              "protusertbl", "passwordhash", "comment", "txe", "mmathPr", "private", "keycode", "nesttableprops"})
            words.emplace(skipped, Word::SkipGroup);
        words.rehash(words.size() * 4);
        return words;
    }();
    return table;
}

bool toggleValue(bool hasParam, int param) { return !hasParam || param != 0; }
int twips(int value) { return std::clamp(value, -kMaxTwips, kMaxTwips); }

}  // namespace

void RtfParser::controlWord(const Token& token) {
    bool ignorable = std::exchange(ignorableNext_, false);
    GroupState& current = state();
    if (current.destination == Destination::Skip || overflowSkip_ > 0) return;
    if (current.destination == Destination::Shape) return shapeWord(token);
    if (current.destination == Destination::Picture) return pictureDataWord(token, ignorable);
    if (current.destination == Destination::Info) return infoWord(token.word);
    if (current.destination == Destination::Object) {
        // What readers see of an object is its result; the rest is its data.
        if (token.word == "result") enterDestination(Destination::Body);
        else if (ignorable) enterDestination(Destination::Skip);
        return;
    }
    auto found = keywords().find(token.word);
    if (found == keywords().end()) {
        if (manuscriptWord(token.word, token.hasParam, token.param) || pictureWord(token.word) ||
            documentPropertyWord(token.word, token.hasParam, token.param))
            return;
        // An unknown word behind \* names a destination we may ignore, and
        // must: its content is not text.
        if (ignorable) enterDestination(Destination::Skip);
        return;
    }
    Word word = found->second;
    int param = token.param;
    bool hasParam = token.hasParam;
    bool body = current.destination == Destination::Body;

    switch (word) {
    case Word::SkipGroup:
        enterDestination(Destination::Skip);
        return;
    case Word::FontTable:
        enterDestination(fontTableRead_ ? Destination::Skip : Destination::FontTable);
        return;
    case Word::ColorTable:
        enterDestination(colorTableRead_ ? Destination::Skip : Destination::ColorTable);
        entryRed_ = entryGreen_ = entryBlue_ = -1;
        return;
    case Word::StyleSheet:
        enterDestination(styleSheetRead_ ? Destination::Skip : Destination::StyleSheet);
        return;
    case Word::Field:
        if (!fields_.empty() && fields_.back().depth == stack_.size()) endField();
        fields_.push_back(FieldFrame{stack_.size(), 0, {}, false});
        return;
    case Word::FieldInstruction:
        enterDestination(Destination::FieldInstruction);
        return;
    case Word::FieldResult:
        enterDestination(Destination::Body);
        startFieldResult();
        return;
    case Word::ListText:
        enterDestination(body && paragraph_.listText.empty() && noteDepth_ == 0 ? Destination::ListText
                                                                                      : Destination::Skip);
        return;
    case Word::Footnote:
        if (!body || noteDepth_ > 0 || textHidden()) {
            enterDestination(Destination::Skip);
        } else {
            appendNoteMark("<<");
            noteDepth_ = stack_.size();
            noteOpening_ = true;
        }
        return;
    case Word::Unicode:
        addUnicode(param);
        skipRemaining_ = current.unicodeSkip;
        return;
    default:
        break;
    }
    if (ignorable) {
        enterDestination(Destination::Skip);
        return;
    }
    if (!documentWord(word, hasParam, param) && !breakWord(word, param) && !specialCharacterWord(word) &&
        !paragraphWord(word, hasParam, param))
        characterWord(word, hasParam, param);
}

void RtfParser::enterDestination(Destination destination) {
    if (overflowDepth_ == 0) {
        state().destination = destination;
    } else if (destination != state().destination && overflowSkip_ == 0) {
        // Groups past the depth limit share their parent's state, so one
        // that would start a destination of its own is skipped whole instead.
        overflowSkip_ = overflowDepth_;
    }
}

void RtfParser::controlSymbol(char symbol) {
    if (overflowSkip_ > 0) return;
    switch (symbol) {
    case '*':
        ignorableNext_ = true;
        return;
    case '~':
        deliver("\u00A0");
        break;
    case '_':
        deliver("\u2011");
        break;
    default:
        break;  // \- optional hyphen, \| \: formula and index marks
    }
    ignorableNext_ = false;
}

bool RtfParser::documentWord(Word word, bool hasParam, int param) {
    auto setCodePage = [this](int codePage) {
        documentCodePage_ = codePage;
        for (GroupState& group : stack_) {
            if (group.chr.font < 0) group.codePage = codePage;
        }
    };
    switch (word) {
    case Word::Ansi: setCodePage(kDefaultCodePage); return true;
    case Word::Mac: setCodePage(10000); return true;
    case Word::Pc: setCodePage(437); return true;
    case Word::Pca: setCodePage(850); return true;
    case Word::AnsiCodePage:
        if (param > 0) setCodePage(param);
        return true;
    case Word::DefaultFont:
        defaultFont_ = param;
        return true;
    case Word::UnicodeSkip:
        state().unicodeSkip = std::clamp(hasParam ? param : 1, 0, kMaxUnicodeSkip);
        return true;
    case Word::Charset:
        if (state().destination == Destination::FontEntry || state().destination == Destination::FontTable) {
            entryCharset_ = param;
            state().codePage = codePageForCharset(param, documentCodePage_);
        }
        return true;
    case Word::FontCodePage:
        if (param > 0 && (state().destination == Destination::FontEntry ||
                          state().destination == Destination::FontTable)) {
            entryCodePage_ = param;
            state().codePage = param;
        }
        return true;
    case Word::Red: entryRed_ = std::clamp(param, 0, 255); return true;
    case Word::Green: entryGreen_ = std::clamp(param, 0, 255); return true;
    case Word::Blue: entryBlue_ = std::clamp(param, 0, 255); return true;
    default: return false;
    }
}

bool RtfParser::breakWord(Word word, int param) {
    Destination destination = state().destination;
    switch (word) {
    case Word::Par:
        // A deleted paragraph mark joins its paragraph to the next one.
        if (destination == Destination::Body && !state().deleted) endParagraph(false);
        return true;
    case Word::Line:
        breakInText(Inline::Kind::LineBreak);
        return true;
    case Word::Tab:
        breakInText(Inline::Kind::Tab);
        return true;
    case Word::Page:
        pageBreak();
        return true;
    case Word::Sect:
        // A section break ends the paragraph it stands in; one right after a
        // paragraph mark adds no empty paragraph.
        if (destination == Destination::Body && noteDepth_ == 0) {
            if (!paragraph_.inlines.empty()) endParagraph(false);
            sectionBreakPending_ = true;
        }
        return true;
    case Word::Cell:
    case Word::NestCell:
        // Cells of a nested table become paragraphs of the outer cell: the
        // text stays in reading order, one paragraph per line.
        // A table inside a text box is read the same way.
        if (destination == Destination::Body && noteDepth_ == 0) {
            if (word == Word::Cell && textBoxes_.empty()) endCell();
            else endParagraph(true);
        }
        return true;
    case Word::Row:
        if (destination == Destination::Body && noteDepth_ == 0 && textBoxes_.empty()) endRow();
        return true;
    case Word::RowDefaults:
        cellDefinitions_.clear();
        nextCell_ = CellDefinition{};
        borderSide_ = -1;
        rowLeft_ = 0;
        rowHeader_ = false;
        return true;
    case Word::RowHeader:
        rowHeader_ = true;
        return true;
    case Word::CellMergeFirst:
    case Word::CellMerged:
        nextCell_.mergedWithPrevious = word == Word::CellMerged;
        return true;
    case Word::CellVerticalFirst:
        nextCell_.verticalMerge = VerticalMerge::First;
        return true;
    case Word::CellVerticalMerged:
        nextCell_.verticalMerge = VerticalMerge::Continue;
        return true;
    case Word::RowLeft:
        rowLeft_ = twips(param);
        return true;
    case Word::CellRight:
        nextCell_.right = twips(param);
        if (cellDefinitions_.size() < kMaxCellsPerRow) cellDefinitions_.push_back(nextCell_);
        nextCell_ = CellDefinition{};
        borderSide_ = -1;
        return true;
    case Word::InTable:
        state().para.inTable = true;
        return true;
    case Word::TableLevel:
        state().para.inTable = param > 0;
        return true;
    default:
        return false;
    }
}

void RtfParser::breakInText(Inline::Kind kind) {
    switch (state().destination) {
    case Destination::Body:
        if (!textHidden()) appendInline(kind, {});
        break;
    case Destination::ListText:
        paragraph_.listText += kind == Inline::Kind::Tab ? '\t' : ' ';
        break;
    case Destination::FieldInstruction:
        deliver(" ");
        break;
    default:
        break;
    }
}

bool RtfParser::specialCharacterWord(Word word) {
    const char* text = nullptr;
    switch (word) {
    case Word::EmDash: text = "\u2014"; break;
    case Word::EnDash: text = "\u2013"; break;
    case Word::LeftQuote: text = "\u2018"; break;
    case Word::RightQuote: text = "\u2019"; break;
    case Word::LeftDoubleQuote: text = "\u201C"; break;
    case Word::RightDoubleQuote: text = "\u201D"; break;
    case Word::Bullet: text = "\u2022"; break;
    case Word::EmSpace: text = "\u2003"; break;
    case Word::EnSpace: text = "\u2002"; break;
    case Word::QuarterSpace: text = "\u2005"; break;
    case Word::ZeroWidthJoiner: text = "\u200D"; break;
    case Word::ZeroWidthNonJoiner: text = "\u200C"; break;
    case Word::LtrMark: text = "\u200E"; break;
    case Word::RtlMark: text = "\u200F"; break;
    default: return false;
    }
    deliver(text);
    return true;
}

bool RtfParser::paragraphWord(Word word, bool hasParam, int param) {
    ParaFormat& para = state().para;
    switch (word) {
    case Word::Pard: para = ParaFormat{}; return true;
    case Word::AlignLeft: para.align = Align::Left; return true;
    case Word::AlignCenter: para.align = Align::Center; return true;
    case Word::AlignRight: para.align = Align::Right; return true;
    case Word::AlignJustify: para.align = Align::Justify; return true;
    case Word::LeftIndent: para.leftIndent = twips(param); return true;
    case Word::RightIndent: para.rightIndent = twips(param); return true;
    case Word::FirstIndent: para.firstIndent = twips(param); return true;
    case Word::SpaceBefore: para.spaceBefore = twips(param); return true;
    case Word::SpaceAfter: para.spaceAfter = twips(param); return true;
    case Word::LineSpacing: para.lineSpacing = twips(param); return true;
    case Word::LineMultiple: para.lineMultiple = toggleValue(hasParam, param); return true;
    case Word::RtlPar: para.rightToLeft = true; return true;
    case Word::LtrPar: para.rightToLeft = false; return true;
    case Word::ParaShading: para.background = colorAt(param); return true;
    case Word::Style:
        if (state().destination == Destination::StyleEntry) state().styleId = param;
        else if (state().destination == Destination::Body) applyStyle(param);
        return true;
    case Word::CharStyle:
        if (state().destination == Destination::StyleEntry) state().styleId = -1;
        return true;
    default: return false;
    }
}

bool RtfParser::characterWord(Word word, bool hasParam, int param) {
    GroupState& current = state();
    CharFormat& chr = current.chr;
    bool on = toggleValue(hasParam, param);
    switch (word) {
    case Word::Plain:
        chr = CharFormat{};
        current.hidden = false;
        current.deleted = false;
        current.languages = RunLanguages{};
        selectFont(defaultFont_);
        return true;
    case Word::Bold: chr.bold = on; return true;
    case Word::Italic: chr.italic = on; return true;
    case Word::Underline: chr.underline = on; return true;
    case Word::UnderlineNone: chr.underline = false; return true;
    case Word::Strike: chr.strike = on; return true;
    case Word::Caps: chr.caps = on; return true;
    case Word::SmallCaps: chr.smallCaps = on; return true;
    case Word::Super: chr.baseline = on ? Baseline::Super : Baseline::Normal; return true;
    case Word::Sub: chr.baseline = on ? Baseline::Sub : Baseline::Normal; return true;
    case Word::NoSuperSub: chr.baseline = Baseline::Normal; return true;
    case Word::Font:
        if (current.destination == Destination::FontTable || current.destination == Destination::FontEntry) {
            if (current.destination == Destination::FontTable && entryFontId_ >= 0) finishFontEntry();
            entryFontId_ = param;
        } else {
            selectFont(param);
        }
        return true;
    case Word::FontSize:
        chr.halfPoints = param > 0 ? std::clamp(param, kMinHalfPoints, kMaxHalfPoints) : 24;
        return true;
    case Word::Color: chr.color = colorAt(param); return true;
    case Word::Background: chr.background = colorAt(param); return true;
    case Word::Spacing: chr.spacingTwips = twips(param * 5); return true;  // quarter points
    case Word::SpacingTwips: chr.spacingTwips = twips(param); return true;
    case Word::Hidden: current.hidden = on; return true;
    default: return false;
    }
}

void RtfParser::applyStyle(int id) {
    auto found = styles_.find(id);
    if (found == styles_.end()) return;
    bool inTable = state().para.inTable;
    state().para = found->second.para;
    state().para.inTable = inTable;
    state().languages = found->second.languages;
    if (found->second.chr.font < 0) {
        int font = state().chr.font;
        state().chr = found->second.chr;
        state().chr.font = font;
    } else {
        state().chr = found->second.chr;
        state().codePage = found->second.codePage;
    }
}

void RtfParser::selectFont(int rtfId) {
    GroupState& current = state();
    auto found = fonts_.find(rtfId);
    if (found == fonts_.end()) {
        current.chr.font = -1;
        current.codePage = documentCodePage_;
        return;
    }
    current.chr.font = found->second.nameIndex;
    current.codePage = found->second.codePage;
}

Rgb RtfParser::colorAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= colors_.size()) return kAutoColor;
    return colors_[static_cast<std::size_t>(index)];
}

}  // namespace conv
