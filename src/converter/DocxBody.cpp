#include "converter/DocxBody.h"

#include <algorithm>
#include <unordered_map>

namespace conv {

enum class DocxBody::Tag : std::uint8_t {
    Other,     // read for what it holds
    Story,     // where the walk of a story begins: what is open outside it belongs to another story
    Skipped,   // properties, deleted text, comments, running heads' references: no text of the body
    Paragraph, Run, Text, InstructionText, Tab, Break, CarriageReturn, Symbol, NoBreakHyphen, FieldCharacter,
    SimpleField, Hyperlink, FootnoteReference, EndnoteReference, Table, Row, Cell, TextBoxContent,
    DrawingPlacement, Picture, VmlShape, VmlImage, AlternateContent, Choice, Fallback,
};

namespace {

using TagTable = std::unordered_map<std::string_view, DocxBody::Tag>;

const TagTable& wordTags() {
    using Tag = DocxBody::Tag;
    static const TagTable table = [] {
        TagTable tags{
            {"p", Tag::Paragraph}, {"r", Tag::Run}, {"t", Tag::Text}, {"instrText", Tag::InstructionText},
            {"tab", Tag::Tab}, {"ptab", Tag::Tab}, {"br", Tag::Break}, {"cr", Tag::CarriageReturn},
            {"sym", Tag::Symbol}, {"noBreakHyphen", Tag::NoBreakHyphen}, {"fldChar", Tag::FieldCharacter},
            {"fldSimple", Tag::SimpleField}, {"hyperlink", Tag::Hyperlink},
            {"footnoteReference", Tag::FootnoteReference}, {"endnoteReference", Tag::EndnoteReference},
            {"tbl", Tag::Table}, {"tr", Tag::Row}, {"tc", Tag::Cell}, {"txbxContent", Tag::TextBoxContent},
        };
        // Edits are read as accepted: deleted and moved-away text goes, and
        // format changes hold the old formatting. A soft hyphen shows only
        // where a line breaks, and the number of a note in its own text is
        // the build's to make.
        for (std::string_view skipped :
             {"pPr", "rPr", "sectPr", "tblPr", "tblGrid", "trPr", "tcPr", "sdtPr", "sdtEndPr", "del", "moveFrom",
              "delText", "delInstrText", "rt", "rubyPr", "commentReference", "annotationRef", "footnoteRef",
              "endnoteRef", "separator", "continuationSeparator", "softHyphen", "fldData", "pPrChange",
              "rPrChange", "tblPrEx", "headerReference", "footerReference", "bookmarkStart", "bookmarkEnd",
              "proofErr", "lastRenderedPageBreak", "permStart", "permEnd"})
            tags.emplace(skipped, Tag::Skipped);
        return tags;
    }();
    return table;
}

bool hasContent(const Paragraph& paragraph) {
    for (const Inline& item : paragraph.inlines) {
        if (item.kind != Inline::Kind::LinkStart && item.kind != Inline::Kind::LinkEnd) return true;
    }
    return false;
}

}  // namespace

DocxBody::Tag DocxBody::tagOf(pugi::xml_node node) const {
    if (node.type() != pugi::node_element) return Tag::Skipped;
    std::string_view local;
    switch (part_->nameSpace(node.name(), &local)) {
    case Ns::W: {
        const auto found = wordTags().find(local);
        return found == wordTags().end() ? Tag::Other : found->second;
    }
    case Ns::WP: return local == "inline" || local == "anchor" ? Tag::DrawingPlacement : Tag::Other;
    case Ns::Pic: return local == "pic" ? Tag::Picture : Tag::Other;
    case Ns::V:
        if (local == "imagedata") return Tag::VmlImage;
        return local == "shape" || local == "rect" || local == "roundrect" || local == "oval" ? Tag::VmlShape
                                                                                               : Tag::Other;
    case Ns::Mc:
        if (local == "AlternateContent") return Tag::AlternateContent;
        return local == "Choice" ? Tag::Choice : local == "Fallback" ? Tag::Fallback : Tag::Other;
    default: return Tag::Other;
    }
}

void DocxBody::read(const XmlPart& part, const Relationships& relationships) {
    part_ = &part;
    relationships_ = &relationships;
    pugi::xml_node body = part.child(part.root(), Ns::W, "body");
    readSections(body);
    // A list that doubles as it grows holds its old and new storage at once:
    // room for the body's blocks (content controls aside, one a child) is
    // taken first, up to where reading would stop anyway. Room never written
    // to costs no memory.
    std::size_t children = 0;
    for (pugi::xml_node child = body.first_child(); child && children <= maxPieces_; child = child.next_sibling())
        ++children;
    document_.blocks.reserve(children);
    stories_.emplace_back();
    // Each paragraph or table of the body leaves the parsed tree once read,
    // so that the document's model takes the place of its XML in memory
    // rather than growing beside it.
    open_.push_back(Frame{Tag::Story});
    for (pugi::xml_node block = body.first_child(); block && !overLimit(); block = body.first_child()) {
        walkElement(block);
        body.remove_child(block);
    }
    open_.pop_back();
    // A last paragraph whose mark was deleted still holds its text.
    Story& last = story();
    if (!last.paragraph.inlines.empty()) {
        last.markDeleted = false;
        endParagraph();
    }
}

// Depth first, with the open elements in a list of their own: a document
// nested ten thousand deep costs memory in proportion, never the stack.
void DocxBody::walk(pugi::xml_node root) {
    open_.push_back(Frame{Tag::Story});
    walkBelow(root);
    open_.pop_back();
}

void DocxBody::walkElement(pugi::xml_node node) {
    open_.push_back(Frame{tagOf(node)});
    if (enter(node, open_.back().tag)) {
        walkBelow(node);
        leave(open_.back());
    }
    open_.pop_back();
}

void DocxBody::walkBelow(pugi::xml_node root) {
    const std::size_t depth = open_.size();
    pugi::xml_node node = root.first_child();
    while (node) {
        // A document past the limit is refused: nothing more of it is read
        // or finished.
        if (overLimit()) {
            open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(depth), open_.end());
            return;
        }
        open_.push_back(Frame{tagOf(node)});
        if (enter(node, open_.back().tag)) {
            if (pugi::xml_node child = node.first_child()) {
                node = child;
                continue;
            }
            leave(open_.back());
        }
        open_.pop_back();
        while (!node.next_sibling()) {
            node = node.parent();
            if (!node || node == root) return;
            leave(open_.back());
            open_.pop_back();
        }
        node = node.next_sibling();
    }
}

