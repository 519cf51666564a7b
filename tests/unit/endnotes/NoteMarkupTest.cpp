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

TEST(Notes, ANoteReadsOnThroughTheLinesUpToItsClosingMarkerOrTheEnd) {
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
    // A note that never closes takes the rest and stays well nested.
    Following rest{{"<p>two</p>", "<p>three</p>"}};
    const auto open = makeNotes("<p>A&lt;&lt;one</p>", {}, rest.source());
    EXPECT_EQ(open.line, "<p>A" + ref(1) + "</p>");
    EXPECT_EQ(open.entries, entryForm(1, "one<p>two</p><p>three", 1, true, false));
}

TEST(Notes, NotesOnOneLineAreNumberedInOrderAndRunsCutByAMarkAreRepaired) {
    struct Case { const char* what; std::string line, marked, entries; };
    const Case cases[] = {
        {"several notes, each ended by the first closing marker",
         "<p>A&lt;&lt;one&gt;&gt; B&lt;&lt;two &lt;&lt;inner&gt;&gt; C&gt;&gt;</p>",
         "<p>A" + ref(1) + " B" + ref(2) + " C&gt;&gt;</p>", entry(1, "one") + entry(2, "two &lt;&lt;inner")},
        {"a run that ends in the note closes on the text's side", "<p><i>Sea&lt;&lt;salt</i> water&gt;&gt; level.</p>",
         "<p><i>Sea</i>" + ref(1) + " level.</p>", entry(1, "salt water")},
        {"a run that the note starts and that ends after it", "<p>Sea&lt;&lt;<i>salt water&gt;&gt; level</i>.</p>",
         "<p>Sea" + ref(1) + " level.</p>", entry(1, "<i>salt water</i>")},
        {"a note ending in an opening tag hands it to the text after", "<p>Sea&lt;&lt;salt water<i>&gt;&gt;level</i>.</p>",
         "<p>Sea" + ref(1) + "<i>level</i>.</p>", entry(1, "salt water")},
        {"a well nested run stays", "<p><i>Sea&lt;&lt;salt&gt;&gt; level</i></p>", "<p><i>Sea" + ref(1) + " level</i></p>",
         entry(1, "salt")},
        // On the body's last line nothing follows: the note is whole on its line.
        {"an unclosed note on the last line", "<p>A&lt;&lt;one</p>", "<p>A" + ref(1) + "</p>", entry(1, "one")}};
    for (const auto& [what, line, marked, entries] : cases) {
        const auto made = notesOf(line);
        EXPECT_EQ(made.line, marked) << what;
        EXPECT_EQ(made.entries, entries) << what;
    }
    EXPECT_EQ(notesOf(cases[0].line).notesMade, 2);
}

TEST(NoteRepairs, WellNestedParagraphsStayWhereTheyAre) {
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
