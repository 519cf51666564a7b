#include "converter/RtfParser.h"

#include "converter/FieldInstruction.h"
#include "converter/ParagraphTraits.h"
#include "converter/RtfReader.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace conv {

namespace {

// Word processors nest a few dozen groups; Outlook's HTML-in-RTF leaves
// thousands open. Past this depth a group
// is still counted, so the braces stay balanced, but it shares its parent's
// state: a file of a million "{" then costs no more memory than a small one.
constexpr std::size_t kMaxGroupDepth = 10000;

// A field instruction is a few words and a target; a longer one is damage
// and would only hold memory.
constexpr std::size_t kMaxInstructionLength = 64 * 1024;

// Style names are a few words; more is damage.
constexpr std::size_t kMaxStyleNameLength = 256;

// Each \par ends at most one block (\pard, \pararsid and the like are
// other words).
std::size_t paragraphMarks(std::string_view rtf) {
    std::size_t count = 0;
    for (std::size_t at = rtf.find("\\par"); at != std::string_view::npos; at = rtf.find("\\par", at + 4)) {
        const std::size_t next = at + 4;
        count += next == rtf.size() || std::isalpha(static_cast<unsigned char>(rtf[next])) == 0;
    }
    return count;
}

}  // namespace

quillary::Result<Document> readRtf(std::string_view rtf, std::size_t maxPieces) {
    RtfParser parser(rtf, maxPieces);
    Document document = parser.run();
    if (parser.overLimit()) return quillary::failure(tooManyPiecesReason(maxPieces));
    return document;
}

// A list that doubles as it grows holds its old and its new storage at
// once, and keeps room for up to twice its blocks: for millions of short
// paragraphs, most of the reader's memory. Room for every paragraph mark
// is taken at once; room never written to costs no memory.
RtfParser::RtfParser(std::string_view rtf, std::size_t maxPieces) : tokens_(rtf), maxPieces_(maxPieces) {
    // Reading stops at the piece past the limit, which must not need more room.
    const std::size_t marks = paragraphMarks(rtf);
    document_.blocks.reserve(marks <= maxPieces ? marks : maxPieces + 1);
}

Document RtfParser::run() {
    stack_.emplace_back();  // the state outside every group
    bool rootOpened = false;
    for (Token token = tokens_.next(); token.kind != Token::Kind::End && !overLimit(); token = tokens_.next()) {
        if (skipRemaining_ > 0) skipFallback(token);
        // Before the document's opening brace stand only a byte-order mark or
        // line ends, never text of the document.
        if (!rootOpened && token.kind != Token::Kind::GroupOpen) continue;
        switch (token.kind) {
        case Token::Kind::Text:
            if (!token.text.empty()) ignorableNext_ = false;
            if (readingPicture()) addPictureHex(token.text);
            else addBytes(token.text);
            break;
        case Token::Kind::HexByte:
            ignorableNext_ = false;
            addBytes(std::string_view(reinterpret_cast<const char*>(&token.byte), 1));
            break;
        case Token::Kind::GroupOpen:
            flushBytes();
            ignorableNext_ = false;
            openGroup();
            rootOpened = true;
            break;
        case Token::Kind::GroupClose:
            flushBytes();
            ignorableNext_ = false;
            if (rootOpened && stack_.size() == 2 && overflowDepth_ == 0) {
                // The document's own closing brace: whatever follows it is
                // not part of the document.
                return finish();
            }
            closeGroup();
            break;
        case Token::Kind::ControlWord:
            flushBytes();
            controlWord(token);
            break;
        case Token::Kind::ControlSymbol:
            flushBytes();
            controlSymbol(token.symbol);
            break;
        case Token::Kind::Binary:
            if (readingPicture()) addPictureBytes(token.text);
            break;
        case Token::Kind::End:
            break;
        }
    }
    return finish();
}

