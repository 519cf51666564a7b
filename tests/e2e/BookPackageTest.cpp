// Whole books from canned converted HTML: the package frame, the passes and
// the archive together, checked by opening the archive and by EPUBCheck.
#include <gtest/gtest.h>

#include <functional>

#include "build/Text.h"
#include "epub/Archive.h"
#include "platform/Files.h"
#include "support/EpubInspector.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

// A one-pixel PNG: reading systems and EPUBCheck read the image's header.
const std::string kPng("\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02\x00\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41\x54\x78\x9c\x63\x60\x60\x68\x00\x00\x00\x84\x00\x81\xc9\x75\xee\x92\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82", 69);

// The smallest honest JPEG: one grey 8x8 block, Huffman tables of one code.
std::string jpeg() {
    using namespace std::string_literals;
    std::string bytes = "\xff\xd8"s;                                                // start of image
    bytes += "\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"s;          // JFIF header
    bytes += "\xff\xdb\x00\x43\x00"s + std::string(64, '\x01');                      // flat quantisation
    bytes += "\xff\xc0\x00\x0b\x08\x00\x08\x00\x08\x01\x01\x11\x00"s;                  // 8x8, one component
    for (const char* table : {"\x00", "\x10"})                                       // DC, AC: one code each
        bytes += "\xff\xc4\x00\x14"s + std::string(table, 1) + "\x01"s + std::string(16, '\0');
    bytes += "\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00"s;                             // scan header
    bytes += "\x3f\xff\xd9"s;  // DC 0 and end of block, padded with ones; end of image
    return bytes;
}

struct Book {
    bool epub3 = true;
    bool contentsHeading = false;
    std::string cover;  // "", "cover.png", "cover.jpg"
    bool sparse = false;  // only what the window insists on: no ISBN, author, publisher...
    std::vector<std::string> lines = {};  // the converted manuscript; empty: three plain chapters
};

std::vector<std::string> manuscript(const Book& book) {
    if (!book.lines.empty()) return book.lines;
    std::vector<std::string> lines = {"<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01//EN\">", "<html>", "<head>",
                                      "<title></title>", "</head>", "<body>",
                                      "<p class=\"p1\">A Tale, told in three parts</p>"};
    if (book.contentsHeading) lines.push_back("<p class=\"p2\">toc: Contents</p>");
    for (const char* chapter : {"One", "Two", "Three"}) {
        lines.push_back(std::string("<p class=\"p2\">bookmark: Chapter ") + chapter + "</p>");
        lines.push_back(std::string("<p class=\"p1\">The words of chapter ") + chapter + ", see {{Chapter Two}}.</p>");
        lines.push_back("<p class=\"p1\">More words.</p>");
    }
    lines.insert(lines.end(), {"</body>", "</html>"});
    return lines;
}

// Every directive at once, with a right-to-left chapter and no "srh:"
// heading: the package documents must stay valid around all of them.
const std::vector<std::string> kEveryDirective = {
    "<html>", "<body>",
    "<p class=\"p1\">Front matter &lt;&lt;A first note.&gt;&gt;</p>",
    "<p class=\"p2\">toc: Inhalt</p>",
    "<p class=\"p2\">bookmark: <b>The</b>&nbsp;Lamp</p>",
    "<p class=\"p1\">image:lamp.png</p>",
    "<p class=\"p1\">See {{Shalom}} and {{Nowhere}}.</p>",
    "<p class=\"p1\">#######</p>",
    "<p class=\"p1\">After the break &lt;&lt;Second note.&gt;&gt;</p>",
    "<p dir=\"rtl\" class=\"p3\">Shalom bookmark:</p>",
    "<p dir=\"rtl\" class=\"p3\">&#1513;&#1500;&#1493;&#1501;.</p>",
    "<p class=\"p2\">pnh: Notes</p>",
    "<p class=\"p1\">The end.</p>",
    "</body>", "</html>"};

class BookPackageTest : public ::testing::Test {
protected:
    Harness h{false};
    std::string destination = h.folder.makeFolder("Books");
    std::string epub = destination + "/Tale.epub";
    std::string packageFolder;  // the build's folder, before the completion report removes it

