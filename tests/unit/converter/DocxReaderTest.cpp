// The .docx reader: the small documents of tests/fixtures/converter/docx-cases.txt,
// the package's limits and names, and documents built to harm a reader.

#include "DocxTestSupport.h"
#include "converter/DocxPackage.h"
#include "converter/DocxReader.h"
#include "converter/HtmlWriter.h"
#include "converter/ZipPackage.h"
#include "support/ZipParts.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace conv::testing {
namespace {

std::string unhexed(std::string_view hex) {
    std::string bytes;
    for (std::size_t at = 0; at + 1 < hex.size(); at += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(at, 2)), nullptr, 16));
    return bytes;
}

// A case's parts: its "body", "styles", ... entries, and "part: NAME CONTENT"
// for any other entry ("hex:" before bytes written in hexadecimal).
DocxParts partsOf(const Case& docxCase) {
    DocxParts parts;
    std::pair<const char*, std::string*> named[] = {{"body", &parts.body},           {"styles", &parts.styles},
                                                    {"numbering", &parts.numbering}, {"footnotes", &parts.footnotes},
                                                    {"endnotes", &parts.endnotes},   {"settings", &parts.settings},
                                                    {"core", &parts.core},           {"rels", &parts.relationships}};
    for (const auto& [key, value] : docxCase.entries) {
        for (auto& [name, part] : named)
            if (key == name) *part += value;
        if (key != "part") continue;
        const std::size_t blank = value.find(' ');
        const std::string content = value.substr(blank + 1);
        parts.extra.emplace_back(value.substr(0, blank),
                                 content.starts_with("hex:") ? unhexed(content.substr(4)) : content);
    }
    return parts;
}

// The cases' keys besides the parts: "model" (every line of describeModel),
// "line" (every line of the HTML body), "text", "rule" as in
// small-documents.txt, and "error" (the reading fails with a reason holding it).
TEST(DocxCases, GiveTheModelAndHtmlTheirCasesSay) {
    const std::vector<Case> cases = readCases("converter/docx-cases.txt");
    ASSERT_GE(cases.size(), 15u) << "the file is missing or cut short";
    for (const Case& docxCase : cases) {
        SCOPED_TRACE(docxCase.where);
        const quillary::Result<Document> document = readDocx(docxOf(partsOf(docxCase)));
        Lines model, lines;
        for (const auto& [key, value] : docxCase.entries) {
            if (key == "error") {
                EXPECT_FALSE(document.ok());
                EXPECT_NE(document.ok() ? std::string::npos : document.reason().find(value), std::string::npos);
            }
            if (key == "model") model.push_back(value);
            if (key == "line") lines.push_back(value);
        }
        if (!document) continue;
        const std::string html = writeHtml(*document);
        if (!model.empty()) {
            EXPECT_EQ(describeModel(*document), model);
        }
        if (!lines.empty()) {
            EXPECT_EQ(bodyLines(html), lines);
        }
        for (const auto& [key, value] : docxCase.entries) {
            const std::size_t brace = value.find(" {");
            if (key == "text") {
                EXPECT_EQ(oneParagraphText(html), value);
            } else if (key == "rule" && brace != std::string::npos) {
                EXPECT_EQ(ruleOf(html, value.substr(0, brace)), value.substr(brace + 2, value.size() - brace - 3));
            }
        }
    }
}

TEST(DocxPackage, RelationshipTargetsStayInsideThePackage) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"media/a.png", "word/media/a.png"},
        {"../customXml/item.xml", "customXml/item.xml"},
        {"/word/media/a.png", "word/media/a.png"},
        {"media\\a.png", "word/media/a.png"},
        {"./media/../media/a.png#x", "word/media/a.png"},
        {"../../etc/passwd", std::nullopt},
        {"/../etc/passwd", std::nullopt},
        {"..", std::nullopt}};
    for (const auto& [target, name] : cases) EXPECT_EQ(resolvePartName("word/document.xml", target), name) << target;
}