Document RtfParser::finish() {
    flushBytes();
    deliver({});  // writes a high surrogate left without its low one
    document_.info.language = documentLanguage();
    // A truncated file ends inside its groups: a note or a link still open
    // is closed, so what was read of it comes out whole. A picture cut off
    // is left out: its bytes would show nothing.
    if (noteDepth_ > 0) {
        noteDepth_ = 0;
        noteOpening_ = false;
        appendNoteMark(">>");
    }
    closeOpenLinks();
    while (!textBoxes_.empty()) closeTextBox();
    if (!paragraph_.inlines.empty() || !paragraph_.listText.empty()) endParagraph(false);
    closeTable();
    return std::move(document_);
}

void RtfParser::skipFallback(Token& token) {
    switch (token.kind) {
    case Token::Kind::Text: {
        std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(skipRemaining_), token.text.size());
        token.text.remove_prefix(count);
        skipRemaining_ -= static_cast<int>(count);
        break;
    }
    case Token::Kind::GroupOpen:
    case Token::Kind::GroupClose:
    case Token::Kind::End:
        skipRemaining_ = 0;  // a fallback never reaches past its group
        break;
    default:
        --skipRemaining_;
        token.kind = Token::Kind::Binary;  // consumed: handled as nothing
        break;
    }
}

void RtfParser::openGroup() {
    if (stack_.size() >= kMaxGroupDepth) {
        ++overflowDepth_;
        return;
    }
    GroupState next = state();
    if (next.destination == Destination::FontTable) {
        next.destination = Destination::FontEntry;
        entryFontId_ = -1;
        entryCharset_ = -1;
        entryCodePage_ = 0;
        entryName_.clear();
    } else if (next.destination == Destination::StyleSheet) {
        next.destination = Destination::StyleEntry;
        next.chr = CharFormat{};
        next.para = ParaFormat{};
        next.styleId = 0;
        next.languages = RunLanguages{};
        entryName_.clear();
        entryBasedOn_ = -1;
        entryOutlineLevel_ = false;
    }
    stack_.push_back(next);
}

void RtfParser::closeGroup() {
    if (overflowDepth_ > 0) {
        if (overflowSkip_ == overflowDepth_) overflowSkip_ = 0;
        --overflowDepth_;
        return;
    }
    if (stack_.size() <= 1) return;  // a stray "}" outside the document
    GroupState closed = std::move(stack_.back());
    stack_.pop_back();
    if (closed.destination != state().destination) closeDestination(closed);
    if (picture_ && picture_->depth > stack_.size()) closePicture();
    while (!shapes_.empty() && shapes_.back().depth > stack_.size()) closeShape();

    while (!fields_.empty()) {
        FieldFrame& field = fields_.back();
        if (field.resultDepth > stack_.size() && field.linkOpen) {
            appendInline(Inline::Kind::LinkEnd, {});
            field.linkOpen = false;
        }
        if (field.depth <= stack_.size()) break;
        endField();
    }
    while (!textBoxes_.empty() && textBoxes_.back().depth > stack_.size()) closeTextBox();
    if (noteDepth_ > stack_.size()) {
        noteDepth_ = 0;
        noteOpening_ = false;
        appendNoteMark(">>");
    }
}

void RtfParser::closeDestination(const GroupState& closed) {
    switch (closed.destination) {
    case Destination::FontEntry:
        finishFontEntry();
        break;
    case Destination::FontTable:
        finishFontEntry();
        fontTableRead_ = true;
        if (state().chr.font < 0) selectFont(defaultFont_);
        break;
    case Destination::ColorTable:
        colorTableRead_ = true;
        break;
    case Destination::StyleSheet:
        styleSheetRead_ = true;
        break;
    case Destination::ShapeValue:
        applyShapeProperty();
        break;
    case Destination::InfoText:
        closeInfoText();
        break;
    default:
        break;
    }
}

