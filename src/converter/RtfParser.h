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
    Picture,           // a picture's bytes, as hex digits or after \bin
    ShapeName,         // \sn: the name of a drawing's or a picture's property
    ShapeValue,        // \sv: its value
    Object,            // an embedded object: only its \result, what readers see of it, is read
    Info,              // the document's properties: only the few below are read
    InfoText,          // one of them (\title, \author, ...)
};

// The languages of a run, as Windows language ids; -1 is the document's
// default. Which applies depends on the script of each character.
struct RunLanguages {
    int latin = -1;     // \lang
    int farEast = -1;   // \langfe
    int bidi = -1;      // \alang
    bool operator==(const RunLanguages&) const = default;
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
    RunLanguages languages;
};

class RtfParser {
public:
    RtfParser(std::string_view rtf, std::size_t maxPieces);
    Document run();
    // The document passed its limit on pieces, and reading stopped.
    bool overLimit() const { return pieces_ > maxPieces_; }

private:
    struct FontInfo {
        int nameIndex = -1;
        int codePage = kDefaultCodePage;
    };
    struct StyleInfo {
        ParaFormat para;
        CharFormat chr;
        int codePage = kDefaultCodePage;
        RunLanguages languages;
    };
    // What stands in for a picture's description when the author gave
    // none: a title, or a name that is more than the one its program made up.
    struct AltText {
        std::string description, title, name;
        void set(std::string_view property, std::string value);
        std::string chosen() const;
    };
    struct PictureFrame {
        std::size_t depth = 0;  // stack size of the \pict group
        Picture picture;
        AltText alt;
        int nibble = -1;        // a byte's first hex digit, -1 between bytes
        int pixelsWide = 0, pixelsHigh = 0;  // \picw \pich
        int goalWide = 0, goalHigh = 0;      // \picwgoal \pichgoal
        int scaleX = 100, scaleY = 100;
        bool ofShape = false;   // a drawing's picture, placed when the drawing ends
    };
    struct ShapeFrame {
        std::size_t depth = 0;  // stack size of the \shp group
        int left = 0, top = 0, right = 0, bottom = 0;
        AltText alt;
        std::optional<Picture> picture;
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
        bool mergedWithPrevious = false;  // \clmrg: part of the cell before it
        VerticalMerge verticalMerge = VerticalMerge::None;
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
    // `language` is the text's index into Document::languages, -1 for the
    // document's own; text without letters joins the language before it.
    static constexpr int kLanguageBefore = -2;
    void appendInline(Inline::Kind kind, std::string_view text, int picture = -1, int language = kLanguageBefore);
    void appendNoteMark(std::string_view mark);
    void skipFallback(Token& token);
    void startFieldResult();
    void endField();

    // Paragraphs and tables (RtfParser.cpp)
    void endParagraph(bool forceInTable);
    void endCell();
    void endRow();
    void mergeRowCells();
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
    void shapeWord(const Token& token);
    void openTextBox();
    void closeTextBox();
    void pageBreak();
    bool textHidden() const { return state().hidden || state().deleted; }
    bool readingPicture() const { return picture_ && state().destination == Destination::Picture; }

    // Pictures, the drawings that hold them, objects' results (RtfPictures.cpp)
    bool pictureWord(std::string_view word);
    void pictureDataWord(const Token& token, bool ignorable);
    void openPicture(bool ofShape);
    void addPictureHex(std::string_view hex);
    void addPictureBytes(std::string_view bytes);
    void closePicture();
    void closeShape();
    void applyShapeProperty();
    static void addPropertyText(std::string& property, std::string_view utf8);
    void placePicture(Picture picture);

    // Properties, page set-up, breaks, headings, languages (RtfDocumentWords.cpp)
    bool documentPropertyWord(std::string_view word, bool hasParam, int param);
    void infoWord(std::string_view word);
    void closeInfoText();
    void finishStyleEntry();
    void carryPageBreak(Paragraph& paragraph);
    int noteLanguage(std::string_view utf8);
    int languageIndex(int id);
    std::string documentLanguage() const;

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
    std::size_t pieces_ = 0;  // paragraphs, cells, rows and inlines made so far
    std::size_t maxPieces_;
    Paragraph paragraph_;
    std::optional<Table> table_;
    Row row_;
    Cell cell_;
    std::vector<CellDefinition> cellDefinitions_;
    CellDefinition nextCell_;   // borders read before the next \cellx
    int borderSide_ = -1;       // the cell side \brdr words describe, -1 when another border
    int rowLeft_ = 0;
    bool rowHeader_ = false;  // \trhdr: the row repeats at the top of each page
    std::vector<TextBoxFrame> textBoxes_;
    bool pageBreakPending_ = false;  // a \page inside the paragraph, shown if text follows

    std::optional<PictureFrame> picture_;
    std::vector<ShapeFrame> shapes_;
    std::string propertyName_, propertyValue_;  // the \sn and \sv being read
    std::string* infoField_ = nullptr;           // the property that \info text goes to
    std::size_t infoDepth_ = 0;                  // stack size of the \info group
    int entryBasedOn_ = -1;                      // \sbasedon of the style entry
    bool entryOutlineLevel_ = false;             // the style entry states its outline level

    // RTF's defaults: a Letter page with margins of an inch and a quarter.
    int pageWidth_ = 12240, marginLeft_ = 1800, marginRight_ = 1800;
    bool breakBeforeNext_ = false;      // a page break waits for the next paragraph with content
    bool sectionBreakPending_ = false;  // a \sect waits for it too
    bool sectionStartsPage_ = true;     // the section break kind in effect starts a new page
    RunLanguages defaultLanguages_;
    std::vector<std::pair<int, std::size_t>> letterCounts_;  // language id, letters in it
    std::map<int, int> languageIndices_;                      // language id, index into Document::languages
};

}  // namespace conv