// Names are found whatever their case and a leading "/"; limits are counted
// on the bytes that come out.
TEST(DocxPackage, PartsAreFoundByNameAndReadWithinTheLimits) {
    const std::string archive = quillary::testing::zipArchive(
        {{"a", std::string(300000, 'a')}, {"b", std::string(300000, 'b')}, {"/word/C", "small"}});
    ZipLimits limits;
    limits.unpackedBytes = 500000;
    quillary::Result<ZipPackage> package = ZipPackage::open(archive, limits);
    ASSERT_TRUE(package.ok());
    EXPECT_TRUE(package->read("A").ok());
    EXPECT_FALSE(package->read("b").ok()) << "past the total";
    limits = ZipLimits{};
    limits.ratio = 100;
    limits.ratioCheckedFrom = 1000;
    EXPECT_FALSE(ZipPackage::open(archive, limits)->read("a").ok()) << "a thousand times its packed size";
    EXPECT_EQ(*ZipPackage::open(archive, limits)->read("word/c"), "small");
    EXPECT_FALSE(ZipPackage::open(archive)->read("a", 299999).ok()) << "past the part's own limit";
    EXPECT_EQ(ZipPackage::open(archive)->read("a", 300000)->value_or("").size(), 300000u);
    limits.entries = 2;
    EXPECT_FALSE(ZipPackage::open(archive, limits).ok());

    // Headers that understate an entry's size must neither cut its content
    // short nor let it past the limit.
    std::string understated = archive;
    for (std::size_t at = 0; (at = understated.find("PK", at)) != std::string::npos; at += 2) {
        const bool local = understated.compare(at, 4, "PK\3\4") == 0;
        if (!local && understated.compare(at, 4, "PK\1\2") != 0) continue;
        understated.replace(at + (local ? 22 : 24), 4, std::string("\xE8\x03\0\0", 4));  // 1000 bytes
    }
    limits = ZipLimits{};
    limits.unpackedBytes = 100000;
    quillary::Result<std::optional<std::string>> cut = ZipPackage::open(understated, limits)->read("a");
    EXPECT_TRUE(!cut.ok() || !cut->has_value()) << (cut.ok() && cut->has_value() ? (*cut)->size() : 0);
}

// A zip bomb, entities that would expand to gigabytes or read a local file,
// a picture pointing out of the package or missing, and nesting ten thousand deep.
TEST(DocxHostile, DocumentsBuiltToHarmAReaderGiveTheirTextOrAClearError) {
    DocxParts bomb;
    bomb.body = "<w:p><w:r><w:t>x</w:t></w:r></w:p>";
    bomb.extra.emplace_back("word/media/bomb.png", std::string(32u << 20, '\0'));
    bomb.relationships =
        "<Relationship Id=\"rB\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/image\" Target=\"media/bomb.png\"/>";
    bomb.body +=
        "<w:p><w:r><w:drawing><wp:inline><pic:pic><pic:blipFill><a:blip r:embed=\"rB\"/></pic:blipFill>"
        "</pic:pic></wp:inline></w:drawing></w:r></w:p>";
    const quillary::Result<Document> exploded = readDocx(docxOf(bomb));
    ASSERT_FALSE(exploded.ok());
    EXPECT_NE(exploded.reason().find("unpacks to hundreds of times"), std::string::npos) << exploded.reason();

    DocxParts laughs;
    laughs.doctype = "<!DOCTYPE w:document [<!ENTITY lol0 \"lol\"><!ENTITY file SYSTEM \"file:///etc/passwd\">";
    for (int level = 1; level <= 9; ++level) {
        laughs.doctype += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int k = 0; k < 10; ++k) laughs.doctype += "&lol" + std::to_string(level - 1) + ";";
        laughs.doctype += "\">";
    }
    laughs.doctype += "]>";
    laughs.body = "<w:p><w:r><w:t>a &lol9; &file; b</w:t></w:r></w:p>";
    const quillary::Result<Document> entities = readDocx(docxOf(laughs));
    ASSERT_TRUE(entities.ok()) << entities.reason();
    EXPECT_EQ(describeModel(*entities), Lines{"p: a &lol9; &file; b"});

    DocxParts outside;
    outside.relationships =
        "<Relationship Id=\"rP\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/image\" Target=\"../../etc/passwd\"/>"
        "<Relationship Id=\"rM\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/image\" Target=\"media/gone.png\"/>";
    for (const char* id : {"rP", "rM", "rNone"})
        outside.body += std::string(
                            "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"635000\" cy=\"635\"/><wp:docPr "
                            "id=\"1\" name=\"P\" descr=\"Sea\"/><pic:pic><pic:blipFill><a:blip r:embed=\"") +
                        id + "\"/></pic:blipFill></pic:pic></wp:inline></w:drawing></w:r></w:p>";
    const Lines missing(3, "p: {picture ? 0 1000x1 \"Sea\"}");
    EXPECT_EQ(describeModel(*readDocx(docxOf(outside))), missing);

    std::string deep = "<w:p><w:r><w:t>deep</w:t></w:r></w:p>";
    for (int level = 0; level < 1000; ++level) deep = "<w:tbl><w:tr><w:tc>" + deep + "</w:tc></w:tr></w:tbl>";
    for (int level = 0; level < 10000; ++level) deep = "<w:sdt><w:sdtContent>" + deep + "</w:sdtContent></w:sdt>";
    EXPECT_EQ(describeModel(*readDocx(docxOf({deep}))), (Lines{"table", "row", "cell width=0: deep"}));
}

