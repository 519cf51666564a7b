#include "converter/HtmlWriter.h"

#include "converter/CssRules.h"
#include "converter/HtmlText.h"
#include "converter/ParagraphTraits.h"
#include "converter/PassageLanguages.h"
#include "converter/PictureMarkup.h"
#include "converter/TableGrid.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace conv {

namespace {

constexpr std::string_view kTabSpan = "<span class=\"Apple-tab-span\">\t</span>";
constexpr std::string_view kLineBreak = "<br>\n";
constexpr std::string_view kPageBreakMarker = " page-break-before";

// Equal formats come in runs: the last few class choices are remembered so
// that most paragraphs and runs skip building their declarations.
template <typename Key>
class RecentClasses {
public:
    int* find(const Key& key) {
        for (Entry& entry : entries_) {
            if (entry.used && entry.key == key) return &entry.number;
        }
        return nullptr;
    }
    void add(const Key& key, int number) {
        entries_[next_] = Entry{key, number, true};
        next_ = (next_ + 1) % kSize;
    }

private:
    static constexpr std::size_t kSize = 8;
    struct Entry {
        Key key{};
        int number = 0;
        bool used = false;
    };
    Entry entries_[kSize];
    std::size_t next_ = 0;
};

struct ParagraphKey {
    ParaFormat para;
    CharFormat base;
    bool empty = false;
    CssClasses::Kind kind = CssClasses::Paragraph;
    bool operator==(const ParagraphKey&) const = default;
};

struct SpanKey {
    CharFormat run;
    CharFormat base;
    bool operator==(const SpanKey&) const = default;
};

// Where a paragraph stands decides what it may be: a table cell holds no
// heading and starts no page.
enum class Place : std::uint8_t { Body, List, Cell };

class BodyWriter {
public:
    BodyWriter(const Document& document, std::string& out) : document_(document), out_(out), languages_(document) {}

    void writeBlocks();
    const CssClasses& classes() const { return classes_; }

private:
    void writeBodyParagraph(const Paragraph& paragraph);
    void writeCaption(const Paragraph& paragraph, bool pageBreak);
    void writeParagraph(const Paragraph& paragraph, Place place, bool pageBreak);
    void writeInlines(const Paragraph& paragraph, const CharFormat& base);
    void writeLinkStart(const Paragraph& paragraph, std::size_t index, const CharFormat& base);
    void writeRun(const Inline& run, const CharFormat& base, bool inLink);
    void writeLanguage(std::string_view tag);
    void writeTable(const Table& table, bool pageBreak);
    void writeRow(const Table& table, const TableGrid& grid, std::size_t row, std::size_t groupStart,
                  std::size_t groupEnd, bool head);
    void openList(bool ordered, bool pageBreak);
    void closeList();
    void writeClassAttribute(CssClasses::Kind kind, int number, std::string_view markers = {});
    int paragraphClass(const ParaFormat& format, const CharFormat& base, bool empty, CssClasses::Kind kind,
                       std::string_view element);
    int spanClass(const CharFormat& run, const CharFormat& base);
    // A break before the first block of the body has no page before it.
    bool breaksPage(const Paragraph& paragraph) const { return wroteBlock_ && paragraph.format.pageBreakBefore; }

    const Document& document_;
    std::string& out_;
    CssClasses classes_;
    const PassageLanguages languages_;
    std::string_view paragraphLanguage_;  // the tag the paragraph being written carries, "" when none
    RecentClasses<ParagraphKey> recentParagraphs_;
    RecentClasses<SpanKey> recentSpans_;
    int openList_ = 0;  // 0 none, 1 unordered, 2 ordered
    bool wroteBlock_ = false;
};

}  // namespace

void BodyWriter::writeBlocks() {
    for (const Block& block : document_.blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
            std::string_view mark = trimmedListText(paragraph->listText);
            // A numbered heading is a heading that shows its number.
            if (mark.empty() || (headingLevelOf(*paragraph) > 0 && hasSubstance(*paragraph))) {
                closeList();
                writeBodyParagraph(*paragraph);
            } else {
                openList(isOrderedMark(mark), breaksPage(*paragraph));
                writeParagraph(*paragraph, Place::List, false);
            }
        } else {
            closeList();
            const Table& table = std::get<Table>(block);
            bool pageBreak = !table.rows.empty() && !table.rows[0].cells.empty() &&
                             !table.rows[0].cells[0].paragraphs.empty() &&
                             breaksPage(table.rows[0].cells[0].paragraphs[0]);
            writeTable(table, pageBreak);
        }
        wroteBlock_ = true;
    }
    closeList();
}