// Whether the element being entered stands in an open element of the
// body's table (a Table or Row entered with its flag set), wrappers such as
// content controls between them allowed.
bool DocxBody::isIn(Tag structure) const {
    for (std::size_t k = open_.size() - 1; k-- > 0;) {
        const Tag tag = open_[k].tag;
        if (tag == Tag::Table || tag == Tag::Row || tag == Tag::Cell || tag == Tag::Paragraph ||
            tag == Tag::TextBoxContent || tag == Tag::Story)
            return tag == structure && open_[k].flag;
    }
    return false;
}

bool DocxBody::enter(pugi::xml_node node, Tag tag) {
    switch (tag) {
    case Tag::Skipped: return false;
    case Tag::Paragraph: beginParagraph(node); return true;
    case Tag::Run: beginRun(node); return true;
    case Tag::Text: appendText(textOf(node)); return false;
    case Tag::InstructionText: appendInstruction(textOf(node)); return false;
    case Tag::Tab:
        if (textShown()) appendInline(Inline::Kind::Tab, {}, formatFor({}, story().run));
        return false;
    case Tag::CarriageReturn:
        if (textShown()) appendInline(Inline::Kind::LineBreak, {}, formatFor({}, story().run));
        return false;
    case Tag::Break: breakElement(node); return false;
    case Tag::Symbol: symbol(node); return false;
    case Tag::NoBreakHyphen: appendText("\u2011"); return false;
    case Tag::FieldCharacter: fieldCharacter(node); return false;
    case Tag::SimpleField: beginField(part_->attribute(node, Ns::W, "instr").value(), true); return true;
    case Tag::FootnoteReference: readNote(node, false); return false;
    case Tag::EndnoteReference: readNote(node, true); return false;
    case Tag::Table: open_.back().flag = beginTable(node); return true;
    case Tag::Row:
        // Rows and cells of the body's table; those of tables read as
        // their paragraphs, or standing where they should not, are only
        // what they hold.
        if (!isIn(Tag::Table)) return true;
        open_.back().flag = true;
        return beginRow(node);
    case Tag::Cell:
        open_.back().flag = isIn(Tag::Row);
        if (open_.back().flag) beginCell(node);
        return true;
    case Tag::TextBoxContent: open_.back().flag = beginTextBox(); return true;
    case Tag::DrawingPlacement: beginDrawing(node); return true;
    case Tag::Picture: picture(node); return false;
    case Tag::VmlShape: vmlShape(node); return true;
    case Tag::VmlImage: vmlPicture(node); return false;
    case Tag::Choice:
    case Tag::Fallback: {
        // Of the alternatives the first one understood is read, the fallback
        // only when none was.
        if (open_.size() < 2 || open_[open_.size() - 2].tag != Tag::AlternateContent) return true;
        bool& chosen = open_[open_.size() - 2].flag;
        if (chosen || (tag == Tag::Choice && !alternativeUnderstood(node))) return false;
        chosen = true;
        return true;
    }
    case Tag::Hyperlink: open_.back().flag = beginHyperlink(node); return true;
    default: return true;
    }
}

