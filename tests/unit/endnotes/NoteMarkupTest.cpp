#include <gtest/gtest.h>

#include <deque>

#include "epub/NoteMarkup.h"

using namespace quillary::notes;

namespace {

// Further lines for a note that runs on; records how many were taken.
struct Manuscript {
    std::deque<std::string> lines;
    int taken = 0;
    NextLine source() {
        return [this]() -> std::optional<std::string> {
            if (lines.empty()) return std::nullopt;
            std::string next = lines.front();
            lines.pop_front();
            ++taken;
            return next;
        };
    }
};

NotesOfLine notesOf(const std::string& line, NoteContext context = {}) {
    Manuscript none;
    return makeNotes(line, context, none.source());
}

const std::string kRef1 = "<sup><a class=\"noteref\" id=\"ref1\" href=\"endnotes.xhtml#ref1\">1</a></sup>";
const std::string kRef2 = "<sup><a class=\"noteref\" id=\"ref2\" href=\"endnotes.xhtml#ref2\">2</a></sup>";

}  // namespace

TEST(NoteForms, ReferenceAndEntriesPerVersion) {
    EXPECT_EQ(referenceForm(7, true),
              "<sup><a class=\"noteref\" epub:type=\"noteref\" id=\"ref7\" href=\"endnotes.xhtml#ref7\">7</a></sup>");
    EXPECT_EQ(referenceForm(7, false),
              "<sup><a class=\"noteref\" id=\"ref7\" href=\"endnotes.xhtml#ref7\">7</a></sup>");
    EXPECT_EQ(entryForm(7, "N", 2, false, true),
              "7. <aside epub:type=\"footnote\" id=\"ref7\">N</aside> <a href=\"section2.xhtml#ref7\">&#8617;</a>"
              "<br /><br />\n");
    EXPECT_EQ(entryForm(7, "N", 2, true, true),
              "7. <aside epub:type=\"footnote\" id=\"ref7\">N</p></aside> <a href=\"section2.xhtml#ref7\">&#8617;</a>"
              "<br /><br />\n");
    EXPECT_EQ(entryForm(7, "N", 2, false, false),
              "<div id=\"ref7\">7. N <a href=\"section2.xhtml#ref7\">&#8617;</a><br /><br /></div>\n");
    EXPECT_EQ(entryForm(7, "N", 2, true, false),
              "<div id=\"ref7\">7. N <a href=\"section2.xhtml#ref7\">&#8617;</a></p><br /><br /></div>\n");
}

TEST(Notes, TheWorkedExample) {
    const auto made = notesOf("<p class=\"p1\">Sea&lt;&lt;Salt water.&gt;&gt; level.</p>", {1, 3, false});
    EXPECT_EQ(made.line, "<p class=\"p1\">Sea" + kRef1 + " level.</p>");
    EXPECT_EQ(made.entries,
              "<div id=\"ref1\">1. Salt water. <a href=\"section3.xhtml#ref1\">&#8617;</a><br /><br /></div>\n");
    EXPECT_EQ(made.notesMade, 1);
}

TEST(Notes, TwoNotesInAParagraphAreNumberedInOrder) {
    const auto made = notesOf("<p>A&lt;&lt;one&gt;&gt; B&lt;&lt;two&gt;&gt; C</p>", {1, 1, true});
    EXPECT_EQ(made.line, "<p>A" + referenceForm(1, true) + " B" + referenceForm(2, true) + " C</p>");
    EXPECT_EQ(made.entries, entryForm(1, "one", 1, false, true) + entryForm(2, "two", 1, false, true));
    EXPECT_EQ(made.notesMade, 2);
}

TEST(Notes, ASecondOpeningMarkerInsideANoteStaysInIt) {
    const auto made = notesOf("<p>A&lt;&lt;x &lt;&lt;y&gt;&gt; z&gt;&gt;</p>");
    EXPECT_EQ(made.line, "<p>A" + kRef1 + " z&gt;&gt;</p>");
    EXPECT_EQ(made.entries, entryForm(1, "x &lt;&lt;y", 1, false, false));
}

TEST(Notes, ANoteOverThreeParagraphsReadsTwoMoreLines) {
    Manuscript m{{"<p class=\"p2\">Second.</p>", "<p class=\"p3\">Third.&gt;&gt; level.</p>", "<p>after</p>"}};
    const auto made = makeNotes("<p class=\"p1\">Sea&lt;&lt;First.</p>", {4, 2, false}, m.source());
    EXPECT_EQ(m.taken, 2);
    EXPECT_EQ(made.line, "<p class=\"p1\">Sea" + referenceForm(4, false) + " level.</p>");
    EXPECT_EQ(made.entries, "<div id=\"ref4\">4. First.<p class=\"p2\">Second.</p><p class=\"p3\">Third. "
                            "<a href=\"section2.xhtml#ref4\">&#8617;</a></p><br /><br /></div>\n");
}

TEST(Notes, AClosingMarkerSplitAcrossTwoLinesIsFound) {
    Manuscript m{{"<p>b&gt;", "&gt; c</p>", "<p>never read</p>"}};
    const auto made = makeNotes("<p>A&lt;&lt;a</p>", {}, m.source());
    EXPECT_EQ(m.taken, 2);
    EXPECT_EQ(made.line, "<p>A" + kRef1 + " c</p>");
}