void BodyWriter::writeBodyParagraph(const Paragraph& paragraph) {
    if (paragraph.format.role == ParaRole::Caption) return writeCaption(paragraph, breaksPage(paragraph));
    writeParagraph(paragraph, Place::Body, breaksPage(paragraph));
}

// LibreOffice keeps a captioned picture in its caption's paragraph: first
// when the caption is below it, last when above. The picture is written as
// a paragraph of its own, in its place, so that each line is one or the
// other.
void BodyWriter::writeCaption(const Paragraph& paragraph, bool pageBreak) {
    using Items = std::vector<Inline>::const_iterator;
    const std::vector<Inline>& inlines = paragraph.inlines;
    const auto picture = [](const Inline& item) { return item.kind == Inline::Kind::Picture; };
    const auto pictureOrBlank = [&picture](const Inline& item) { return picture(item) || isBlank(item); };
    const auto breakOrBlank = [](const Inline& item) { return item.kind == Inline::Kind::LineBreak || isBlank(item); };
    const Items leadEnd = std::find_if_not(inlines.begin(), inlines.end(), pictureOrBlank);
    const bool leading = std::any_of(inlines.begin(), leadEnd, picture);
    const Items trailStart = std::find_if_not(inlines.rbegin(), inlines.rend(), pictureOrBlank).base();
    const bool trailing = !leading && std::any_of(trailStart, inlines.end(), picture);
    const Items textStart = leading ? std::find_if_not(leadEnd, inlines.end(), breakOrBlank) : inlines.begin();
    const Items textEnd = trailing ? std::find_if_not(std::make_reverse_iterator(trailStart), inlines.rend(),
                                                      breakOrBlank).base()
                                   : inlines.end();
    if ((!leading && !trailing) || textStart >= textEnd) {
        Paragraph plain = paragraph;
        if (leading || trailing) plain.format.role = ParaRole::Body;  // a picture without a caption
        return writeParagraph(plain, Place::Body, pageBreak);
    }
    Paragraph pictures{paragraph.format, paragraph.markFormat, {}, {}};
    pictures.format.role = ParaRole::Body;
    pictures.inlines = leading ? std::vector<Inline>(inlines.begin(), leadEnd)
                               : std::vector<Inline>(trailStart, inlines.end());
    Paragraph caption{paragraph.format, paragraph.markFormat, paragraph.listText, {textStart, textEnd}};
    writeParagraph(leading ? pictures : caption, Place::Body, pageBreak);
    writeParagraph(leading ? caption : pictures, Place::Body, false);
}

void BodyWriter::writeClassAttribute(CssClasses::Kind kind, int number, std::string_view markers) {
    out_ += "class=\"";
    out_ += CssClasses::prefix(kind);
    out_ += std::to_string(number);
    out_ += markers;
    out_ += '"';
}

void BodyWriter::openList(bool ordered, bool pageBreak) {
    int wanted = ordered ? 2 : 1;
    if (openList_ == wanted && !pageBreak) return;
    closeList();
    openList_ = wanted;
    // The manuscript's own marks are kept as text, so the list draws none.
    CssClasses::Kind kind = ordered ? CssClasses::OrderedList : CssClasses::UnorderedList;
    int number = classes_.classFor(kind, "list-style-type: none; margin: 0.0px; padding: 0.0px");
    out_ += ordered ? "<ol " : "<ul ";
    writeClassAttribute(kind, number, pageBreak ? kPageBreakMarker : std::string_view());
    out_ += ">\n";
}

void BodyWriter::closeList() {
    if (openList_ == 0) return;
    out_ += openList_ == 2 ? "</ol>\n" : "</ul>\n";
    openList_ = 0;
}

int BodyWriter::paragraphClass(const ParaFormat& format, const CharFormat& base, bool empty,
                               CssClasses::Kind kind, std::string_view element) {
    ParagraphKey key{format, base, empty, kind};
    key.para.inTable = false;
    if (int* number = recentParagraphs_.find(key)) return *number;
    int number = classes_.classFor(kind, paragraphDeclarations(format, base, document_.fonts, empty), element);
    recentParagraphs_.add(key, number);
    return number;
}

// 0 when the run needs no span.
int BodyWriter::spanClass(const CharFormat& run, const CharFormat& base) {
    SpanKey key{run, base};
    key.run.bold = key.run.italic = key.base.bold = key.base.italic = false;
    if (int* number = recentSpans_.find(key)) return *number;
    std::string declarations = spanDeclarations(run, base, document_.fonts);
    int number = declarations.empty() ? 0 : classes_.classFor(CssClasses::Span, declarations);
    recentSpans_.add(key, number);
    return number;
}