    void build(const Book& book) {
        const std::string root = h.folder.makeFolder("Manuscript");
        if (!book.cover.empty())
            h.folder.write("Manuscript/" + book.cover, text::endsWith(book.cover, "jpg") ? jpeg() : kPng);
        h.folder.write("Manuscript/lamp.png", kPng);
        VoveZedevir& c = h.c();
        h.preferences.setBool(prefs::kEpub3, book.epub3);
        c.theFile = root + "/Tale.rtf";
        c.root = root;
        c.saveName = "Tale";
        c.saveRoot = destination;
        c.bookInfo = {"A \"Quoted\" Tale", "Ann Author", "Small Press", "Copyright 2024", "2024-05-17",
                      "9781234567897", "Fiction", "9"};
        if (book.sparse) c.bookInfo = {"A \"Quoted\" Tale", "", "", "", "2024-05-17", "urn:uuid:12345", "", "0"};
        c.lines = manuscript(book);
        c.styleText = "p.p1 {margin: 0;}\n.sz {font-size: 1em;}\n#guide {display: none;}\n";
        c.buildePub();
        packageFolder = c.tempDirectoryPath;
    }
};

struct Check {
    std::string file, text;  // text "": the file itself
    bool present = true;
};

struct BookCase {
    std::string name;
    Book book;
    std::vector<Check> inArchive;
    std::vector<Check> beforeTheReport = {};  // in the build folder: the Kindle variant
    std::string firstMissingFile = "";
    std::vector<std::string> missingMarks = {};
};
void PrintTo(const BookCase& test, std::ostream* out) { *out << test.name; }

void expectChecks(const std::vector<Check>& checks, const std::function<std::optional<std::string>(const std::string&)>& read) {
    for (const Check& check : checks) {
        const auto content = read(check.file);
        EXPECT_EQ(content && text::contains(*content, check.text), check.present) << check.file << ": " << check.text;
    }
}

// An earlier build's EPUB, as far as its identifier goes.
void writeEarlierBook(const TestFolder& folder, const std::string& path, const std::string& identifier) {
    folder.write("earlier/mimetype", "application/epub+zip");
    folder.write("earlier/META-INF/container.xml", "<rootfile full-path=\"OEBPS/content.opf\"/>");
    folder.write("earlier/OEBPS/content.opf", "<package unique-identifier=\"BookId\"><dc:identifier id=\"BookId\">" +
                                                  identifier + "</dc:identifier></package>");
    ASSERT_TRUE(archive::writePackage(folder.file("earlier"), path).ok);
}

const std::vector<Check> kOnlyATitle = {
    {"content.opf", "images/cover", false}, {"content.opf", "dc:creator", false}, {"cover.xhtml", "<h1 class=\"cover\">"}};

class ValidBookTest : public BookPackageTest, public ::testing::WithParamInterface<BookCase> {};

TEST_P(ValidBookTest, HasTheExpectedDocumentsReplacesOldArchivesAndPassesEpubCheck) {
    const BookCase& test = GetParam();
    h.folder.write("Books/Tale.epub", "an old build");
    writeEarlierBook(h.folder, h.folder.file("Books/9781234567897.epub"), "9781234567897");
    h.folder.write("Books/epub/notes.txt", "the author's own folder");
    build(test.book);
    expectChecks(test.beforeTheReport,
                 [&](const std::string& file) { return files::readFile(packageFolder + "/OEBPS/" + file); });
    h.queue.drain();

    const auto entries = readArchive(epub);
    ASSERT_TRUE(entries && !entries->empty()) << "no readable archive";
    EXPECT_EQ(entries->front().name, "mimetype");
    EXPECT_TRUE(entries->front().stored);
    expectChecks(test.inArchive, [&](const std::string& file) -> std::optional<std::string> {
        for (const auto& e : *entries)
            if (e.name == "OEBPS/" + file) return e.content;
        return std::nullopt;
    });
    EXPECT_EQ(h.c().epubPath, epub);
    EXPECT_EQ(h.c().missingFiles.empty() ? "" : h.c().missingFiles.front(), test.firstMissingFile);
    EXPECT_EQ(h.c().missingMarks, test.missingMarks);
    EXPECT_EQ(files::exists(destination + "/9781234567897.epub"), test.book.sparse) << "only its own ISBN archive goes";
    EXPECT_EQ(files::readFile(destination + "/epub/notes.txt").value_or(""), "the author's own folder");
    EXPECT_FALSE(files::exists(packageFolder));
    EXPECT_EQ(h.notifier.delivered.size(), 1u);

    const EpubCheckVerdict verdict = runEpubCheck(epub);
    if (!verdict.ran) GTEST_SKIP() << "epubcheck is not installed";
    EXPECT_TRUE(verdict.passed) << verdict.output;
}

