#include <gtest/gtest.h>

#include "epub/NoteMarkup.h"
#include "platform/Files.h"
#include "support/Harness.h"

using namespace quillary;
using quillary::testing::Harness;

namespace {

struct Book {
    Harness h{false};
    VoveZedevir& c = h.c();

    explicit Book(bool epub3) {
        h.preferences.setBool(prefs::kEpub3, epub3);
        c.tempDirectoryPath = h.folder.makeFolder("epub");
        h.folder.makeFolder("epub/OEBPS");
        c.bookInfo = {"Sea Book", "", "", "", "", "", "", "0"};
    }
    std::string endnotesFile() const {
        return files::readFile(c.tempDirectoryPath + "/OEBPS/endnotes.xhtml").value_or("<none>");
    }
};

}  // namespace

TEST(ProcessEndnotes, TheWorkedExampleRaisesTheNoteNumber) {
    Book b(false);
    b.c.sectionNumber = 3;
    b.c.line = "<p class=\"p1\">Sea&lt;&lt;Salt water.&gt;&gt; level.</p>";
    b.c.processEndnotesForKindle(false);
    EXPECT_EQ(b.c.line, "<p class=\"p1\">Sea<sup><a class=\"noteref\" id=\"ref1\" href=\"endnotes.xhtml#ref1\">1"
                        "</a></sup> level.</p>");
    EXPECT_EQ(b.c.endnotes,
              "<div id=\"ref1\">1. Salt water. <a href=\"section3.xhtml#ref1\">&#8617;</a><br /><br /></div>\n");
    EXPECT_EQ(b.c.noteNumber, 2);
    EXPECT_EQ(b.h.queue.pending(), 0u);
}

TEST(ProcessEndnotes, AContinuedNoteAdvancesThroughTheLinesItReads) {
    Book b(true);
    b.c.lines = {"<p class=\"p1\">Sea&lt;&lt;First.</p>", "<p class=\"p2\">Second.</p>",
                 "<p class=\"p3\">Third.&gt;&gt; level.</p>", "<p>Next.</p>", "</body>"};
    b.c.currLine = 1;
    b.c.noteNumber = 5;
    b.c.line = b.c.lines[0];
    b.c.processEndnotesForKindle(false);
    EXPECT_EQ(b.c.currLine.load(), 3);
    EXPECT_EQ(b.h.queue.pending(), 2u);
    EXPECT_EQ(b.c.line, "<p class=\"p1\">Sea" + notes::referenceForm(5, true) + " level.</p>");
    EXPECT_EQ(b.c.endnotes, "5. <aside epub:type=\"footnote\" id=\"ref5\">First.<p class=\"p2\">Second.</p>"
                            "<p class=\"p3\">Third.</p></aside> <a href=\"section1.xhtml#ref5\">&#8617;</a>"
                            "<br /><br />\n");
    EXPECT_EQ(b.c.noteNumber, 6);
}

TEST(ProcessEndnotes, ANoteThatNeverClosesStopsAtTheEndOfTheBody) {
    Book b(false);
    b.c.lines = {"<p>A&lt;&lt;one</p>", "<p>two</p>", "<p>three</p>", "</body>", "</html>"};
    b.c.currLine = 1;
    b.c.line = b.c.lines[0];
    b.c.processEndnotesForKindle(false);
    EXPECT_EQ(b.c.currLine.load(), 3);  // "</body>" is left for the sections pass
    EXPECT_EQ(b.c.line, "<p>A" + notes::referenceForm(1, false) + "</p>");
    EXPECT_EQ(b.c.endnotes, notes::entryForm(1, "one<p>two</p><p>three", 1, true, false));
    EXPECT_EQ(b.c.endnotes.find("body"), std::string::npos);

    // Without a body end the lines simply run out.
    Book open(false);
    open.c.lines = {"<p>A&lt;&lt;one</p>", "<p>two</p>"};
    open.c.currLine = 1;
    open.c.line = open.c.lines[0];
    open.c.processEndnotesForKindle(false);
    EXPECT_EQ(open.c.currLine.load(), 2);
    EXPECT_EQ(open.c.noteNumber, 2);
}

TEST(InsertEpubEndnotes, Epub2WritesTheDocumentAndItsNavigationPoint) {
    Book b(false);
    b.c.endnotes = notes::entryForm(1, "Salt water.", 3, false, false);
    b.c.noteNumber = 2;
    b.c.navPoint = 4;
    b.c.manifest = "M\n";
    b.c.spine = "S\n";
    b.c.insertEpubEndnotes("Notes");
    const std::string file = b.endnotesFile();
    EXPECT_NE(file.find("<title>Sea Book</title>"), std::string::npos);
    EXPECT_NE(file.find("<body>\n<p style='margin: 0.0px 0.0px 0.0px 0.0px; text-align: center;'><b>Notes</b>"
                        "<br /><br /></p>\n<div id=\"ref1\">1. Salt water. <a href=\"section3.xhtml#ref1\">"
                        "&#8617;</a><br /><br /></div>\n</body>"),
              std::string::npos)
        << file;
    EXPECT_EQ(b.c.manifest,
              "M\n    <item id=\"endnotes\" href=\"endnotes.xhtml\" media-type=\"application/xhtml+xml\"/>\n");
    EXPECT_EQ(b.c.spine, "S\n    <itemref idref=\"endnotes\"/>\n");
    EXPECT_EQ(b.c.navmap,
              "    <navPoint id=\"navpoint-4\" playOrder=\"4\">\n      <navLabel>\n        <text>Notes</text>\n"
              "      </navLabel>\n      <content src=\"endnotes.xhtml\"/>\n    </navPoint>\n");
    EXPECT_EQ(b.c.navPoint, 5);
    EXPECT_EQ(b.c.endnotes, "");
    EXPECT_EQ(b.c.noteNumber, 0);
}

TEST(InsertEpubEndnotes, Epub3KeepsTheDocumentOutOfTheReadingOrder) {
    Book b(true);
    b.c.navPoint = 2;
    b.c.insertEpubEndnotes("EndnotesTitle");
    EXPECT_EQ(b.c.spine, "    <itemref idref=\"endnotes\" linear=\"no\"/>\n");
    EXPECT_EQ(b.c.navmap, "");
    EXPECT_EQ(b.c.navPoint, 2);
    EXPECT_NE(b.endnotesFile().find("<b>EndnotesTitle</b><br /><br /></p>\n</body>"), std::string::npos);
}

TEST(InsertEpubEndnotes, ASecondHeadingKeepsTheNotesOfTheFirst) {
    Book b(false);
    b.c.endnotes = notes::entryForm(1, "kept", 1, false, false);
    b.c.insertEpubEndnotes("Notes");
    const std::string first = b.endnotesFile();
    const std::string manifest = b.c.manifest;
    b.c.insertEpubEndnotes("More Notes");
    EXPECT_EQ(b.endnotesFile(), first);
    EXPECT_NE(first.find("kept"), std::string::npos);
    EXPECT_EQ(b.c.manifest, manifest);
    EXPECT_EQ(b.c.navPoint, 2);
}