void BodyWriter::writeParagraph(const Paragraph& paragraph, Place place, bool pageBreak) {
    const CharFormat& base = baseFormat(paragraph);
    bool empty = !hasVisibleContent(paragraph);
    int level = place == Place::Cell || !hasSubstance(paragraph) ? 0 : headingLevelOf(paragraph);
    std::string tag = level > 0 ? "h" + std::to_string(level) : place == Place::List ? "li" : "p";
    CssClasses::Kind kind = level > 0 ? CssClasses::Heading
                            : place == Place::List ? CssClasses::ListItem
                                                   : CssClasses::Paragraph;
    ParaFormat format = paragraph.format;
    // A first-line indent belongs to running text; in a cell's narrow
    // column it only pushes the first word away from the others.
    if (place == Place::Cell && format.firstIndent > 0) format.firstIndent = 0;
    int number = paragraphClass(format, base, empty, kind, level > 0 ? std::string_view(tag) : std::string_view());
    std::string markers(roleMarker(paragraph.format.role));
    if (isPictureParagraph(paragraph)) markers += " picture";
    if (pageBreak && place == Place::Body) markers += kPageBreakMarker;
    out_ += '<';
    out_ += tag;
    out_ += paragraph.format.rightToLeft ? " dir=\"rtl\" " : " ";
    paragraphLanguage_ = languages_.ofParagraph(paragraph);
    writeLanguage(paragraphLanguage_);
    writeClassAttribute(kind, number, markers);
    out_ += '>';
    if (empty) {
        out_ += "<br>";
    } else {
        std::string_view mark = trimmedListText(paragraph.listText);
        if (!mark.empty()) {
            appendEscaped(out_, mark, " ", " ");
            out_ += ' ';
        }
        writeInlines(paragraph, base);
    }
    out_ += "</";
    out_ += tag;
    out_ += ">\n";
}

void BodyWriter::writeInlines(const Paragraph& paragraph, const CharFormat& base) {
    bool inLink = false;
    const std::vector<Inline>& inlines = paragraph.inlines;
    for (std::size_t i = 0; i < inlines.size(); ++i) {
        const Inline& item = inlines[i];
        switch (item.kind) {
        case Inline::Kind::Text:
            writeRun(item, base, inLink);
            break;
        case Inline::Kind::Tab:
            out_ += inLink ? " " : kTabSpan;
            break;
        case Inline::Kind::LineBreak:
            out_ += inLink ? " " : kLineBreak;
            break;
        case Inline::Kind::LinkStart: {
            // A field whose result holds no text gives no link at all.
            std::size_t end = i + 1;
            bool hasText = false;
            for (; end < inlines.size() && inlines[end].kind != Inline::Kind::LinkEnd; ++end)
                hasText = hasText || (inlines[end].kind == Inline::Kind::Text && !inlines[end].text.empty());
            if (inLink || !hasText) break;
            writeLinkStart(paragraph, i, base);
            inLink = true;
            break;
        }
        case Inline::Kind::LinkEnd:
            if (inLink) out_ += "</span>";
            inLink = false;
            break;
        case Inline::Kind::Picture:
            if (item.picture >= 0 && static_cast<std::size_t>(item.picture) < document_.pictures.size())
                appendPicture(out_, document_.pictures[static_cast<std::size_t>(item.picture)],
                              document_.textWidthTwips);
            break;
        }
    }
    if (inLink) out_ += "</span>";
}

void BodyWriter::writeLinkStart(const Paragraph& paragraph, std::size_t index, const CharFormat& base) {
    const CharFormat* linkFormat = &base;
    for (std::size_t i = index + 1; i < paragraph.inlines.size(); ++i) {
        if (paragraph.inlines[i].kind == Inline::Kind::Text) {
            linkFormat = &paragraph.inlines[i].format;
            break;
        }
    }
    // The link text always stands in a span: that is how the build finds
    // where the link text begins and ends.
    int number = classes_.classFor(CssClasses::Span, spanDeclarations(*linkFormat, base, document_.fonts));
    out_ += "HYPERLINK \"";
    appendLinkTarget(out_, paragraph.inlines[index].text);
    out_ += "\" <span ";
    if (paragraphLanguage_.empty()) writeLanguage(languages_.ofRun(linkFormat->language));
    writeClassAttribute(CssClasses::Span, number);
    out_ += '>';
}

