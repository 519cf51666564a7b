// Whole books from canned converted HTML: the package frame, the passes and
// the archive together, checked by opening the archive and by EPUBCheck.
#include <gtest/gtest.h>

#include "build/Text.h"
#include "platform/Files.h"
#include "platform/PosixShell.h"
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

// Debian installs epubcheck as a bare jar that only a binfmt handler makes
// runnable; where that handler is missing, the same jar runs under java.
EpubCheckVerdict checkEpub(const std::string& path) {
    EpubCheckVerdict verdict = runEpubCheck(path);
    if (verdict.passed || !text::contains(verdict.output, "Exec format error")) return verdict;
    PosixShell shell;
    const auto output = shell.run("java -jar \"$(readlink -f \"$(command -v epubcheck)\")\" -q '" + path +
                                  "'; echo \"exit=$?\"");
    verdict.output = output.value_or("");
    verdict.passed = text::contains(verdict.output, "exit=0") && !text::contains(verdict.output, "ERROR") &&
                     !text::contains(verdict.output, "FATAL");
    return verdict;
}

struct Book {
    bool epub3 = true;
    bool contentsHeading = false;
    std::string cover;  // "", "cover.png", "cover.jpg"
    std::string title = "A \"Quoted\" Tale";
    bool sparse = false;  // only what the window insists on: no ISBN, author, publisher...
};

std::vector<std::string> manuscript(const Book& book) {
    std::vector<std::string> lines = {
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01//EN\">",
        "<html>",
        "<head>",
        "<title></title>",
        "</head>",
        "<body>",
        "<p class=\"p1\">A Tale, told in three parts</p>",
    };
    if (book.contentsHeading) lines.push_back("<p class=\"p2\">toc: Contents</p>");
    for (const char* chapter : {"One", "Two", "Three"}) {
        lines.push_back(std::string("<p class=\"p2\">bookmark: Chapter ") + chapter + "</p>");
        lines.push_back(std::string("<p class=\"p1\">The words of chapter ") + chapter + ", see {{Chapter Two}}.</p>");
        lines.push_back("<p class=\"p1\">More words.</p>");
    }
    lines.push_back("</body>");
    lines.push_back("</html>");
    return lines;
}

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
        VoveZedevir& c = h.c();
        h.preferences.setBool(prefs::kEpub3, book.epub3);
        c.theFile = root + "/Tale.rtf";
        c.root = root;
        c.saveName = "Tale";
        c.saveRoot = destination;
        c.bookInfo = {book.title, "Ann Author", "Small Press", "Copyright 2024", "2024-05-17",
                      "9781234567897", "Fiction", "9"};
        if (book.sparse) c.bookInfo = {book.title, "", "", "", "2024-05-17", "urn:uuid:12345", "", "0"};
        c.lines = manuscript(book);
        c.styleText = "p.p1 {margin: 0;}\n.sz {font-size: 1em;}\n#guide {display: none;}\n";
        c.buildePub();
        packageFolder = c.tempDirectoryPath;
    }

    std::string entry(const std::vector<ArchiveEntry>& entries, const std::string& name) {
        for (const auto& e : entries)
            if (e.name == name) return e.content;
        return "<missing>";
    }

    void expectValid() {
        const EpubCheckVerdict verdict = checkEpub(epub);
        if (!verdict.ran) GTEST_SKIP() << "epubcheck is not installed";
        EXPECT_TRUE(verdict.passed) << verdict.output;
    }
};

