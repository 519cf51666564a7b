#include <gtest/gtest.h>

#include "../sections/BookUnderTest.h"
#include "epub/NoteMarkup.h"

using namespace quillary;
using namespace quillary::testing;

TEST(MakeNotes, ReadsOnThroughTheLinesANoteTakes) {
    BookUnderTest book(false);
    book.lines = {"<p>A&lt;&lt;First.</p>", "<p>Second.</p>", "<p>Third.&gt;&gt; level.</p>", "<p>Next.</p>"};
    package::Assembly& a = book.prepare();
    a.sectionNumber = 3;
    a.noteNumber = 2;
    a.endnotes = "<div id=\"ref1\">1. Salt water.</div>\n";
    a.position = 1;
    a.line = book.lines[0];
    a.makeNotes();
    EXPECT_EQ(a.position.load(), 3);
    EXPECT_EQ(a.line, "<p>A" + notes::referenceForm(2, false) + " level.</p>");
    EXPECT_EQ(a.endnotes, "<div id=\"ref1\">1. Salt water.</div>\n<div id=\"ref2\">2. First.<p>Second.</p>"
                          "<p>Third. <a href=\"section3.xhtml#ref2\">&#8617;</a></p><br /><br /></div>\n");
    EXPECT_EQ(a.noteNumber, 3);
}

TEST(InsertEpubEndnotes, WritesTheDocumentOnceWithItsItemsAndNavigationPoint) {
    BookUnderTest b(false);
    b.request.bookInfo.title = "Sea Book";
    package::Assembly& a = b.prepare();
    const auto notesPage = [&a] {
        for (const auto& page : a.model.pages)
            if (page.name == "OEBPS/endnotes.xhtml") return page.bytes;
        return std::string("<none>");
    };
    a.endnotes = notes::entryForm(1, "Salt water.", 3, false, false);
    a.navPoint = 4;
    a.insertEpubEndnotes("Notes");
    EXPECT_EQ(notesPage(), "<title>Sea Book</title>\n<body>\n"
                           "<p style='margin: 0.0px 0.0px 0.0px 0.0px; text-align: center;'><b>Notes</b><br /><br /></p>\n" +
                               notes::entryForm(1, "Salt water.", 3, false, false) + "</body>\n");
    EXPECT_EQ(package::manifestLines(a.model.manifest),
              "    <item id=\"endnotes\" href=\"endnotes.xhtml\" media-type=\"application/xhtml+xml\"/>\n");
    EXPECT_EQ(package::spineLines(a.model.spine), "    <itemref idref=\"endnotes\"/>\n");
    EXPECT_EQ(package::navMap(a.model), package::ncxNavPoint(4, "Notes", "endnotes.xhtml"));
    EXPECT_EQ(a.navPoint, 5);
    EXPECT_EQ(a.endnotes, "");
    EXPECT_EQ(a.noteNumber, 0);

    // A second heading must not add the notes page again, empty, or list it twice.
    const std::size_t pages = a.model.pages.size();
    a.insertEpubEndnotes("More");
    EXPECT_EQ(a.model.pages.size(), pages);
    EXPECT_EQ(a.model.spine.size(), 1u);

    // EPUB 3 keeps the document out of the reading order and the navigation map.
    // An Arabic book's notes read right to left.
    BookUnderTest arabic(true);
    arabic.templates.section = "<html xmlns=\"x\">\n$content\n</html>\n";
    arabic.request.bookInfo.language = "1";
    package::Assembly& e = arabic.prepare();
    e.insertEpubEndnotes("Notes");
    EXPECT_TRUE(e.model.pages.back().bytes.starts_with("<html dir=\"rtl\" xml:lang=\"ar\" lang=\"ar\" xmlns="));
    EXPECT_EQ(notesPage().find("dir="), std::string::npos);
    EXPECT_EQ(package::spineLines(e.model.spine), "    <itemref idref=\"endnotes\" linear=\"no\"/>\n");
    EXPECT_TRUE(e.model.navPoints.empty());
    EXPECT_EQ(e.navPoint, 1);
}