void BodyWriter::writeRun(const Inline& run, const CharFormat& base, bool inLink) {
    const CharFormat& format = run.format;
    if (format.bold) out_ += "<b>";
    if (format.italic) out_ += "<i>";
    // Inside a link a nested span would end the link text early.
    int span = inLink ? 0 : spanClass(format, base);
    const std::string_view language =
        inLink || !paragraphLanguage_.empty() ? std::string_view() : languages_.ofRun(format.language);
    const bool spanned = span != 0 || !language.empty();
    if (spanned) {
        out_ += "<span ";
        writeLanguage(language);
        if (span != 0) writeClassAttribute(CssClasses::Span, span);
        else out_.pop_back();
        out_ += '>';
    }
    appendEscaped(out_, run.text, inLink ? " " : kLineBreak, inLink ? " " : kTabSpan);
    if (spanned) out_ += "</span>";
    if (format.italic) out_ += "</i>";
    if (format.bold) out_ += "</b>";
}

// Written before the class, so that the build's markers stay last in the tag.
void BodyWriter::writeLanguage(std::string_view tag) {
    if (tag.empty()) return;
    out_ += "lang=\"";
    out_ += tag;
    out_ += "\" ";
}

void BodyWriter::writeTable(const Table& table, bool pageBreak) {
    out_ += "<table cellspacing=\"0\" cellpadding=\"0\" ";
    writeClassAttribute(CssClasses::Table, classes_.classFor(CssClasses::Table, "border-collapse: collapse"),
                        pageBreak ? kPageBreakMarker : std::string_view());
    out_ += ">\n";
    const TableGrid grid(table);
    // A table that is all head has no body to repeat it over: it is all body.
    std::size_t headRows = 0;
    while (headRows < table.rows.size() && table.rows[headRows].header) ++headRows;
    if (headRows == table.rows.size()) headRows = 0;
    if (headRows > 0) {
        out_ += "<thead>\n";
        for (std::size_t row = 0; row < headRows; ++row) writeRow(table, grid, row, 0, headRows, true);
        out_ += "</thead>\n";
    }
    out_ += "<tbody>\n";
    for (std::size_t row = headRows; row < table.rows.size(); ++row)
        writeRow(table, grid, row, headRows, table.rows.size(), false);
    out_ += "</tbody>\n</table>\n";
}

void BodyWriter::writeRow(const Table& table, const TableGrid& grid, std::size_t row, std::size_t groupStart,
                          std::size_t groupEnd, bool head) {
    const char* element = head ? "th" : "td";
    out_ += "<tr>\n";
    const std::vector<Cell>& cells = table.rows[row].cells;
    for (std::size_t index = 0; index < cells.size(); ++index) {
        const Cell& cell = cells[index];
        if (grid.continuesAbove(row, index, groupStart)) continue;
        out_ += '<';
        out_ += element;
        out_ += " valign=\"top\" ";
        if (cell.columnSpan > 1) out_ += "colspan=\"" + std::to_string(cell.columnSpan) + "\" ";
        if (const std::size_t rows = grid.rowsSpanned(row, index, groupEnd); rows > 1)
            out_ += "rowspan=\"" + std::to_string(rows) + "\" ";
        writeClassAttribute(CssClasses::TableCell, classes_.classFor(CssClasses::TableCell, cellDeclarations(cell)));
        out_ += ">\n";
        for (const Paragraph& paragraph : cell.paragraphs) writeParagraph(paragraph, Place::Cell, false);
        out_ += "</";
        out_ += element;
        out_ += ">\n";
    }
    out_ += "</tr>\n";
}

namespace {

// The properties the document states, each on a line of its own.
void appendProperties(std::string& head, const DocumentInfo& info) {
    head += "<title>";
    appendEscaped(head, info.title, " ", " ");
    head += "</title>\n";
    const std::pair<std::string_view, const std::string&> properties[] = {
        {"author", info.author},     {"subject", info.subject},   {"keywords", info.keywords},
        {"publisher", info.publisher}, {"language", info.language}};
    for (const auto& [name, value] : properties) {
        if (value.empty()) continue;
        head += "<meta name=\"";
        head += name;
        head += "\" content=\"";
        appendAttributeValue(head, value);
        head += "\">\n";
    }
}

}  // namespace

std::string writeHtml(const Document& document) {
    std::size_t textSize = 0;
    for (const Block& block : document.blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
            for (const Inline& item : paragraph->inlines) textSize += item.text.size();
        }
    }
    for (const Picture& picture : document.pictures) textSize += picture.bytes.size() * 4 / 3 + 200;
    std::string html;
    html.reserve(textSize * 5 / 4 + 4096);
    BodyWriter writer(document, html);
    writer.writeBlocks();
    html += "</body>\n</html>\n";

    // The head holds the rules the body's classes need, so it is written
    // last and put in front: a long book is not copied for it.
    std::string head =
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\n"
        "<html>\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\n"
        "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\n";
    appendProperties(head, document.info);
    head += "<style type=\"text/css\">\n";
    writer.classes().writeRules(head);
    head += "</style>\n</head>\n<body>\n";
    html.insert(0, head);
    return html;
}

}  // namespace conv