TEST_F(BookPackageTest, Epub3WithoutContentsHeadingHasANavDocumentOutsideTheSpine) {
    build({true, false, "cover.png"});
    h.queue.drain();
    const auto entries = readArchive(epub);
    ASSERT_TRUE(entries);
    ASSERT_FALSE(entries->empty());
    EXPECT_EQ(entries->front().name, "mimetype");
    EXPECT_TRUE(entries->front().stored);
    const std::string opf = entry(*entries, "OEBPS/content.opf");
    EXPECT_TRUE(text::contains(opf, "<item id=\"toc\" href=\"toc.xhtml\" properties=\"nav\""));
    EXPECT_FALSE(text::contains(opf, "idref=\"toc\""));
    EXPECT_TRUE(text::contains(opf, "<dc:language>he</dc:language>"));
    EXPECT_TRUE(text::contains(opf, "<meta property=\"dcterms:modified\">2024-05-17T08:00:00Z</meta>"));
    EXPECT_TRUE(text::contains(entry(*entries, "OEBPS/cover.xhtml"), "alt=\"A Quoted Tale\""));
    EXPECT_EQ(entry(*entries, "OEBPS/toc.ncx"), "<missing>");
    const std::string nav = entry(*entries, "OEBPS/toc.xhtml");
    EXPECT_TRUE(text::contains(nav, "epub:type=\"landmarks\""));
    EXPECT_FALSE(text::contains(nav, "epub:type=\"toc\" href"));
    EXPECT_EQ(h.c().epubPath, epub);
    expectValid();
}

TEST_F(BookPackageTest, Epub3WithContentsHeadingPutsTheContentsPageInTheSpineAndLandmarks) {
    build({true, true, "cover.jpg"});
    h.queue.drain();
    const auto entries = readArchive(epub);
    ASSERT_TRUE(entries);
    const std::string opf = entry(*entries, "OEBPS/content.opf");
    EXPECT_TRUE(text::contains(opf, "<itemref idref=\"toc\"/>"));
    EXPECT_TRUE(text::contains(opf, "href=\"images/cover.jpg\" media-type=\"image/jpeg\""));
    EXPECT_TRUE(text::contains(entry(*entries, "OEBPS/toc.xhtml"),
                               "<li><a epub:type=\"toc\" href=\"toc.xhtml\">Contents</a></li>"));
    expectValid();
}

TEST_F(BookPackageTest, Epub2WithoutContentsHeadingGivesTheKindleVariantItsContentsPageLater) {
    build({false, false, "cover.png"});
    // Before the completion report: the build folder is the Kindle variant.
    const std::string opfAfter = files::readFile(packageFolder + "/OEBPS/content.opf").value_or("");
    EXPECT_TRUE(text::contains(opfAfter, "<reference href=\"toc.xhtml\" type=\"toc\""));
    EXPECT_TRUE(text::contains(opfAfter, "<item id=\"toc\" href=\"toc.xhtml\""));
    EXPECT_FALSE(text::contains(opfAfter, "idref=\"toc\""));
    EXPECT_TRUE(files::exists(packageFolder + "/OEBPS/toc.xhtml"));
    h.queue.drain();

    const auto entries = readArchive(epub);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entry(*entries, "OEBPS/toc.xhtml"), "<missing>");
    const std::string opf = entry(*entries, "OEBPS/content.opf");
    EXPECT_FALSE(text::contains(opf, "toc.xhtml"));
    const std::string ncx = entry(*entries, "OEBPS/toc.ncx");
    EXPECT_TRUE(text::contains(ncx, "<text>A \"Quoted\" Tale</text>"));
    EXPECT_TRUE(text::contains(ncx, "<text>Chapter One</text>"));
    expectValid();
}

TEST_F(BookPackageTest, Epub2WithContentsHeadingListsItInSpineNcxAndGuide) {
    build({false, true, "cover.jpg"});
    h.queue.drain();
    const auto entries = readArchive(epub);
    ASSERT_TRUE(entries);
    const std::string opf = entry(*entries, "OEBPS/content.opf");
    EXPECT_TRUE(text::contains(opf, "<itemref idref=\"toc\"/>"));
    EXPECT_TRUE(text::contains(opf, "<reference href=\"toc.xhtml\" type=\"toc\""));
    EXPECT_TRUE(text::contains(entry(*entries, "OEBPS/toc.ncx"), "<content src=\"toc.xhtml\"/>"));
    EXPECT_TRUE(text::contains(entry(*entries, "OEBPS/toc.xhtml"), "<b>Contents</b>"));
    expectValid();
}