void RtfParser::finishFontEntry() {
    if (entryFontId_ >= 0 && !fonts_.contains(entryFontId_)) {
        std::string name = entryName_;
        while (!name.empty() && name.back() == ' ') name.pop_back();
        std::size_t start = name.find_first_not_of(' ');
        name.erase(0, std::min(start, name.size()));
        FontInfo info;
        info.nameIndex = static_cast<int>(document_.fonts.size());
        info.codePage = entryCodePage_ > 0 ? entryCodePage_ : codePageForCharset(entryCharset_, documentCodePage_);
        // Symbol fonts hold pictures whatever charset they claim (or none);
        // LibreOffice gives its own a text charset, and Symbol itself
        // sometimes a CJK one.
        if (int pictures = pictureFontCodePage(name)) info.codePage = pictures;
        document_.fonts.push_back(std::move(name));
        fonts_.emplace(entryFontId_, info);
    }
    entryFontId_ = -1;
    entryCharset_ = -1;
    entryCodePage_ = 0;
    entryName_.clear();
}

void RtfParser::addBytes(std::string_view bytes) {
    Destination destination = state().destination;
    if (bytes.empty() || destination == Destination::Skip || destination == Destination::Object || overflowSkip_ > 0)
        return;
    int codePage = state().codePage;
    if (!pendingBytes_.empty() && codePage != pendingCodePage_) flushBytes();
    pendingCodePage_ = codePage;
    pendingBytes_.append(bytes);
}

void RtfParser::flushBytes() {
    if (pendingBytes_.empty()) return;
    decoded_.clear();
    decoder_.decode(pendingCodePage_, pendingBytes_, decoded_);
    pendingBytes_.clear();
    deliver(decoded_);
}

void RtfParser::addUnicode(std::int32_t value) {
    // \u takes a signed 16-bit number; writers put characters above 32767
    // as negative values, and some write them unsigned.
    char32_t cp = static_cast<char32_t>(value < 0 ? value + 65536 : value);
    if (value < -32768 || cp > 0xFFFF) cp = 0xFFFD;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        deliver({});  // writes an earlier high surrogate that no low one followed
        highSurrogate_ = cp;
        return;
    }
    if (cp >= 0xDC00 && cp <= 0xDFFF) {
        if (highSurrogate_ == 0) return addCodePoint(0xFFFD);
        cp = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (cp - 0xDC00);
        highSurrogate_ = 0;
    }
    if (isPictureFont(state().codePage) && cp >= 0xF020 && cp <= 0xF0FF) {
        // Word writes a symbol font's pictures as private-use characters
        // U+F0xx, where xx is the font's own byte.
        char byte = static_cast<char>(cp - 0xF000);
        decoded_.clear();
        decoder_.decode(state().codePage, std::string_view(&byte, 1), decoded_);
        return deliver(decoded_);
    }
    addCodePoint(cp);
}

void RtfParser::addCodePoint(char32_t cp) {
    std::string utf8;
    appendUtf8(utf8, cp);
    deliver(utf8);
}

void RtfParser::deliver(std::string_view utf8) {
    if (highSurrogate_ != 0) {
        highSurrogate_ = 0;  // a high surrogate that no low one followed
        deliver("\xEF\xBF\xBD");
    }
    GroupState& current = state();
    switch (current.destination) {
    case Destination::Body:
        if (textHidden()) break;
        appendInline(Inline::Kind::Text, utf8, -1, noteLanguage(utf8));
        break;
    case Destination::FieldInstruction:
        if (!fields_.empty() && fields_.back().instruction.size() < kMaxInstructionLength)
            fields_.back().instruction.append(utf8);
        break;
    case Destination::ListText:
        if (!current.deleted) paragraph_.listText.append(utf8);
        break;
    case Destination::ShapeName:
        addPropertyText(propertyName_, utf8);
        break;
    case Destination::ShapeValue:
        addPropertyText(propertyValue_, utf8);
        break;
    case Destination::InfoText:
        if (infoField_ != nullptr) addPropertyText(*infoField_, utf8);
        break;
    case Destination::Skip:
    case Destination::Shape:
    case Destination::Picture:
    case Destination::Object:
    case Destination::Info:
        break;
    default:
        deliverToTable(utf8);
        break;
    }
}

