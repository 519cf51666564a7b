#pragma once
// The text of a WordprocessingML document read into the document model:
// the body, with the notes, text boxes, fields, links, tables and pictures
// it refers to, the way the RTF reader reads the same document.
// Internal to the .docx reader.

#include "converter/CodePage.h"
#include "converter/DocxNumbering.h"
#include "converter/DocxPackage.h"
#include "converter/DocxStyles.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace conv {

// The notes of one kind (footnotes or endnotes), by id.
struct DocxNotes {
    std::optional<XmlPart> part;
    Relationships relationships;
    std::unordered_map<std::string, pugi::xml_node> byId;
};

// What the body refers to, read before it.
struct DocxSources {
    DocxPackage& package;
    DocxStyles& styles;
    DocxNumbering& numbering;
    DocxNotes& footnotes;
    DocxNotes& endnotes;
};

// A table of the body (tables inside others, in text boxes or in notes
// are read as their paragraphs, as the RTF reader reads them).
struct DocxTableState {
    Table table;
    std::vector<int> grid;  // column widths
    TableBorders borders;
    std::vector<std::vector<TableBorders>> cellBorders;  // each cell's own, row by row
    Row row;
    std::vector<TableBorders> rowBorders;                // ... of the row being read
    Cell cell;
    TableBorders ownBorders;
    Rgb shading = kAutoColor;
    int column = 0;
};

class DocxBody {
public:
    DocxBody(Document& document, DocxSources sources, std::size_t maxPieces)
        : document_(document), maxPieces_(maxPieces), sources_(sources) {}

    // Reads the body of the main document part, whose relationships are given.
    void read(const XmlPart& part, const Relationships& relationships);

    // The document passed its limit on pieces, and reading stopped: it is
    // to be refused.
    bool overLimit() const { return pieces_ > maxPieces_; }

    // Characters of text per language (indices into Document::languages).
    const std::unordered_map<int, std::size_t>& languageShares() const { return languageShares_; }

    enum class Tag : std::uint8_t;

private:
    struct Frame {
        Tag tag;
        bool flag = false;  // what entering the element started (a link, a chosen alternative)
    };
    struct Field {
        std::string instruction;
        bool inResult = false;
        bool linkOpen = false;
        bool resultHasText = false;
    };
    // The body, a text box, or a note: text read in an order of its own.
    struct Story {
        enum Kind : std::uint8_t { Body, TextBox, Note } kind = Body;
        Paragraph paragraph;  // a note writes into its anchor's paragraph instead
        ParaProps para;
        RunProps mark;
        std::string paragraphStyle;
        RunProps run;
        std::vector<Field> fields;
        std::size_t hiddenFieldDepth = 0;  // fields begun past the limit
        bool markDeleted = false;
        bool endsSection = false;
        bool pageBreakAtStart = false; // a page break before any text
        bool breakPending = false;     // a page or column break after text: a line break if text follows
        bool pageBreakPending = false; // ... a page break, carried to the next paragraph if none does
        bool noteOpening = false;      // nothing of the note read yet
        bool anchorInTable = false;    // a text box: where its anchor paragraph stands
    };
    struct Drawing {
        std::string description;
        long long widthEmu = 0, heightEmu = 0;
    };

    // Traversal (DocxBody.cpp)
    void walk(pugi::xml_node root);
    void walkBelow(pugi::xml_node root);
    void walkElement(pugi::xml_node node);
    bool isIn(Tag structure) const;
    bool enter(pugi::xml_node node, Tag tag);
    void leave(const Frame& frame);
    Tag tagOf(pugi::xml_node node) const;
    Story& story() { return stories_.back(); }
    Paragraph& target();

    // Paragraphs and tables (DocxBody.cpp)
    void beginParagraph(pugi::xml_node p);
    void endParagraph();
    void endNoteParagraph();
    void emit(Paragraph paragraph);
    void readSections(pugi::xml_node body);
    bool beginTable(pugi::xml_node tbl);
    void endTable();
    bool beginRow(pugi::xml_node tr);
    void endRow();
    void beginCell(pugi::xml_node tc);
    void endCell();

    // Runs (DocxRuns.cpp)
    void beginRun(pugi::xml_node r);
    void appendText(std::string_view text);
    void appendInline(Inline::Kind kind, std::string_view text, const CharFormat& format, int picture = -1);
    CharFormat noteMarkFormat();
    CharFormat formatFor(std::string_view text, const RunProps& run) const;
    bool textShown() const;
    void breakElement(pugi::xml_node br);
    void symbol(pugi::xml_node sym);
    void fieldCharacter(pugi::xml_node fldChar);
    void appendInstruction(std::string_view text);
    void beginField(std::string instruction, bool inResult);
    void startFieldResult();
    void endField();
    void closeOpenLinks();
    bool beginHyperlink(pugi::xml_node hyperlink);
    void readNote(pugi::xml_node reference, bool endnote);

    // Drawings (DocxDrawings.cpp)
    void beginDrawing(pugi::xml_node placement);
    void vmlShape(pugi::xml_node shape);
    void picture(pugi::xml_node pic);
    void vmlPicture(pugi::xml_node imagedata);
    void addPicture(std::string_view relationshipId, const Drawing& drawing);
    bool alternativeUnderstood(pugi::xml_node choice) const;
    bool beginTextBox();
    void endTextBox();

    Document& document_;
    std::size_t pieces_ = 0;  // paragraphs, cells, rows and inlines made so far
    std::size_t maxPieces_;
    DocxSources sources_;
    const XmlPart* part_ = nullptr;
    const Relationships* relationships_ = nullptr;
    TextDecoder decoder_;
    std::vector<Frame> open_;
    std::vector<Story> stories_;
    std::optional<DocxTableState> table_;
    std::vector<Drawing> drawings_;
    struct Section {
        bool startsPage = true;
        int textWidthTwips = 0;  // the page between its margins
    };
    std::vector<Section> sections_;
    std::size_t sectionsEnded_ = 0;
    bool pageBreakBefore_ = false;  // for the next paragraph of the body
    std::unordered_map<std::string, std::string> mediaBytes_;
    std::unordered_map<int, std::size_t> languageShares_;
};

}  // namespace conv
