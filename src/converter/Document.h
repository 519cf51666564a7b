#pragma once
// The plain document model between the RTF reader and the HTML writer:
// paragraphs with their properties, runs of text with character formatting,
// hyperlink fields as markers, and tables of cells that hold paragraphs and
// carry their borders.
// All text is UTF-8.

#include <array>
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
    bool operator==(const CharFormat&) const = default;
};

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
    bool operator==(const ParaFormat&) const = default;
};

struct Inline {
    enum class Kind : std::uint8_t { Text, Tab, LineBreak, LinkStart, LinkEnd };
    Kind kind = Kind::Text;
    CharFormat format;
    std::string text;  // the characters of a Text run; the target of a LinkStart
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

struct Cell {
    std::vector<Paragraph> paragraphs;
    int widthTwips = 0;
    std::array<Border, kSideCount> borders;
};

struct Row {
    std::vector<Cell> cells;
};

struct Table {
    std::vector<Row> rows;
};

using Block = std::variant<Paragraph, Table>;

struct Document {
    std::vector<std::string> fonts;  // font names, referred to by CharFormat::font
    std::vector<Block> blocks;
};

}  // namespace conv
