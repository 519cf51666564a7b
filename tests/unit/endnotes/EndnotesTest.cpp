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

// The book's own pages keep each paragraph's direction; the notes page
// takes the book's.
TEST(InsertEpubEndnotes, TheNotesPageOfARightToLeftBookReadsRightToLeft) {
    for (const char* language : {"1", "0"}) {
        BookUnderTest book;
        book.templates.section = "<html xmlns=\"x\">\n$content\n</html>\n";
        book.request.bookInfo.language = language;
        package::Assembly& a = book.prepare();
        a.insertEpubEndnotes("Notes");
        EXPECT_EQ(a.model.pages.back().bytes.starts_with("<html dir=\"rtl\" xml:lang=\"ar\" lang=\"ar\" xmlns="),
                  language == std::string("1"));
        EXPECT_EQ(a.model.pages.back().bytes.find("dir="), language == std::string("1") ? 6u : std::string::npos);
    }
}
