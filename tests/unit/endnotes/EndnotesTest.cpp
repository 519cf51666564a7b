#include <gtest/gtest.h>

#include "../sections/BookUnderTest.h"
#include "epub/NoteMarkup.h"
#include "epub/Pages.h"

using namespace quillary;
using namespace quillary::epub;
using namespace quillary::testing;

TEST(Endnotes, ANoteReadsOnThroughTheLinesItTakesAndTheTextGoesOnAfterThem) {
    BookUnderTest book(false);
    book.body({"<p>A&lt;&lt;First.</p>", "<p>Second.</p>", "<p>Third.&gt;&gt; level.</p>", "<p>Next.</p>"});
    book.build();
    EXPECT_EQ(book.section(1), wrapped("A" + epub::notes::referenceForm(1, false) + " level.") + wrapped("Next."));
    const epub::PackageFile* notes = book.page("endnotes.xhtml");
    ASSERT_TRUE(notes);
    EXPECT_NE(notes->bytes.find("<div id=\"ref1\"><p style=\"margin: 0 0 1em 0; text-indent: 0\">1. First.</p><p>Second.</p>"
                                "<p>Third. <a href=\"section1.xhtml#ref1\">&#8617;</a></p></div>\n"),
              std::string::npos)
        << notes->bytes;
}

// The book's own pages keep each paragraph's direction; the notes page
// takes the book's.
TEST(Endnotes, TheNotesPageOfARightToLeftBookReadsRightToLeft) {
    for (const char* language : {"ar", "en"}) {
        const std::string page = epub::notesPage(
            epub::pageTemplate("<html xmlns=\"x\">\n$content\n</html>\n", {.language = language}, true), language,
            "Notes", "", true);
        EXPECT_EQ(page.starts_with("<html dir=\"rtl\" xml:lang=\"ar\" lang=\"ar\" xmlns="), language == std::string("ar"));
        EXPECT_EQ(page.find("dir="), language == std::string("ar") ? 6u : std::string::npos);
    }
}