// Sizes near the largest numbers are clamped to the largest page, never
// wrapped round to nothing or less.
TEST(DocxHostile, AbsurdSizesAreTheLargestPageNotWrappedRound) {
    DocxParts parts;
    parts.relationships =
        "<Relationship Id=\"rM\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/image\" Target=\"media/gone.png\"/>";
    parts.body =
        "<w:p><w:r><w:drawing><wp:inline><wp:extent cx=\"9223372036854775807\" cy=\"635\"/><pic:pic>"
        "<pic:blipFill><a:blip r:embed=\"rM\"/></pic:blipFill></pic:pic></wp:inline></w:drawing></w:r></w:p>"
        "<w:tbl><w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"2147483647\"/></w:tblGrid><w:tr><w:tc>"
        "<w:tcPr><w:gridSpan w:val=\"2\"/></w:tcPr><w:p><w:r><w:t>x</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";
    EXPECT_EQ(describeModel(*readDocx(docxOf(parts))),
              (Lines{"p: {picture ? 0 31680x1 \"\"}", "table", "row", "cell span=2 width=31680: x"}));
}

// A tree of nodes costs many times the markup it is parsed from: a part
// whose markup would take more to hold than any manuscript's is refused
// before it is parsed (stored here, so that no ratio refuses it first).
TEST(DocxHostile, APartOfMoreMarkupThanAnyManuscriptIsRefusedUnparsed) {
    std::string body;
    for (int i = 0; i < 4'000'000; ++i) body += "<w:p/>";
    const quillary::Result<Document> read = readDocx(docxOf({body}, false));
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.reason(),
              "Its part \"word/document.xml\" holds more markup than any manuscript; split it into smaller manuscripts.");
}

// Paragraphs, table cells and rows, and inlines all count; reading stops
// inside a paragraph too, so that one paragraph of a million tabs is refused.
TEST(DocxHostile, ADocumentPastThePieceLimitIsRefused) {
    constexpr std::size_t kLimit = 100;
    const auto repeated = [](std::string_view unit, std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) text += unit;
        return text;
    };
    const std::string tabs = "<w:p>" + repeated("<w:r><w:tab/></w:r>", 2 * kLimit) + "</w:p>";
    const std::string rows = "<w:tbl>" + repeated("<w:tr><w:tc><w:p/></w:tc></w:tr>", kLimit / 2) + "</w:tbl>";
    for (const std::string& body : {repeated("<w:p/>", kLimit + 1), tabs, rows}) {
        const quillary::Result<Document> read = readDocx(docxOf({body}), kLimit);
        ASSERT_FALSE(read.ok()) << body.substr(0, 60);
        EXPECT_EQ(read.reason(), tooManyPiecesReason(kLimit));
    }
    const quillary::Result<Document> atTheLimit = readDocx(docxOf({repeated("<w:p/>", kLimit)}), kLimit);
    ASSERT_TRUE(atTheLimit.ok()) << atTheLimit.reason();
    EXPECT_EQ(atTheLimit->blocks.size(), kLimit);
}

}  // namespace
}  // namespace conv::testing