TEST(Notes, ANoteThatNeverClosesTakesTheRestAndStaysWellNested) {
    Manuscript m{{"<p>two</p>", "<p>three</p>"}};
    const auto made = makeNotes("<p>A&lt;&lt;one</p>", {1, 1, true}, m.source());
    EXPECT_EQ(m.taken, 2);
    EXPECT_EQ(made.line, "<p>A" + referenceForm(1, true) + "</p>");
    EXPECT_EQ(made.entries, entryForm(1, "one<p>two</p><p>three", 1, true, true));

    // On the last line of the body there is nothing to read: the note is whole.
    Manuscript empty;
    const auto last = makeNotes("<p>A&lt;&lt;one</p>", {1, 1, false}, empty.source());
    EXPECT_EQ(last.line, "<p>A" + kRef1 + "</p>");
    EXPECT_EQ(last.entries, entryForm(1, "one", 1, false, false));
}

TEST(NoteRepairs, AMarkTypedInsideARunThatEndsInTheNoteClosesTheRunFirst) {
    const auto made = notesOf("<p><i>Sea&lt;&lt;salt</i> water&gt;&gt; level.</p>");
    EXPECT_EQ(made.line, "<p><i>Sea</i>" + kRef1 + " level.</p>");
    EXPECT_EQ(made.entries, entryForm(1, "salt water", 1, false, false));
}

TEST(NoteRepairs, ARunStartedInTheNoteIsClosedInsideIt) {
    const auto made = notesOf("<p>Sea&lt;&lt;<i>salt water&gt;&gt; level</i>.</p>");
    EXPECT_EQ(made.line, "<p>Sea" + kRef1 + " level.</p>");
    EXPECT_EQ(made.entries, entryForm(1, "<i>salt water</i>", 1, false, false));
}

TEST(NoteRepairs, ANoteEndingInAnOpeningTagHandsItOn) {
    const auto made = notesOf("<p>Sea&lt;&lt;salt water<i>&gt;&gt;level</i>.</p>");
    EXPECT_EQ(made.line, "<p>Sea" + kRef1 + "<i>level</i>.</p>");
    EXPECT_EQ(made.entries, entryForm(1, "salt water", 1, false, false));
}

TEST(NoteRepairs, NothingMovesWhenTheRunsAreAlreadyNested) {
    const auto inside = notesOf("<p><i>Sea&lt;&lt;salt&gt;&gt; level</i></p>");
    EXPECT_EQ(inside.line, "<p><i>Sea" + kRef1 + " level</i></p>");
    EXPECT_EQ(inside.entries, entryForm(1, "salt", 1, false, false));
    const auto whole = notesOf("<p>Sea&lt;&lt;<i>salt</i>&gt;&gt; level</p>");
    EXPECT_EQ(whole.entries, entryForm(1, "<i>salt</i>", 1, false, false));
    // A paragraph is never moved, even when the note opened one.
    std::string note = "a<p>b";
    std::string after = " c</p>";
    closeElementOpenedInside(note, after);
    EXPECT_EQ(note, "a<p>b");
    EXPECT_EQ(after, " c</p>");
}

TEST(NoteRepairs, TheRepairsWorkOnTheirOwn) {
    std::string note = "x</b> y";
    std::string before = "<b>A ";
    closeElementOpenedBefore(note, before);
    EXPECT_EQ(note, "x y");
    EXPECT_EQ(before, "<b>A </b>");

    std::string opened = "<b>x";
    std::string after = " y</b></p>";
    closeElementOpenedInside(opened, after);
    EXPECT_EQ(opened, "<b>x</b>");
    EXPECT_EQ(after, " y</p>");

    // The element opens again after the marker: its closing tag is its own.
    std::string balanced = "<b>x";
    std::string reopened = " <b>y</b></p>";
    closeElementOpenedInside(balanced, reopened);
    EXPECT_EQ(reopened, " <b>y</b></p>");

    std::string tagged = "x<span class=\"s1\">";
    EXPECT_EQ(cutCarriedTag(tagged), "<span class=\"s1\">");
    EXPECT_EQ(tagged, "x");
    std::string closedTag = "x</i>";
    EXPECT_EQ(cutCarriedTag(closedTag), "");
    EXPECT_EQ(closedTag, "x</i>");
}

TEST(Notes, ManyNotesInOneRunAllKeepTheirTextAndTheRunClosesOnce) {
    std::string line = "<p><span class=\"s1\">";
    for (int i = 0; i < 2000; ++i) line += "w" + std::to_string(i) + "&lt;&lt;n" + std::to_string(i) + "&gt;&gt; ";
    line += "end</span></p>";
    const auto made = notesOf(line);
    EXPECT_EQ(made.notesMade, 2000);
    EXPECT_NE(made.line.find("w1999" + referenceForm(2000, false) + " end</span></p>"), std::string::npos);
    EXPECT_NE(made.entries.find(entryForm(2000, "n1999", 1, false, false)), std::string::npos);
    EXPECT_EQ(made.line.find("&lt;&lt;"), std::string::npos);
}
