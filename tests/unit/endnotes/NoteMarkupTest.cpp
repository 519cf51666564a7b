#include <gtest/gtest.h>

#include <deque>

#include "epub/NoteMarkup.h"

using namespace quillary::notes;

namespace {

// The lines after the one being worked on; counts those a note takes.
struct Following {
    std::deque<std::string> lines;
    int taken = 0;
    NextLine source() {
        return [this]() -> std::optional<std::string> {
            if (lines.empty()) return std::nullopt;
            ++taken;
            std::string next = lines.front();
            lines.pop_front();
            return next;
        };
    }
};

NotesOfLine notesOf(const std::string& line, NoteContext context = {}) {
    Following none;
    return makeNotes(line, context, none.source());
}

std::string ref(int n) { return referenceForm(n, false); }
std::string entry(int n, const std::string& note) { return entryForm(n, note, 1, false, false); }

}  // namespace

TEST(Notes, TheWorkedExampleInBothVersions) {
    const std::string line = "<p class=\"p1\">Sea&lt;&lt;Salt water.&gt;&gt; level.</p>";
    const auto epub2 = notesOf(line, {1, 3, false});
    EXPECT_EQ(epub2.line, "<p class=\"p1\">Sea<sup><a class=\"noteref\" id=\"ref1\" href=\"endnotes.xhtml#ref1\">1</a></sup> level.</p>");
    EXPECT_EQ(epub2.entries, "<div id=\"ref1\">1. Salt water. <a href=\"section3.xhtml#ref1\">&#8617;</a><br /><br /></div>\n");
    const auto epub3 = notesOf(line, {1, 3, true});
    EXPECT_EQ(epub3.line, "<p class=\"p1\">Sea<sup><a class=\"noteref\" epub:type=\"noteref\" id=\"ref1\" "
                          "href=\"endnotes.xhtml#ref1\">1</a></sup> level.</p>");
    EXPECT_EQ(epub3.entries, "1. <aside epub:type=\"footnote\" id=\"ref1\">Salt water.</aside> "
                             "<a href=\"section3.xhtml#ref1\">&#8617;</a><br /><br />\n");
}

TEST(Notes, SeveralNotesInAParagraphAreNumberedInOrder) {
    const auto made = notesOf("<p>A&lt;&lt;one&gt;&gt; B&lt;&lt;two &lt;&lt;inner&gt;&gt; C&gt;&gt;</p>");
    EXPECT_EQ(made.line, "<p>A" + ref(1) + " B" + ref(2) + " C&gt;&gt;</p>");
    EXPECT_EQ(made.entries, entry(1, "one") + entry(2, "two &lt;&lt;inner"));
    EXPECT_EQ(made.notesMade, 2);
}

TEST(Notes, ANoteOverThreeParagraphsTakesTheNextTwoLines) {
    Following f{{"<p class=\"p2\">Second.</p>", "<p class=\"p3\">Third.&gt;&gt; level.</p>", "<p>after</p>"}};
    const auto made = makeNotes("<p class=\"p1\">Sea&lt;&lt;First.</p>", {4, 2, true}, f.source());
    EXPECT_EQ(f.taken, 2);
    EXPECT_EQ(made.line, "<p class=\"p1\">Sea" + referenceForm(4, true) + " level.</p>");
    EXPECT_EQ(made.entries, "4. <aside epub:type=\"footnote\" id=\"ref4\">First.<p class=\"p2\">Second.</p><p class=\"p3\">"
                            "Third.</p></aside> <a href=\"section2.xhtml#ref4\">&#8617;</a><br /><br />\n");
    // A closing marker split over two lines is found all the same.
    Following split{{"<p>b&gt;", "&gt; c</p>", "<p>never read</p>"}};
    EXPECT_EQ(makeNotes("<p>A&lt;&lt;a</p>", {}, split.source()).line, "<p>A" + ref(1) + " c</p>");
    EXPECT_EQ(split.taken, 2);
}

TEST(Notes, ANoteThatNeverClosesTakesTheRestAndStaysWellNested) {
    Following f{{"<p>two</p>", "<p>three</p>"}};
    const auto made = makeNotes("<p>A&lt;&lt;one</p>", {}, f.source());
    EXPECT_EQ(made.line, "<p>A" + ref(1) + "</p>");
    EXPECT_EQ(made.entries, entryForm(1, "one<p>two</p><p>three", 1, true, false));
    // On the body's last line nothing follows: the note is whole on its line.
    EXPECT_EQ(notesOf("<p>A&lt;&lt;one</p>").entries, entry(1, "one"));
}

TEST(NoteRepairs, RunsCutByAMarkAreClosedOnTheSideTheyOpened) {
    // The mark typed inside a run that ends in the note.
    auto made = notesOf("<p><i>Sea&lt;&lt;salt</i> water&gt;&gt; level.</p>");
    EXPECT_EQ(made.line, "<p><i>Sea</i>" + ref(1) + " level.</p>");
    EXPECT_EQ(made.entries, entry(1, "salt water"));
    // A run that the note starts and that ends after the closing marker.
    made = notesOf("<p>Sea&lt;&lt;<i>salt water&gt;&gt; level</i>.</p>");
    EXPECT_EQ(made.line, "<p>Sea" + ref(1) + " level.</p>");
    EXPECT_EQ(made.entries, entry(1, "<i>salt water</i>"));
    // A note ending in an opening tag hands it to the text after.
    made = notesOf("<p>Sea&lt;&lt;salt water<i>&gt;&gt;level</i>.</p>");
    EXPECT_EQ(made.line, "<p>Sea" + ref(1) + "<i>level</i>.</p>");
    EXPECT_EQ(made.entries, entry(1, "salt water"));
}

TEST(NoteRepairs, WellNestedRunsAndParagraphsStayWhereTheyAre) {
    const auto inside = notesOf("<p><i>Sea&lt;&lt;salt&gt;&gt; level</i></p>");
    EXPECT_EQ(inside.line, "<p><i>Sea" + ref(1) + " level</i></p>");
    EXPECT_EQ(inside.entries, entry(1, "salt"));
    std::string paragraph = "a<p>b", after = " c</p>";
    closeElementOpenedInside(paragraph, after);
    EXPECT_EQ(paragraph + after, "a<p>b c</p>");
    std::string reopened = "<b>x", again = " <b>y</b></p>";
    closeElementOpenedInside(reopened, again);
    EXPECT_EQ(reopened + again, "<b>x <b>y</b></p>");
}

TEST(Notes, ManyNotesInOneRunKeepTheirTextAndTheRunClosesOnce) {
    std::string line = "<p><span class=\"s1\">";
    for (int i = 0; i < 2000; ++i) line += "w" + std::to_string(i) + "&lt;&lt;n" + std::to_string(i) + "&gt;&gt; ";
    const auto made = notesOf(line + "end</span></p>");
    EXPECT_EQ(made.notesMade, 2000);
    EXPECT_TRUE(made.line.ends_with("w1999" + ref(2000) + " end</span></p>"));
    EXPECT_TRUE(made.entries.ends_with(entry(2000, "n1999")));
}
