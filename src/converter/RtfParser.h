#pragma once
// The state machine behind readRtf; internal to the converter library.

#include "converter/CodePage.h"
#include "converter/Document.h"
#include "converter/RtfTokenizer.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace conv {

enum class Destination : std::uint8_t {
    Body,              // text of the document, a footnote or a field result
    Skip,              // read and thrown away: pictures, headers, unknown \* groups
    FontTable,
    FontEntry,
    ColorTable,
    StyleSheet,
    StyleEntry,
    FieldInstruction,
    ListText,          // the visible bullet or number of a list paragraph
    Shape,             // a drawing: its text is thrown away, only a text box inside it is read
};

// The control words the reader knows, defined beside their handling.
enum class Word : std::uint8_t;

struct GroupState {
    Destination destination = Destination::Body;
    CharFormat chr;
    ParaFormat para;
    int codePage = kDefaultCodePage;
    int unicodeSkip = 1;     // \ucN: bytes of fallback after each \uN
    bool hidden = false;     // \v
    bool deleted = false;    // \deleted: removed under tracked changes
    int styleId = 0;         // \sN inside a style sheet entry
};

class RtfParser {
public:
    explicit RtfParser(std::string_view rtf) : tokens_(rtf) {}
    Document run();

private:
    struct FontInfo {
        int nameIndex = -1;
        int codePage = kDefaultCodePage;
    };
    struct StyleInfo {
        ParaFormat para;
        CharFormat chr;
        int codePage = kDefaultCodePage;
    };
    // The paragraph a text box is anchored in waits while the box's own
    // paragraphs are read.
    struct TextBoxFrame {
        std::size_t depth = 0;  // stack size of the text box group
        Paragraph anchor;
        bool anchorInTable = false;
    };
    struct CellDefinition {
        int right = 0;
        std::array<Border, kSideCount> borders;
    };
    struct FieldFrame {
        std::size_t depth = 0;        // stack size of the \field group
        std::size_t resultDepth = 0;  // stack size of its \fldrslt group, 0 before it
        std::string instruction;
        bool linkOpen = false;
        bool resultHasText = false;
    };

    Document finish();

    // Groups (RtfParser.cpp)
    void openGroup();
    void closeGroup();
    void closeDestination(const GroupState& closed);
    void finishFontEntry();
    GroupState& state() { return stack_.back(); }
    const GroupState& state() const { return stack_.back(); }

    // Text (RtfParser.cpp)
    void addBytes(std::string_view bytes);
    void addCodePoint(char32_t cp);
    void addUnicode(std::int32_t value);
    void flushBytes();
    void deliver(std::string_view utf8);
    void deliverToTable(std::string_view utf8);
    void appendInline(Inline::Kind kind, std::string_view text);
    void appendNoteMark(std::string_view mark);
    void skipFallback(Token& token);
    void startFieldResult();
    void endField();

    // Paragraphs and tables (RtfParser.cpp)
    void endParagraph(bool forceInTable);
    void endCell();
    void endRow();
    void closeTable();
    void closeOpenLinks();

    // Control words and symbols (RtfControlWords.cpp)
    void controlWord(const Token& token);
    void controlSymbol(char symbol);
    void enterDestination(Destination destination);
    bool documentWord(Word word, bool hasParam, int param);
    bool breakWord(Word word, int param);
    bool specialCharacterWord(Word word);
    bool paragraphWord(Word word, bool hasParam, int param);
    bool characterWord(Word word, bool hasParam, int param);
    void breakInText(Inline::Kind kind);
    void applyStyle(int id);
    void selectFont(int rtfId);
    Rgb colorAt(int index) const;

    // Revisions, drawings and cell borders (RtfManuscriptWords.cpp)
    bool manuscriptWord(std::string_view word, bool hasParam, int param);
    void shapeWord(std::string_view word);
    void openTextBox();
    void closeTextBox();
    void pageBreak();
    bool textHidden() const { return state().hidden || state().deleted; }

    RtfTokenizer tokens_;
    TextDecoder decoder_;
    std::vector<GroupState> stack_;
    std::size_t overflowDepth_ = 0;  // groups opened past the depth limit
    std::size_t overflowSkip_ = 0;   // the overflow depth at which a skipped group began, 0 if none
    bool ignorableNext_ = false;
    int skipRemaining_ = 0;
    char32_t highSurrogate_ = 0;

    std::string pendingBytes_;
    int pendingCodePage_ = kDefaultCodePage;
    std::string decoded_;

    int documentCodePage_ = kDefaultCodePage;
    int defaultFont_ = -1;
    std::map<int, FontInfo> fonts_;
    std::vector<Rgb> colors_;
    std::map<int, StyleInfo> styles_;
    bool fontTableRead_ = false;
    bool colorTableRead_ = false;
    bool styleSheetRead_ = false;

    // The table entry being read (font, colour or style).
    int entryFontId_ = -1;
    int entryCharset_ = -1;
    int entryCodePage_ = 0;
    std::string entryName_;
    int entryRed_ = -1, entryGreen_ = -1, entryBlue_ = -1;

    std::vector<FieldFrame> fields_;
    std::size_t noteDepth_ = 0;  // stack size of the open footnote group, 0 outside
    bool noteOpening_ = false;   // no text of the open note read yet

    Document document_;
    Paragraph paragraph_;
    std::optional<Table> table_;
    Row row_;
    Cell cell_;
    std::vector<CellDefinition> cellDefinitions_;
    CellDefinition nextCell_;   // borders read before the next \cellx
    int borderSide_ = -1;       // the cell side \brdr words describe, -1 when another border
    int rowLeft_ = 0;
    std::vector<TextBoxFrame> textBoxes_;
    bool pageBreakPending_ = false;  // a \page inside the paragraph, shown if text follows
};

}  // namespace conv
