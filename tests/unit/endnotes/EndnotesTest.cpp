#include <gtest/gtest.h>

#include "epub/NoteMarkup.h"
#include "platform/Files.h"
#include "support/Harness.h"

using namespace quillary;

namespace {

struct Book {
    quillary::testing::Harness h{false};
    VoveZedevir& c = h.c();

    explicit Book(bool epub3) {
        h.preferences.setBool(prefs::kEpub3, epub3);
        c.tempDirectoryPath = h.folder.makeFolder("epub");
        h.folder.makeFolder("epub/OEBPS/images");
        h.folder.makeFolder("epub/OEBPS/media");
        c.bookInfo = {"Sea Book", "", "", "", "", "", "", "0"};
    }
    std::string file(const std::string& name) const {
        return files::readFile(c.tempDirectoryPath + "/OEBPS/" + name).value_or("<none>");
    }
};

}  // namespace

TEST(ProcessEndnotes, ReadsOnThroughTheLinesANoteTakes) {
    Book b(false);
    b.c.sectionNumber = 3;
    b.c.noteNumber = 2;
    b.c.endnotes = "<div id=\"ref1\">1. Salt water.</div>\n";
    b.c.lines = {"<p>A&lt;&lt;First.</p>", "<p>Second.</p>", "<p>Third.&gt;&gt; level.</p>", "<p>Next.</p>"};
    b.c.currLine = 1;
    b.c.line = b.c.lines[0];
    b.c.processEndnotesForKindle(false);
    EXPECT_EQ(b.c.currLine.load(), 3);
    EXPECT_EQ(b.h.queue.pending(), 2u);
    EXPECT_EQ(b.c.line, "<p>A" + notes::referenceForm(2, false) + " level.</p>");
    EXPECT_EQ(b.c.endnotes, "<div id=\"ref1\">1. Salt water.</div>\n<div id=\"ref2\">2. First.<p>Second.</p>"
                            "<p>Third. <a href=\"section3.xhtml#ref2\">&#8617;</a></p><br /><br /></div>\n");
    EXPECT_EQ(b.c.noteNumber, 3);
}

TEST(InsertEpubEndnotes, WritesTheDocumentOnceWithItsItemsAndNavigationPoint) {
    Book b(false);
    b.c.endnotes = notes::entryForm(1, "Salt water.", 3, false, false);
    b.c.navPoint = 4;
    b.c.insertEpubEndnotes("Notes");
    EXPECT_NE(b.file("endnotes.xhtml").find("<title>Sea Book</title>"), std::string::npos);
    EXPECT_TRUE(b.file("endnotes.xhtml").ends_with(
        "<body>\n<p style='margin: 0.0px 0.0px 0.0px 0.0px; text-align: center;'><b>Notes</b><br /><br /></p>\n" +
        notes::entryForm(1, "Salt water.", 3, false, false) + "</body>\n</html>\n"));
    EXPECT_EQ(b.c.manifest, "    <item id=\"endnotes\" href=\"endnotes.xhtml\" media-type=\"application/xhtml+xml\"/>\n");
    EXPECT_EQ(b.c.spine, "    <itemref idref=\"endnotes\"/>\n");
    EXPECT_EQ(b.c.navmap, "    <navPoint id=\"navpoint-4\" playOrder=\"4\">\n      <navLabel>\n        <text>Notes</text>\n"
                          "      </navLabel>\n      <content src=\"endnotes.xhtml\"/>\n    </navPoint>\n");
    EXPECT_EQ(b.c.navPoint, 5);
    EXPECT_EQ(b.c.endnotes, "");
    EXPECT_EQ(b.c.noteNumber, 0);

    // A second heading must not overwrite the notes or list the document twice.
    const std::string written = b.file("endnotes.xhtml");
    b.c.insertEpubEndnotes("More");
    EXPECT_EQ(b.file("endnotes.xhtml"), written);
    EXPECT_EQ(b.c.spine, "    <itemref idref=\"endnotes\"/>\n");

    // EPUB 3 keeps the document out of the reading order and the navigation map.
    // An Arabic book's notes read right to left.
    Book epub3(true);
    epub3.c.bookInfo.language = "1";
    epub3.c.insertEpubEndnotes("Notes");
    EXPECT_NE(epub3.file("endnotes.xhtml").find("<html dir=\"rtl\" xml:lang=\"ar\" lang=\"ar\" xmlns="), std::string::npos);
    EXPECT_EQ(b.file("endnotes.xhtml").find("dir="), std::string::npos);
    EXPECT_EQ(epub3.c.spine, "    <itemref idref=\"endnotes\" linear=\"no\"/>\n");
    EXPECT_EQ(epub3.c.navmap, "");
    EXPECT_EQ(epub3.c.navPoint, 1);
}
