#pragma once
// The formatting of a WordprocessingML document: its defaults, its
// paragraph, character and table styles with their inheritance, its theme's
// fonts, and the run and paragraph properties read into the document
// model's formats. Internal to the .docx reader.

#include "converter/Document.h"
#include "converter/XmlPart.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace conv {

// The three kinds of text a run may hold, each with its own font and
// language: the run's characters say which one applies.
enum Script : std::uint8_t { kLatin, kEastAsian, kComplex, kScriptCount };

// A run's properties before its text chooses its script.
struct RunProps {
    CharFormat format;  // font and language are chosen from the arrays below
    std::array<int, kScriptCount> fonts{-1, -1, -1};      // indices into Document::fonts
    std::array<int, kScriptCount> languages{-1, -1, -1};  // indices into Document::languages
    bool complexScript = false;  // marked right-to-left or complex script
    bool hidden = false;
};

struct ParaProps {
    ParaFormat format;
    int numId = -1;   // the numbering instance: -1 not stated, 0 taken away
    int level = -1;   // the list level, -1 not stated
};

// A border of a table or its cells, inside ones included.
enum TableSide : std::uint8_t { kTableTop, kTableRight, kTableBottom, kTableLeft, kInsideH, kInsideV, kTableSideCount };
using TableBorders = std::array<std::optional<Border>, kTableSideCount>;

class TextDecoder;

// A colour as a part writes it ("FF0000"); "auto" and anything else is kAutoColor.
Rgb colourOf(std::string_view value);

// Text in a picture font (Symbol, Wingdings) as the pictures it shows.
void appendPictureFontText(TextDecoder& decoder, int codePage, std::string_view utf8, std::string& out);

class DocxStyles {
public:
    explicit DocxStyles(Document& document) : document_(document) {}

    void readTheme(std::optional<XmlPart> theme);
    void readStyles(std::optional<XmlPart> styles);

    // The properties of a paragraph style (the default one for ""), its
    // ancestors' and the document defaults under it, with the heading level
    // and role its name gives.
    const ParaProps& paragraphStyle(std::string_view styleId);
    // The run properties of a run in a paragraph of that style with that
    // character style ("" for none).
    const RunProps& runStyle(std::string_view paragraphStyleId, std::string_view characterStyleId);
    // The borders a table style gives its tables.
    TableBorders tableStyleBorders(std::string_view styleId);

    // Direct properties of a run (w:rPr) or a paragraph (w:pPr) over `into`.
    void applyRun(const XmlPart& part, pugi::xml_node rPr, RunProps& into);
    void applyParagraph(const XmlPart& part, pugi::xml_node pPr, ParaProps& into);
    // A table's or a cell's border elements (w:tblBorders, w:tcBorders) over `into`.
    void applyBorders(const XmlPart& part, pugi::xml_node borders, TableBorders& into) const;

    int fontIndex(std::string_view name);
    int languageIndex(std::string_view tag);
    // The index of a picture font's code page (Symbol, Wingdings) for a
    // font index, or 0 for a font of letters.
    int pictureCodePage(int font) const;

private:
    struct Style {
        pugi::xml_node node;
        std::string basedOn;
        std::string name;
        std::string type;
    };
    struct ResolvedParagraph {
        ParaProps para;
        RunProps run;
    };

    const ResolvedParagraph& resolveParagraph(std::string_view styleId);
    void applyFonts(const XmlPart& part, pugi::xml_node rFonts, RunProps& into);
    void applyLanguages(const XmlPart& part, pugi::xml_node lang, RunProps& into);
    template <typename Visit>
    void forEachInChain(std::string_view styleId, Visit&& visit) const;

    Document& document_;
    std::optional<XmlPart> stylesPart_;
    std::unordered_map<std::string, Style> styles_;
    std::string defaultParagraphStyle_;
    std::string defaultCharacterStyle_;
    ResolvedParagraph defaults_;
    std::unordered_map<std::string, ResolvedParagraph> resolvedParagraphs_;
    std::unordered_map<std::string, RunProps> resolvedRuns_;
    std::unordered_map<std::string, int> fontIndices_;
    std::unordered_map<std::string, int> languageIndices_;
    std::unordered_map<int, int> pictureCodePages_;  // font index -> code page, picture fonts only
    std::map<std::string, std::string, std::less<>> themeFonts_;  // "minorHAnsi" -> typeface
};

}  // namespace conv