void DocxBody::leave(const Frame& frame) {
    switch (frame.tag) {
    case Tag::Paragraph: endParagraph(); break;
    case Tag::SimpleField: endField(); break;
    case Tag::Hyperlink:
        if (frame.flag) appendInline(Inline::Kind::LinkEnd, {}, story().run.format);
        break;
    case Tag::Table:
        if (frame.flag) endTable();
        break;
    case Tag::Row:
        if (frame.flag) endRow();
        break;
    case Tag::Cell:
        if (frame.flag) endCell();
        break;
    case Tag::TextBoxContent:
        if (frame.flag) endTextBox();
        break;
    case Tag::DrawingPlacement:
    case Tag::VmlShape: drawings_.pop_back(); break;
    default: break;
    }
}

Paragraph& DocxBody::target() {
    // A note's text stands in its anchor's paragraph, as the RTF reader writes it.
    for (auto level = stories_.rbegin(); level != stories_.rend(); ++level) {
        if (level->kind != Story::Note) return level->paragraph;
    }
    return stories_.front().paragraph;
}

void DocxBody::beginParagraph(pugi::xml_node p) {
    Story& s = story();
    const XmlPart& part = *part_;
    DocxStyles& styles = sources_.styles;
    const pugi::xml_node pPr = part.child(p, Ns::W, "pPr");
    const pugi::xml_node markRun = part.child(pPr, Ns::W, "rPr");
    s.paragraphStyle = part.val(part.child(pPr, Ns::W, "pStyle"));
    s.mark = styles.runStyle(s.paragraphStyle, part.val(part.child(markRun, Ns::W, "rStyle")));
    styles.applyRun(part, markRun, s.mark);
    s.run = s.mark;
    if (s.kind == Story::Note) return;
    ParaProps props = styles.paragraphStyle(s.paragraphStyle);
    // The list's indents stand between the style's and the paragraph's own.
    const pugi::xml_node numPr = part.child(pPr, Ns::W, "numPr");
    const pugi::xml_node ownId = part.child(numPr, Ns::W, "numId"), ownLevel = part.child(numPr, Ns::W, "ilvl");
    const int numId = ownId ? std::max(numberOf(part.val(ownId)), 0) : props.numId;
    const int level = std::clamp(ownLevel ? numberOf(part.val(ownLevel)) : props.level, 0, 8);
    if (numId > 0) sources_.numbering.applyLevel(numId, level, styles, props);
    styles.applyParagraph(part, pPr, props);
    props.numId = numId;
    props.level = level;
    // In a right-to-left paragraph "left" is where its lines start: the right.
    Align& align = props.format.align;
    if (props.format.rightToLeft && (align == Align::Left || align == Align::Right))
        align = align == Align::Left ? Align::Right : Align::Left;
    s.para = std::move(props);
    s.markDeleted = part.child(markRun, Ns::W, "del") || part.child(markRun, Ns::W, "moveFrom");
    s.endsSection = part.child(pPr, Ns::W, "sectPr");
}

