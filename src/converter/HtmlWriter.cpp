#include "converter/HtmlWriter.h"

#include "converter/CssRules.h"

#include <cctype>
#include <utility>

namespace conv {

namespace {

constexpr std::string_view kTabSpan = "<span class=\"Apple-tab-span\">\t</span>";
constexpr std::string_view kLineBreak = "<br>\n";

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

class BodyWriter {
public:
    BodyWriter(const Document& document, std::string& out) : document_(document), out_(out) {}

    void writeBlocks();
    const CssClasses& classes() const { return classes_; }

private:
    void writeParagraph(const Paragraph& paragraph, CssClasses::Kind kind, std::string_view tag);
    void writeInlines(const Paragraph& paragraph, const CharFormat& base);
    void writeLinkStart(const Paragraph& paragraph, std::size_t index, const CharFormat& base);
    void writeRun(const Inline& run, const CharFormat& base, bool inLink);
    void writeTable(const Table& table);
    void openList(bool ordered);
    void closeList();
    void writeClassAttribute(CssClasses::Kind kind, int number);
    int paragraphClass(const Paragraph& paragraph, const CharFormat& base, bool empty, CssClasses::Kind kind);
    int spanClass(const CharFormat& run, const CharFormat& base);

    const Document& document_;
    std::string& out_;
    CssClasses classes_;
    RecentClasses<ParagraphKey> recentParagraphs_;
    RecentClasses<SpanKey> recentSpans_;
    int openList_ = 0;  // 0 none, 1 unordered, 2 ordered
};

bool hasVisibleContent(const Paragraph& paragraph) {
    for (const Inline& item : paragraph.inlines) {
        if (item.kind == Inline::Kind::Tab || item.kind == Inline::Kind::LineBreak) return true;
        if (item.kind == Inline::Kind::Text && !item.text.empty()) return true;
    }
    return !paragraph.listText.empty();
}

// The paragraph rule carries the formatting of most of its characters, so
// that only the exceptions need spans. Only the first few distinct formats
// compete, which keeps the choice linear in the paragraph's length.
constexpr std::size_t kBaseCandidates = 8;

const CharFormat& baseFormat(const Paragraph& paragraph) {
    struct Candidate {
        const CharFormat* format;
        std::size_t length;
    };
    Candidate candidates[kBaseCandidates];
    std::size_t count = 0;
    for (const Inline& item : paragraph.inlines) {
        if (item.kind != Inline::Kind::Text) continue;
        std::size_t k = 0;
        while (k < count && !(*candidates[k].format == item.format)) ++k;
        if (k < count) candidates[k].length += item.text.size();
        else if (count < kBaseCandidates) candidates[count++] = {&item.format, item.text.size()};
    }
    const CharFormat* best = &paragraph.markFormat;
    std::size_t bestLength = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (candidates[k].length > bestLength) {
            best = candidates[k].format;
            bestLength = candidates[k].length;
        }
    }
    return *best;
}

std::string_view trimmedListText(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    return text;
}

// A list whose marks hold digits or a letter before "." or ")" counts its
// items; any other mark is a bullet.
bool isOrderedMark(std::string_view mark) {
    for (char c : mark) {
        if (std::isdigit(static_cast<unsigned char>(c))) return true;
    }
    return mark.size() >= 2 && std::isalpha(static_cast<unsigned char>(mark[0])) &&
           (mark.back() == '.' || mark.back() == ')');
}

// The target goes into an href as it stands, so it is made a valid URI
// here: characters that URIs do not allow (blanks, backslashes of Windows
// paths, quotes, non-ASCII letters) are percent-encoded, and "&" is written
// as the entity; a URI has one fragment, so any later "#" is encoded too.
// Targets that were valid stay as they were.
void appendLinkTarget(std::string& out, std::string_view target) {
    static const char digits[] = "0123456789ABCDEF";
    bool inFragment = false;
    for (char c : target) {
        auto byte = static_cast<unsigned char>(c);
        bool laterHash = c == '#' && std::exchange(inFragment, true);
        if (c == '&') {
            out += "&amp;";
        } else if (byte <= 0x20 || byte >= 0x7F || laterHash ||
                   std::string_view("\"<>\\^`{|}").find(c) != std::string_view::npos) {
            out += '%';
            out += digits[byte >> 4];
            out += digits[byte & 15];
        } else {
            out += c;
        }
    }
}

}  // namespace

