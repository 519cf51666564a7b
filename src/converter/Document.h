#pragma once
// The plain document model between the readers (RTF, WordprocessingML) and
// the HTML writer: paragraphs with their properties, runs of text with
// character formatting, hyperlink fields as markers, pictures, and tables of
// cells that hold paragraphs and carry their borders; the document's own
// properties beside them.
// All text is UTF-8.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace conv {

// A colour as 0xRRGGBB; kAutoColor means "the reader's default".
using Rgb = std::int32_t;
inline constexpr Rgb kAutoColor = -1;

enum class Align : std::uint8_t { Left, Center, Right, Justify };
enum class Baseline : std::int8_t { Sub = -1, Normal = 0, Super = 1 };

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool caps = false;
    bool smallCaps = false;
    Baseline baseline = Baseline::Normal;
    int font = -1;          // index into Document::fonts, -1 when none named
    int halfPoints = 24;    // RTF's default size, 12 pt
    Rgb color = kAutoColor;
    Rgb background = kAutoColor;
    int spacingTwips = 0;   // character spacing (\expnd, \expndtw)
    int language = -1;      // index into Document::languages; -1: the document's own
    bool operator==(const CharFormat&) const = default;
};

// What a paragraph is to the document beyond its looks, as its style says.
enum class ParaRole : std::uint8_t { Body, Title, Subtitle, Caption, Preformatted };

// Lengths are in twips (1/20 pt), as RTF writes them.
struct ParaFormat {
    Align align = Align::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;    // 0: single; > 0 at least, < 0 exactly (\sl)
    bool lineMultiple = false;
    bool rightToLeft = false;
    bool inTable = false;
    Rgb background = kAutoColor;
    int headingLevel = 0;   // 1 to 6 for a heading (style or outline level; deeper levels are 6), 0 otherwise
    ParaRole role = ParaRole::Body;
    // A page break, a new-page section break or the style's "page break
    // before" stands before it. Set on the first paragraph with content after
    // the break (empty paragraphs between keep it waiting); before a table,
    // on the first paragraph of its first cell.
    bool pageBreakBefore = false;
    bool operator==(const ParaFormat&) const = default;
};

struct Inline {
    enum class Kind : std::uint8_t { Text, Tab, LineBreak, LinkStart, LinkEnd, Picture };
    Kind kind = Kind::Text;
    CharFormat format;
    std::string text;  // the characters of a Text run; the target of a LinkStart
    int picture = -1;  // a Picture's index into Document::pictures
};

// A picture of the document, as its bytes came. `format` names them: "png",
// "jpeg", "gif", "emf", "wmf", "pict", "dib", "bmp", "tiff", "svg", or "" when
// unknown. RTF holds a "wmf" without its placeable header and a "dib"
// without a bitmap file header; either form may come. Sizes are as the
// document shows it, scaling applied (0 when it does not say).
// `bytes` is empty (and `format` "") for a picture the document shows but
// does not hold: a missing part, one linked from outside, one out of bounds.
struct Picture {
    std::string format;
    std::string bytes;
    std::string description;  // the author's text alternative, "" when none
    int widthTwips = 0;
    int heightTwips = 0;
};

struct Paragraph {
    ParaFormat format;
    CharFormat markFormat;   // formatting at the paragraph mark: the base of an empty paragraph
    std::string listText;    // the visible bullet or number of a list item, "" otherwise
    std::vector<Inline> inlines;
};

struct Border {
    enum class Style : std::uint8_t { None, Solid, Double, Dotted, Dashed };
    Style style = Style::None;
    int widthTwips = 0;
    Rgb color = kAutoColor;
    bool operator==(const Border&) const = default;
};

// A cell's sides in the order CSS lists them.
enum BorderSide : std::uint8_t { kTopSide, kRightSide, kBottomSide, kLeftSide, kSideCount };

// A cell's place in a vertical merge: the first of the merged cells, or
// one covered by the cell above it.
enum class VerticalMerge : std::uint8_t { None, First, Continue };

struct Cell {
    std::vector<Paragraph> paragraphs;
    int widthTwips = 0;
    std::array<Border, kSideCount> borders;
    int columnSpan = 1;
    VerticalMerge verticalMerge = VerticalMerge::None;
};

struct Row {
    std::vector<Cell> cells;
    bool header = false;  // repeated at the top of each page: the table's head
};

struct Table {
    std::vector<Row> rows;
};

using Block = std::variant<Paragraph, Table>;

// The document's own properties; "" where it does not state one.
struct DocumentInfo {
    std::string title, author, subject, keywords, publisher;
    std::string language;  // BCP 47, the language most of the text is in
};

// The most pieces a document may have: paragraphs, table cells and rows, and
// inlines (text in one formatting, a tab, a line break, a link's ends, a
// picture). A novel of a million words has some tens of thousands, a few
// hundred thousand if its formatting changes word by word. Each
// piece costs some hundred bytes on its way through the build, however
// little text it holds, and a few bytes of a file make one: 20 MB of empty
// RTF paragraphs are four million of them. Past this many the file is not a
// book, and reading on would only take memory the machine needs.
inline constexpr std::size_t kMaxDocumentPieces = 1'500'000;

// Why a document past `maxPieces` is refused, in the author's words.
inline std::string tooManyPiecesReason(std::size_t maxPieces) {
    std::string count = std::to_string(maxPieces);
    for (std::size_t at = count.size(); at > 3; at -= 3) count.insert(at - 3, ",");
    return "It holds more than " + count +
           " paragraphs, table cells and runs of text, more than any book needs; split it into smaller manuscripts.";
}

struct Document {
    std::vector<std::string> fonts;      // font names, referred to by CharFormat::font
    std::vector<std::string> languages;  // BCP 47 tags, referred to by CharFormat::language
    std::vector<Picture> pictures;       // referred to by Inline::picture
    DocumentInfo info;
    int textWidthTwips = 0;  // the page between its margins where the first picture stands; 0 unknown
    std::vector<Block> blocks;
};

}  // namespace conv