TEST_F(BookPackageTest, WithoutACoverTheBookIsStillValidAndTheCoverIsReportedMissing) {
    for (bool epub3 : {true, false}) {
        SCOPED_TRACE(epub3 ? "EPUB 3" : "EPUB 2");
        build({epub3, false, ""});
        h.queue.drain();
        const auto entries = readArchive(epub);
        ASSERT_TRUE(entries);
        EXPECT_FALSE(text::contains(entry(*entries, "OEBPS/content.opf"), "images/cover"));
        EXPECT_TRUE(text::contains(entry(*entries, "OEBPS/cover.xhtml"), "<h1 class=\"cover\">"));
        ASSERT_FALSE(h.c().missingFiles.empty());
        EXPECT_EQ(h.c().missingFiles.front(), "cover.jpg");
        expectValid();
    }
}

TEST_F(BookPackageTest, ABookWithOnlyATitleIsValid) {
    for (bool epub3 : {true, false}) {
        SCOPED_TRACE(epub3 ? "EPUB 3" : "EPUB 2");
        Book book{epub3, false, "cover.png"};
        book.sparse = true;
        build(book);
        h.queue.drain();
        const auto entries = readArchive(epub);
        ASSERT_TRUE(entries);
        EXPECT_FALSE(text::contains(entry(*entries, "OEBPS/content.opf"), "dc:creator"));
        expectValid();
    }
}

// Every directive at once, with a right-to-left chapter and no "srh:"
// heading: the package documents must stay valid around all of them.
TEST_F(BookPackageTest, EveryDirectiveTogetherMakesAValidBookInBothVersions) {
    for (bool epub3 : {true, false}) {
        SCOPED_TRACE(epub3 ? "EPUB 3" : "EPUB 2");
        Book book{epub3, true, "cover.png"};
        h.folder.write("Manuscript/lamp.png", kPng);
        build(book);  // lays out the folder; the real manuscript follows
        h.queue.drain();
        VoveZedevir& c = h.c();
        c.lines = {"<html>", "<body>",
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
        c.buildePub();
        h.queue.drain();
        const auto entries = readArchive(epub);
        ASSERT_TRUE(entries);
        EXPECT_NE(entry(*entries, "OEBPS/endnotes.xhtml"), "<missing>");
        EXPECT_NE(entry(*entries, "OEBPS/images/lamp.png"), "<missing>");
        EXPECT_TRUE(text::contains(entry(*entries, epub3 ? "OEBPS/toc.xhtml" : "OEBPS/content.opf"),
                                   epub3 ? "epub:type=\"bodymatter\"" : "other.reader-start-page"));
        EXPECT_EQ(c.missingMarks, std::vector<std::string>{"Nowhere"});
        expectValid();
    }
}

TEST_F(BookPackageTest, OldArchivesGoTheAuthorsEpubFolderStaysAndTheBuildFolderIsRemoved) {
    h.folder.write("Books/Tale.epub", "an old build");
    h.folder.write("Books/9781234567897.epub", "an older build, named by ISBN");
    h.folder.write("Books/epub/notes.txt", "the author's own folder");
    build({true, false, "cover.png"});
    EXPECT_TRUE(files::isDirectory(packageFolder));
    h.queue.drain();
    EXPECT_FALSE(files::exists(destination + "/9781234567897.epub"));
    EXPECT_EQ(files::readFile(destination + "/epub/notes.txt").value_or(""), "the author's own folder");
    EXPECT_NE(files::readFile(epub).value_or(""), "an old build");
    EXPECT_FALSE(files::exists(packageFolder));
    EXPECT_EQ(h.notifier.delivered.size(), 1u);
}

TEST_F(BookPackageTest, AnArchiveThatCannotBeWrittenEndsInTheMakeFailureAndKeepsTheOldBook) {
    h.folder.write("Books/Tale.epub", "a good earlier book");
    // A folder where the archive should go: it cannot be replaced by a file.
    files::removeAll(epub);
    h.folder.makeFolder("Books/Tale.epub");
    h.folder.write("Books/Tale.epub/keep.txt", "kept");
    h.folder.write("Books/9781234567897.epub", "an older build, named by ISBN");
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