void RtfParser::deliverToTable(std::string_view utf8) {
    Destination destination = state().destination;
    for (char c : utf8) {
        if (destination == Destination::FontTable || destination == Destination::FontEntry) {
            if (c == ';') finishFontEntry();
            else entryName_ += c;
        } else if (c == ';' && destination == Destination::ColorTable) {
            bool given = entryRed_ >= 0 || entryGreen_ >= 0 || entryBlue_ >= 0;
            colors_.push_back(given ? (std::max(entryRed_, 0) << 16) | (std::max(entryGreen_, 0) << 8) |
                                          std::max(entryBlue_, 0)
                                    : kAutoColor);
            entryRed_ = entryGreen_ = entryBlue_ = -1;
        } else if (destination == Destination::StyleEntry) {
            if (c == ';') finishStyleEntry();
            else if (entryName_.size() < kMaxStyleNameLength) entryName_ += c;
        }
    }
}

void RtfParser::appendInline(Inline::Kind kind, std::string_view text, int picture, int language) {
    if (noteDepth_ > 0 && (kind == Inline::Kind::Tab || kind == Inline::Kind::LineBreak)) {
        // A note stays on its paragraph's line, so its breaks become blanks.
        kind = Inline::Kind::Text;
        text = " ";
    }
    std::vector<Inline>& inlines = paragraph_.inlines;
    CharFormat format = state().chr;
    if (kind == Inline::Kind::Text) {
        // Blanks and punctuation between the words of a passage stay in it.
        const bool after = !inlines.empty() && inlines.back().kind == Inline::Kind::Text;
        format.language = language != kLanguageBefore ? language : after ? inlines.back().format.language : -1;
        if (noteOpening_) {
            // The note's own number and the blanks around it are not its text.
            std::size_t start = text.find_first_not_of(' ');
            text.remove_prefix(std::min(start, text.size()));
            noteOpening_ = text.empty();
        }
        if (text.empty()) return;
        for (FieldFrame& field : fields_)
            if (field.resultDepth != 0) field.resultHasText = true;
    }
    bool content = kind == Inline::Kind::Text || kind == Inline::Kind::Tab || kind == Inline::Kind::LineBreak ||
                   kind == Inline::Kind::Picture;
    if (content && std::exchange(pageBreakPending_, false) && kind != Inline::Kind::LineBreak) {
        inlines.push_back(Inline{Inline::Kind::LineBreak, format, {}});
        ++pieces_;
    }
    if (kind == Inline::Kind::Text) {
        if (!inlines.empty() && inlines.back().kind == Inline::Kind::Text && inlines.back().format == format) {
            inlines.back().text.append(text);
            return;
        }
    }
    inlines.push_back(Inline{kind, format, std::string(text), picture});
    ++pieces_;
}

// The note's brackets stand on the line even where the note's reference
// mark was raised: they are markup for the build, not the mark itself.
void RtfParser::appendNoteMark(std::string_view mark) {
    GroupState& current = state();
    Baseline baseline = std::exchange(current.chr.baseline, Baseline::Normal);
    bool opening = std::exchange(noteOpening_, false);
    appendInline(Inline::Kind::Text, mark);
    current.chr.baseline = baseline;
    noteOpening_ = opening;
}