void appendEscaped(std::string& out, std::string_view text, std::string_view lineBreak, std::string_view tab) {
    std::size_t plainStart = 0;
    auto flushPlain = [&](std::size_t end) { out.append(text.substr(plainStart, end - plainStart)); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        std::string_view replacement;
        std::size_t length = 1;
        if (c == '&') replacement = "&amp;";
        else if (c == '<') replacement = "&lt;";
        else if (c == '>') replacement = "&gt;";
        else if (c == '\t') replacement = tab;
        else if (c == 0x0B) replacement = lineBreak;
        else if (c < 0x20) replacement = "";
        else if (c == 0xE2 && i + 2 < text.size() && text[i + 1] == '\x80' &&
                 (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            replacement = lineBreak;
            length = 3;
        } else {
            continue;
        }
        flushPlain(i);
        out += replacement;
        i += length - 1;
        plainStart = i + 1;
    }
    flushPlain(text.size());
}

void BodyWriter::writeBlocks() {
    for (const Block& block : document_.blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
            std::string_view mark = trimmedListText(paragraph->listText);
            if (mark.empty()) {
                closeList();
                writeParagraph(*paragraph, CssClasses::Paragraph, "p");
            } else {
                openList(isOrderedMark(mark));
                writeParagraph(*paragraph, CssClasses::ListItem, "li");
            }
        } else {
            closeList();
            writeTable(std::get<Table>(block));
        }
    }
    closeList();
}

void BodyWriter::writeClassAttribute(CssClasses::Kind kind, int number) {
    out_ += "class=\"";
    out_ += CssClasses::prefix(kind);
    out_ += std::to_string(number);
    out_ += '"';
}

void BodyWriter::openList(bool ordered) {
    int wanted = ordered ? 2 : 1;
    if (openList_ == wanted) return;
    closeList();
    openList_ = wanted;
    // The manuscript's own marks are kept as text, so the list draws none.
    CssClasses::Kind kind = ordered ? CssClasses::OrderedList : CssClasses::UnorderedList;
    int number = classes_.classFor(kind, "list-style-type: none; margin: 0.0px; padding: 0.0px");
    out_ += ordered ? "<ol " : "<ul ";
    writeClassAttribute(kind, number);
    out_ += ">\n";
}

void BodyWriter::closeList() {
    if (openList_ == 0) return;
    out_ += openList_ == 2 ? "</ol>\n" : "</ul>\n";
    openList_ = 0;
}

int BodyWriter::paragraphClass(const Paragraph& paragraph, const CharFormat& base, bool empty,
                               CssClasses::Kind kind) {
    ParagraphKey key{paragraph.format, base, empty, kind};
    key.para.inTable = false;
    if (int* number = recentParagraphs_.find(key)) return *number;
    int number = classes_.classFor(kind, paragraphDeclarations(paragraph.format, base, document_.fonts, empty));
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

void BodyWriter::writeParagraph(const Paragraph& paragraph, CssClasses::Kind kind, std::string_view tag) {
    const CharFormat& base = baseFormat(paragraph);
    bool empty = !hasVisibleContent(paragraph);
    int number = paragraphClass(paragraph, base, empty, kind);
    out_ += '<';
    out_ += tag;
    out_ += paragraph.format.rightToLeft ? " dir=\"rtl\" " : " ";
    writeClassAttribute(kind, number);
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
            // No reader makes pictures yet.
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
    writeClassAttribute(CssClasses::Span, number);
    out_ += '>';
}

void BodyWriter::writeRun(const Inline& run, const CharFormat& base, bool inLink) {
    const CharFormat& format = run.format;
    if (format.bold) out_ += "<b>";
    if (format.italic) out_ += "<i>";
    // Inside a link a nested span would end the link text early.
    int span = inLink ? 0 : spanClass(format, base);
    if (span != 0) {
        out_ += "<span ";
        writeClassAttribute(CssClasses::Span, span);
        out_ += '>';
    }
    appendEscaped(out_, run.text, inLink ? " " : kLineBreak, inLink ? " " : kTabSpan);
    if (span != 0) out_ += "</span>";
    if (format.italic) out_ += "</i>";
    if (format.bold) out_ += "</b>";
}

void BodyWriter::writeTable(const Table& table) {
    out_ += "<table cellspacing=\"0\" cellpadding=\"0\" ";
    writeClassAttribute(CssClasses::Table, classes_.classFor(CssClasses::Table, "border-collapse: collapse"));
    out_ += ">\n<tbody>\n";
    for (const Row& row : table.rows) {
        out_ += "<tr>\n";
        for (const Cell& cell : row.cells) {
            out_ += "<td valign=\"top\" ";
            writeClassAttribute(CssClasses::TableCell, classes_.classFor(CssClasses::TableCell, cellDeclarations(cell)));
            out_ += ">\n";
            for (const Paragraph& paragraph : cell.paragraphs) writeParagraph(paragraph, CssClasses::Paragraph, "p");
            out_ += "</td>\n";
        }
        out_ += "</tr>\n";
    }
    out_ += "</tbody>\n</table>\n";
}

std::string writeHtml(const Document& document) {
    std::size_t textSize = 0;
    for (const Block& block : document.blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
            for (const Inline& item : paragraph->inlines) textSize += item.text.size();
        }
    }
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
        "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\n"
        "<title></title>\n"
        "<style type=\"text/css\">\n";
    writer.classes().writeRules(head);
    head += "</style>\n</head>\n<body>\n";
    html.insert(0, head);
    return html;
}

}  // namespace conv