void DocxBody::endParagraph() {
    Story& s = story();
    if (s.kind == Story::Note) return endNoteParagraph();
    closeOpenLinks();
    // A deleted paragraph mark joins the paragraph to the next one.
    if (s.markDeleted) return;
    Paragraph paragraph = std::exchange(s.paragraph, Paragraph{});
    paragraph.format = s.para.format;
    paragraph.markFormat = formatFor({}, s.mark);
    if (s.para.numId > 0) paragraph.listText = sources_.numbering.nextMark(s.para.numId, s.para.level, decoder_);
    const bool breakAtStart = s.pageBreakAtStart;
    const bool breakAtEnd = s.breakPending && s.pageBreakPending;
    s.pageBreakAtStart = s.breakPending = s.pageBreakPending = false;
    if (s.kind == Story::Body && !table_) {
        // A break waits for the next paragraph that holds something: the
        // empty paragraph Word puts after a page break stays on the page
        // before, and one that holds only the break, or ends a section, is
        // the break itself.
        const bool empty = !hasContent(paragraph) && paragraph.listText.empty();
        const bool waiting = std::exchange(pageBreakBefore_, false) || breakAtStart || paragraph.format.pageBreakBefore;
        paragraph.format.pageBreakBefore = waiting && !empty;
        pageBreakBefore_ = (waiting && empty) || breakAtEnd;
        if (s.endsSection && ++sectionsEnded_ < sections_.size() && sections_[sectionsEnded_].startsPage)
            pageBreakBefore_ = true;
        if (empty && (breakAtStart || s.endsSection)) return;
    }
    emit(std::move(paragraph));
}

void DocxBody::emit(Paragraph paragraph) {
    ++pieces_;
    if (!table_) {
        document_.blocks.emplace_back(std::move(paragraph));
        return;
    }
    // A page can break inside a table, but a section of the book cannot
    // start in one: a break waiting for the table goes on its first
    // paragraph, which stands for the table.
    const bool first = table_->table.rows.empty() && table_->row.cells.empty() && table_->cell.paragraphs.empty();
    paragraph.format.inTable = true;
    paragraph.format.pageBreakBefore = first && std::exchange(pageBreakBefore_, false);
    if (paragraph.format.background == kAutoColor) paragraph.format.background = table_->shading;
    table_->cell.paragraphs.push_back(std::move(paragraph));
}

// The paragraphs of a note run on in one line of text, a blank between them.
void DocxBody::endNoteParagraph() {
    Story& s = story();
    closeOpenLinks();
    s.breakPending = true;
}

// Each section mark's kind and text width, in order: those of the body's
// paragraphs (content controls around them too) and the body's own last
// mark, as endParagraph counts them.
void DocxBody::readSections(pugi::xml_node body) {
    const XmlPart& part = *part_;
    std::vector<pugi::xml_node> pending{body.first_child()};
    while (!pending.empty()) {
        const pugi::xml_node node = pending.back();
        pending.back() = node.next_sibling();
        if (!pending.back()) pending.pop_back();
        if (!node || node.type() != pugi::node_element) continue;
        const bool paragraph = part.is(node, Ns::W, "p");
        pugi::xml_node sectPr = part.child(part.child(node, Ns::W, "pPr"), Ns::W, "sectPr");
        if (!paragraph) sectPr = part.is(node, Ns::W, "sectPr") ? node : pugi::xml_node();
        if (sectPr) {
            const std::string_view type = part.val(part.child(sectPr, Ns::W, "type"));
            const pugi::xml_node size = part.child(sectPr, Ns::W, "pgSz"), margins = part.child(sectPr, Ns::W, "pgMar");
            auto length = [&](pugi::xml_node node, std::string_view name) {
                return std::clamp(numberOf(part.attribute(node, Ns::W, name).value()), 0, 31680);
            };
            const int width = length(size, "w") - length(margins, "left") - length(margins, "right");
            sections_.push_back(Section{type != "continuous" && type != "nextColumn", std::max(width, 0)});
        } else if (!paragraph && !part.is(node, Ns::W, "tbl") && node.first_child()) {
            pending.push_back(node.first_child());
        }
    }
}

bool DocxBody::beginTable(pugi::xml_node tbl) {
    if (story().kind != Story::Body || table_) return false;
    const XmlPart& part = *part_;
    table_.emplace();
    const pugi::xml_node tblPr = part.child(tbl, Ns::W, "tblPr");
    table_->borders = sources_.styles.tableStyleBorders(part.val(part.child(tblPr, Ns::W, "tblStyle")));
    sources_.styles.applyBorders(part, part.child(tblPr, Ns::W, "tblBorders"), table_->borders);
    for (pugi::xml_node column = part.child(tbl, Ns::W, "tblGrid").first_child(); column;
         column = column.next_sibling()) {
        if (part.is(column, Ns::W, "gridCol"))
            table_->grid.push_back(std::clamp(numberOf(part.attribute(column, Ns::W, "w").value()), 0, 31680));
    }
    return true;
}