void RtfParser::endParagraph(bool forceInTable) {
    flushBytes();
    if (noteDepth_ > 0) {
        if (!paragraph_.inlines.empty() && paragraph_.inlines.back().kind == Inline::Kind::Text &&
            !paragraph_.inlines.back().text.ends_with(' ') && !paragraph_.inlines.back().text.ends_with('<'))
            appendInline(Inline::Kind::Text, " ");
        return;
    }
    closeOpenLinks();
    bool breakAtEnd = std::exchange(pageBreakPending_, false);
    paragraph_.format = state().para;
    paragraph_.markFormat = state().chr;
    if (forceInTable) paragraph_.format.inTable = true;
    if (!textBoxes_.empty()) paragraph_.format.inTable = textBoxes_.back().anchorInTable;
    carryPageBreak(paragraph_);
    // A break with nothing after it in its paragraph comes before the next.
    if (breakAtEnd) breakBeforeNext_ = true;
    ++pieces_;
    if (paragraph_.format.inTable) {
        cell_.paragraphs.push_back(std::move(paragraph_));
    } else {
        closeTable();
        document_.blocks.emplace_back(std::move(paragraph_));
    }
    paragraph_ = Paragraph{};
}

void RtfParser::endCell() {
    endParagraph(true);
    row_.cells.push_back(std::move(cell_));
    cell_ = Cell{};
    ++pieces_;
}

void RtfParser::endRow() {
    if (!cell_.paragraphs.empty()) {
        row_.cells.push_back(std::move(cell_));
        cell_ = Cell{};
    }
    if (row_.cells.empty()) return;
    int left = rowLeft_;
    for (std::size_t i = 0; i < row_.cells.size() && i < cellDefinitions_.size(); ++i) {
        row_.cells[i].widthTwips = std::max(0, cellDefinitions_[i].right - left);
        row_.cells[i].borders = cellDefinitions_[i].borders;
        row_.cells[i].verticalMerge = cellDefinitions_[i].verticalMerge;
        left = cellDefinitions_[i].right;
    }
    mergeRowCells();
    row_.header = rowHeader_;
    if (!table_) table_.emplace();
    table_->rows.push_back(std::move(row_));
    ++pieces_;
    row_ = Row{};
}

// A cell marked as part of the one before it widens that one; its text,
// which a word processor leaves empty, is kept there rather than lost.
void RtfParser::mergeRowCells() {
    std::vector<Cell> merged;
    merged.reserve(row_.cells.size());
    for (std::size_t i = 0; i < row_.cells.size(); ++i) {
        const bool joins = i < cellDefinitions_.size() && cellDefinitions_[i].mergedWithPrevious;
        if (!joins || merged.empty()) {
            merged.push_back(std::move(row_.cells[i]));
            continue;
        }
        Cell& first = merged.back();
        first.columnSpan += row_.cells[i].columnSpan;
        first.widthTwips += row_.cells[i].widthTwips;
        for (Paragraph& paragraph : row_.cells[i].paragraphs)
            if (hasVisibleContent(paragraph)) first.paragraphs.push_back(std::move(paragraph));
    }
    row_.cells = std::move(merged);
}

void RtfParser::closeTable() {
    endRow();
    if (!table_) return;
    document_.blocks.emplace_back(std::move(*table_));
    table_.reset();
}

void RtfParser::closeOpenLinks() {
    for (FieldFrame& field : fields_) {
        if (!field.linkOpen) continue;
        appendInline(Inline::Kind::LinkEnd, {});
        field.linkOpen = false;
    }
}

void RtfParser::startFieldResult() {
    if (fields_.empty()) return;
    FieldFrame& field = fields_.back();
    field.resultDepth = stack_.size();
    std::string target = hyperlinkTarget(field.instruction);
    if (target.empty() || field.linkOpen) return;
    appendInline(Inline::Kind::LinkStart, target);
    field.linkOpen = true;
}

void RtfParser::endField() {
    const FieldFrame field = std::move(fields_.back());
    fields_.pop_back();
    if (field.linkOpen) appendInline(Inline::Kind::LinkEnd, {});
    // LibreOffice writes a phonetic guide as an EQ field whose result is
    // empty: the text the reader sees is in the instruction alone.
    if (field.resultHasText || state().destination != Destination::Body || state().hidden) return;
    const std::string text = equationText(field.instruction);
    if (!text.empty()) appendInline(Inline::Kind::Text, text);
}

}  // namespace conv
