#include "DocxOracle.h"

#include "base/Utf8.h"
#include "converter/DocxReader.h"
#include "converter/HtmlWriter.h"
#include "support/ZipParts.h"

#include <array>

namespace conv::fuzzing {

namespace {

constexpr std::string_view kSeparator = "\n====\n";

const std::string kRelationshipTypes = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string relationshipsOf(const std::string& inside) {
    return "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + inside +
           "</Relationships>";
}

std::string relationship(const std::string& id, const std::string& type, const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRelationshipTypes + type + "\" Target=\"" + target + "\"/>";
}

}  // namespace

std::string docxPackageOf(std::string_view input) {
    if (input.starts_with("PK\x03\x04")) return std::string(input);
    std::array<std::string, 6> pieces;
    for (std::size_t k = 0; k < pieces.size() && !input.empty(); ++k) {
        const std::size_t end = k + 1 < pieces.size() ? input.find(kSeparator) : std::string_view::npos;
        pieces[k] = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + kSeparator.size());
    }
    const std::string standard = relationship("rId1", "image", "media/image1.png") +
                                 relationship("rS", "styles", "styles.xml") +
                                 relationship("rN", "numbering", "numbering.xml") +
                                 relationship("rF", "footnotes", "footnotes.xml");
    pieces[4] = pieces[4].empty() ? relationshipsOf(standard) : pieces[4];
    quillary::testing::ZipEntries entries = {
        {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"_rels/.rels", relationshipsOf(relationship("rD", "officeDocument", "word/document.xml"))},
        {"word/document.xml", pieces[0]}};
    const char* names[] = {"word/styles.xml", "word/numbering.xml", "word/footnotes.xml",
                           "word/_rels/document.xml.rels", "word/media/image1.png"};
    for (std::size_t k = 1; k < pieces.size(); ++k) {
        if (!pieces[k].empty()) entries.emplace_back(names[k - 1], pieces[k]);
    }
    return quillary::testing::zipArchive(entries, false);
}

std::optional<std::string> docxReadingFault(std::string_view input) {
    const quillary::Result<Document> document = readDocx(docxPackageOf(input));
    if (!document) {
        if (document.reason().starts_with("It")) return std::nullopt;
        return "a refusal that is no sentence for the author: " + document.reason();
    }
    const std::string html = writeHtml(*document);
    if (html.find("\n<body>\n") == std::string::npos || !html.ends_with("\n</body>\n</html>\n"))
        return "the HTML lost the page's frame";
    if (!quillary::utf8::isValid(html)) return "the HTML is not UTF-8";
    return std::nullopt;
}

}  // namespace conv::fuzzing
