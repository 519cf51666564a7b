#include "DocxTestSupport.h"

#include "support/ZipParts.h"

namespace conv::testing {

namespace {

const std::string kNamespaces =
    " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
    " xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
    " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
    " xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\""
    " xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\""
    " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\""
    " xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:office:office\"";
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const std::string kRelationshipTypes = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string relationship(const std::string& id, const std::string& type, const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRelationshipTypes + type + "\" Target=\"" + target + "\"/>";
}

std::string relationships(const std::string& inside) {
    return kDeclaration + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
           inside + "</Relationships>";
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string contentOf(const Paragraph& paragraph, const Document& document) {
    std::string content;
    int language = -1;
    for (const Inline& item : paragraph.inlines) {
        if (item.format.language != language && item.kind == Inline::Kind::Text) {
            language = item.format.language;
            content += "{" + (language < 0 ? std::string("-") : document.languages[language]) + "}";
        }
        switch (item.kind) {
        case Inline::Kind::Text: content += item.text; break;
        case Inline::Kind::Tab: content += "{tab}"; break;
        case Inline::Kind::LineBreak: content += "{br}"; break;
        case Inline::Kind::LinkStart: content += "{link " + item.text + "}"; break;
        case Inline::Kind::LinkEnd: content += "{/link}"; break;
        case Inline::Kind::Picture: {
            const Picture& picture = document.pictures.at(static_cast<std::size_t>(item.picture));
            content += "{picture " + (picture.format.empty() ? "?" : picture.format) + " " +
                       std::to_string(picture.bytes.size()) + " " + std::to_string(picture.widthTwips) + "x" +
                       std::to_string(picture.heightTwips) + " " + quoted(picture.description) + "}";
            break;
        }
        }
    }
    return content;
}

std::string paragraphLine(const Paragraph& paragraph, const Document& document) {
    static const char* roles[] = {"", " title", " subtitle", " caption", " preformatted"};
    const ParaFormat& format = paragraph.format;
    std::string line = "p";
    if (format.headingLevel > 0) line += " h" + std::to_string(format.headingLevel);
    line += roles[static_cast<int>(format.role)];
    if (format.pageBreakBefore) line += " break";
    if (format.rightToLeft) line += " rtl";
    if (!paragraph.listText.empty()) {
        std::string mark = paragraph.listText;
        for (std::size_t tab = mark.find('\t'); tab != std::string::npos; tab = mark.find('\t', tab))
            mark.replace(tab, 1, "{tab}");
        line += " list=" + quoted(mark);
    }
    return line + ": " + contentOf(paragraph, document);
}

void describeTable(const Table& table, const Document& document, Lines& lines) {
    lines.push_back("table");
    for (const Row& row : table.rows) {
        lines.push_back(row.header ? "row header" : "row");
        for (const Cell& cell : row.cells) {
            std::string line = "cell";
            if (cell.columnSpan != 1) line += " span=" + std::to_string(cell.columnSpan);
            if (cell.verticalMerge == VerticalMerge::First) line += " first";
            if (cell.verticalMerge == VerticalMerge::Continue) line += " continue";
            line += " width=" + std::to_string(cell.widthTwips) + ":";
            for (std::size_t k = 0; k < cell.paragraphs.size(); ++k) {
                line += k ? " | " : " ";
                line += (cell.paragraphs[k].format.pageBreakBefore ? "{break}" : "") +
                        contentOf(cell.paragraphs[k], document);
            }
            lines.push_back(line);
        }
    }
}

}  // namespace

std::string docxOf(const DocxParts& parts, bool deflated) {
    quillary::testing::ZipEntries entries;
    // An extra entry takes the place of the part the package would have made.
    auto add = [&](const std::string& name, const std::string& content) {
        for (const auto& entry : parts.extra)
            if (entry.first == name) return;
        entries.emplace_back(name, content);
    };
    std::string types = kDeclaration +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";
    add("[Content_Types].xml", types);
    std::string packageRelationships = relationship("rId1", "officeDocument", "word/document.xml");
    if (!parts.core.empty()) {
        packageRelationships += "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/"
                                "relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>";
        add("docProps/core.xml", kDeclaration +
                                     "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/"
                                     "2006/metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">" +
                                     parts.core + "</cp:coreProperties>");
    }
    add("_rels/.rels", relationships(packageRelationships));
    add("word/document.xml", kDeclaration + parts.doctype + "<w:document" + kNamespaces + "><w:body>" + parts.body +
                                 "</w:body></w:document>");
    std::string documentRelationships = parts.relationships;
    const std::pair<const std::string*, std::string> named[] = {
        {&parts.styles, "styles"}, {&parts.numbering, "numbering"}, {&parts.footnotes, "footnotes"},
        {&parts.endnotes, "endnotes"}, {&parts.settings, "settings"}};
    for (const auto& [content, name] : named) {
        if (content->empty()) continue;
        documentRelationships += relationship("rId" + name, name, name + ".xml");
        add("word/" + name + ".xml",
                             kDeclaration + "<w:" + name + kNamespaces + ">" + *content + "</w:" + name + ">");
    }
    add("word/_rels/document.xml.rels", relationships(documentRelationships));
    entries.insert(entries.end(), parts.extra.begin(), parts.extra.end());
    return quillary::testing::zipArchive(entries, deflated);
}

Lines describeModel(const Document& document) {
    Lines lines;
    const DocumentInfo& info = document.info;
    if (!(info.title + info.author + info.subject + info.keywords + info.publisher + info.language).empty())
        lines.push_back("info title=" + quoted(info.title) + " author=" + quoted(info.author) +
                        " subject=" + quoted(info.subject) + " keywords=" + quoted(info.keywords) +
                        " language=" + quoted(info.language));
    for (const Block& block : document.blocks) {
        if (const auto* paragraph = std::get_if<Paragraph>(&block)) {
            lines.push_back(paragraphLine(*paragraph, document));
        } else {
            describeTable(std::get<Table>(block), document, lines);
        }
    }
    return lines;
}

}  // namespace conv::testing