bool DocxBody::beginRow(pugi::xml_node tr) {
    const XmlPart& part = *part_;
    const pugi::xml_node trPr = part.child(tr, Ns::W, "trPr");
    if (part.child(trPr, Ns::W, "del")) return false;
    const pugi::xml_node header = part.child(trPr, Ns::W, "tblHeader");
    table_->row = Row{};
    table_->row.header = isOn(part.val(header), !header.empty());
    table_->rowBorders.clear();
    table_->column = std::max(numberOf(part.val(part.child(trPr, Ns::W, "gridBefore"))), 0);
    return true;
}

void DocxBody::beginCell(pugi::xml_node tc) {
    const XmlPart& part = *part_;
    DocxTableState& table = *table_;
    const pugi::xml_node tcPr = part.child(tc, Ns::W, "tcPr");
    table.cell = Cell{};
    table.ownBorders = TableBorders{};
    table.cell.columnSpan = std::clamp(numberOf(part.val(part.child(tcPr, Ns::W, "gridSpan")), 1), 1, 1000);
    if (const pugi::xml_node merge = part.child(tcPr, Ns::W, "vMerge"))
        table.cell.verticalMerge = part.val(merge) == "restart" ? VerticalMerge::First : VerticalMerge::Continue;
    sources_.styles.applyBorders(part, part.child(tcPr, Ns::W, "tcBorders"), table.ownBorders);
    table.shading = colourOf(part.attribute(part.child(tcPr, Ns::W, "shd"), Ns::W, "fill").value());
    const pugi::xml_node width = part.child(tcPr, Ns::W, "tcW");
    const std::string_view type = part.attribute(width, Ns::W, "type").value();
    if (type.empty() || type == "dxa")
        table.cell.widthTwips = std::clamp(numberOf(part.attribute(width, Ns::W, "w").value()), 0, 31680);
    int gridWidth = 0;
    for (int k = 0; k < table.cell.columnSpan; ++k) {
        const auto column = static_cast<std::size_t>(table.column + k);
        if (column < table.grid.size()) gridWidth = std::min(gridWidth + table.grid[column], 31680);
    }
    if (table.cell.widthTwips == 0) table.cell.widthTwips = gridWidth;
}

void DocxBody::endCell() {
    DocxTableState& table = *table_;
    const int span = table.cell.columnSpan;
    table.row.cells.push_back(std::exchange(table.cell, Cell{}));
    ++pieces_;
    table.rowBorders.push_back(table.ownBorders);
    table.column += span;
    table.shading = kAutoColor;
}

void DocxBody::endRow() {
    table_->table.rows.push_back(std::exchange(table_->row, Row{}));
    ++pieces_;
    table_->cellBorders.push_back(std::move(table_->rowBorders));
    table_->rowBorders.clear();
}

// A cell's own border wins; else the table's outer border on the table's
// edge, its inside border between cells.
void DocxBody::endTable() {
    DocxTableState& state = *table_;
    const TableBorders& outer = state.borders;
    auto pick = [](const std::optional<Border>& own, const std::optional<Border>& edge,
                   const std::optional<Border>& inside, bool onEdge) {
        return own ? *own : (onEdge ? edge : inside).value_or(Border{});
    };
    std::vector<Row>& rows = state.table.rows;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<Cell>& cells = rows[r].cells;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const TableBorders& own = state.cellBorders[r][c];
            const bool lastColumn = c + 1 == cells.size();
            cells[c].borders[kTopSide] = pick(own[kTableTop], outer[kTableTop], outer[kInsideH], r == 0);
            cells[c].borders[kBottomSide] =
                pick(own[kTableBottom], outer[kTableBottom], outer[kInsideH], r + 1 == rows.size());
            cells[c].borders[kLeftSide] = pick(own[kTableLeft], outer[kTableLeft], outer[kInsideV], c == 0);
            cells[c].borders[kRightSide] = pick(own[kTableRight], outer[kTableRight], outer[kInsideV], lastColumn);
        }
    }
    if (!rows.empty()) document_.blocks.emplace_back(std::move(state.table));
    table_.reset();
}

}  // namespace conv
