// What months of editing leave in a Word manuscript: revision marks, text
// boxes and other drawings, ruled tables and page breaks typed inside a
// paragraph. The document is read as its author last saw it with every
// change accepted.

#include "converter/RtfParser.h"

#include <algorithm>
#include <unordered_map>

namespace conv {

namespace {

enum class Markup : std::uint8_t {
    Deleted,       // a run removed under tracked changes
    Drawing,       // a shape's instructions or an old-style drawing object
    DrawingResult, // what a shape looks like to readers without shapes: read already from the shape
    CellSide,      // \clbrdrX: the \brdr words that follow describe this side of the next cell
    OtherBorder,   // borders of paragraphs, rows, pages and characters: not written
    BorderStyle,
    BorderWidth,
    BorderColor,
};

struct MarkupWord {
    Markup kind;
    int value = 0;  // the side of a CellSide, the style of a BorderStyle
};

using MarkupTable = std::unordered_map<std::string_view, MarkupWord>;

const MarkupTable& markupWords() {
    static const MarkupTable table = [] {
        using Style = Border::Style;
        auto style = [](Style s) { return MarkupWord{Markup::BorderStyle, static_cast<int>(s)}; };
        MarkupTable words{
            {"deleted", {Markup::Deleted}}, {"shpinst", {Markup::Drawing}}, {"do", {Markup::Drawing}},
            {"shprslt", {Markup::DrawingResult}},
            {"clbrdrt", {Markup::CellSide, kTopSide}}, {"clbrdrr", {Markup::CellSide, kRightSide}},
            {"clbrdrb", {Markup::CellSide, kBottomSide}}, {"clbrdrl", {Markup::CellSide, kLeftSide}},
            {"brdrw", {Markup::BorderWidth}}, {"brdrcf", {Markup::BorderColor}},
            {"brdrdb", style(Style::Double)}, {"brdrtriple", style(Style::Double)},
            {"brdrdot", style(Style::Dotted)}, {"brdrdash", style(Style::Dashed)},
            {"brdrdashsm", style(Style::Dashed)}, {"brdrdashd", style(Style::Dashed)},
            {"brdrdashdd", style(Style::Dashed)}, {"brdrdashdotstr", style(Style::Dashed)},
            {"brdrnone", style(Style::None)}, {"brdrnil", style(Style::None)}, {"brdrtbl", style(Style::None)},
        };
        // Thick, shadowed, engraved, wavy and the rest are drawn as one solid line.
        for (std::string_view solid : {"brdrs", "brdrth", "brdrsh", "brdrhair", "brdrinset", "brdroutset",
                                       "brdremboss", "brdrengrave", "brdrwavy", "brdrframe"})
            words.emplace(solid, style(Style::Solid));
        for (std::string_view other : {"brdrt", "brdrb", "brdrl", "brdrr", "brdrbtw", "brdrbar", "box", "chbrdr",
                                       "trbrdrt", "trbrdrb", "trbrdrl", "trbrdrr", "trbrdrh", "trbrdrv",
                                       "pgbrdrt", "pgbrdrb", "pgbrdrl", "pgbrdrr"})
            words.emplace(other, MarkupWord{Markup::OtherBorder});
        return words;
    }();
    return table;
}

// Word's widest border is 75 twips; wider is damage.
constexpr int kMaxBorderTwips = 75;

}  // namespace

bool RtfParser::manuscriptWord(std::string_view word, bool hasParam, int param) {
    auto found = markupWords().find(word);
    if (found == markupWords().end()) return false;
    MarkupWord markup = found->second;
    Border* border = borderSide_ >= 0 ? &nextCell_.borders[static_cast<std::size_t>(borderSide_)] : nullptr;
    switch (markup.kind) {
    case Markup::Deleted:
        state().deleted = !hasParam || param != 0;
        break;
    case Markup::Drawing:
        enterDestination(Destination::Shape);
        break;
    case Markup::DrawingResult:
        enterDestination(Destination::Skip);
        break;
    case Markup::CellSide:
        borderSide_ = markup.value;
        break;
    case Markup::OtherBorder:
        borderSide_ = -1;
        break;
    case Markup::BorderStyle:
        if (border) border->style = static_cast<Border::Style>(markup.value);
        break;
    case Markup::BorderWidth:
        if (border) border->widthTwips = std::clamp(param, 0, kMaxBorderTwips);
        break;
    case Markup::BorderColor:
        if (border) border->color = colorAt(param);
        break;
    }
    return true;
}

// Inside a drawing only its text box is text; its frame and its properties
// (\sp: a name \sn and a value \sv) may describe a picture.
void RtfParser::shapeWord(const Token& token) {
    std::string_view word = token.word;
    if (word == "shptxt" || word == "dptxbxtext") return openTextBox();
    if (word == "sn") {
        propertyName_.clear();
        return enterDestination(Destination::ShapeName);
    }
    if (word == "sv") {
        propertyValue_.clear();
        return enterDestination(Destination::ShapeValue);
    }
    // The frame is the \shp's own, given in its \shpinst.
    if (shapes_.empty() || picture_ || shapes_.back().depth + 1 != stack_.size()) return;
    ShapeFrame& shape = shapes_.back();
    if (word == "shpleft") shape.left = token.param;
    else if (word == "shptop") shape.top = token.param;
    else if (word == "shpright") shape.right = token.param;
    else if (word == "shpbottom") shape.bottom = token.param;
}

void RtfParser::openTextBox() {
    enterDestination(Destination::Body);
    // In a note, or past the depth limit where groups share their parent's
    // state, the box's text runs on in the text around it.
    if (noteDepth_ > 0 || overflowDepth_ > 0) return;
    pageBreakPending_ = false;
    textBoxes_.push_back(TextBoxFrame{stack_.size(), std::move(paragraph_), state().para.inTable});
    paragraph_ = Paragraph{};
}

// The box's paragraphs stand before the paragraph they are anchored in, in
// the same table cell if it is in one.
void RtfParser::closeTextBox() {
    if (!paragraph_.inlines.empty() || !paragraph_.listText.empty()) endParagraph(false);
    paragraph_ = std::move(textBoxes_.back().anchor);
    textBoxes_.pop_back();
}

// A page break typed inside a paragraph leaves it one paragraph; the text
// after the break starts a new line, as it starts a new page in print. One
// between paragraphs comes before the next.
void RtfParser::pageBreak() {
    if (state().destination != Destination::Body || noteDepth_ > 0 || textHidden()) return;
    if (paragraph_.inlines.empty()) breakBeforeNext_ = true;
    else pageBreakPending_ = true;
}

}  // namespace conv