INSTANTIATE_TEST_SUITE_P(
    Books, ValidBookTest,
    ::testing::Values(
        BookCase{"Epub3NavDocumentOutsideTheSpine", {true, false, "cover.png"},
                 {{"content.opf", "<item id=\"toc\" href=\"toc.xhtml\" properties=\"nav\""},
                  {"content.opf", "idref=\"toc\"", false}, {"toc.ncx", "", false},
                  {"toc.xhtml", "epub:type=\"landmarks\""}, {"toc.xhtml", "epub:type=\"toc\" href", false}}},
        BookCase{"Epub3ContentsPageInTheSpineAndLandmarks", {true, true, "cover.jpg"},
                 {{"content.opf", "<itemref idref=\"toc\"/>"},
                  {"toc.xhtml", "<li><a epub:type=\"toc\" href=\"toc.xhtml\">Contents</a></li>"}}},
        BookCase{"Epub2KindleVariantGetsAContentsPage", {false, false, "cover.png"},
                 {{"toc.xhtml", "", false}, {"content.opf", "toc.xhtml", false},
                  {"toc.ncx", "<text>A \"Quoted\" Tale</text>"}, {"toc.ncx", "<text>Chapter One</text>"}},
                 {{"content.opf", "<reference href=\"toc.xhtml\" type=\"toc\""},
                  {"content.opf", "<item id=\"toc\" href=\"toc.xhtml\""},
                  {"content.opf", "idref=\"toc\"", false}, {"toc.xhtml", ""}}},
        BookCase{"Epub2ContentsInSpineNcxAndGuide", {false, true, "cover.jpg"},
                 {{"content.opf", "<itemref idref=\"toc\"/>"},
                  {"content.opf", "<reference href=\"toc.xhtml\" type=\"toc\""},
                  {"toc.ncx", "<content src=\"toc.xhtml\"/>"}, {"toc.xhtml", "<b>Contents</b>"}}},
        BookCase{"Epub3OnlyATitleAndNoCover", {true, false, "", true}, kOnlyATitle, {}, "cover.jpg"},
        BookCase{"Epub2OnlyATitleAndNoCover", {false, false, "", true}, kOnlyATitle, {}, "cover.jpg"},
        BookCase{"Epub3EveryDirective", {true, true, "cover.png", false, kEveryDirective},
                 {{"endnotes.xhtml", ""}, {"images/lamp.png", ""}, {"toc.xhtml", "epub:type=\"bodymatter\""}},
                 {}, "", {"Nowhere"}},
        BookCase{"Epub2EveryDirective", {false, true, "cover.png", false, kEveryDirective},
                 {{"endnotes.xhtml", ""}, {"images/lamp.png", ""}, {"content.opf", "other.reader-start-page"}},
                 {}, {}, {"Nowhere"}}),
    [](const ::testing::TestParamInfo<BookCase>& info) { return info.param.name; });

TEST_F(BookPackageTest, AnArchiveThatCannotBeWrittenEndsInTheMakeFailureAndKeepsTheOldBook) {
    // A folder where the archive should go: it cannot be replaced by a file.
    h.folder.makeFolder("Books/Tale.epub");
    h.folder.write("Books/Tale.epub/keep.txt", "kept");
    writeEarlierBook(h.folder, h.folder.file("Books/9781234567897.epub"), "9781234567897");
    build({true, false, "cover.png"});
    EXPECT_TRUE(h.c().epubPath.empty());
    EXPECT_FALSE(h.c().epubError.empty());
    h.queue.drain();
    EXPECT_TRUE(h.notifier.delivered.empty()) << "nothing may be reported as ready";
    ASSERT_FALSE(h.window.alerts.empty());
    EXPECT_EQ(h.window.alerts.back().titleKey, "MakeFailTitle");
    EXPECT_EQ(files::readFile(epub + "/keep.txt").value_or(""), "kept");
    EXPECT_TRUE(files::exists(destination + "/9781234567897.epub")) << "a failed build costs no old book";
}

}  // namespace
}  // namespace quillary::testing
