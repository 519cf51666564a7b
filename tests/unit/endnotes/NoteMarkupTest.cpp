#include <gtest/gtest.h>

#include <deque>

#include "epub/NoteMarkup.h"

using namespace quillary::epub::notes;

namespace {

// The lines after the one being worked on.
LineAhead following(const std::vector<std::string>& lines) {
    return [lines](std::size_t ahead) -> std::optional<std::string_view> {
        if (ahead >= lines.size()) return std::nullopt;
        return std::string_view(lines[ahead]);
    };
}

NotesOfLine notesOf(const std::string& line, NoteContext context = {}) {
    return makeNotes(line, context, following({}));
}

std::string ref(int n) { return referenceForm(n, false); }
std::string entry(int n, const std::string& note) { return entryForm(n, note, false, {}); }
// The paragraph an entry opens itself.
const std::string para = "<p style=\"margin: 0 0 1em 0; text-indent: 0\">";

}  // namespace

TEST(Notes, TheWorkedExampleInBothVersions) {
    const std::string line = "<p class=\"p1\">Sea&lt;&lt;Salt water.&gt;&gt; level.</p>";
    const auto epub2 = notesOf(line, {1, 3, false});
    EXPECT_EQ(epub2.line, "<p class=\"p1\">Sea<sup><a class=\"noteref\" id=\"ref1\" href=\"endnotes.xhtml#ref1\">1</a></sup> level.</p>");
    EXPECT_EQ(epub2.entries,
              "<div id=\"ref1\">" + para + "1. Salt water. <a href=\"section3.xhtml#ref1\">&#8617;</a></p></div>\n");
    const auto epub3 = notesOf(line, {1, 3, true});
    EXPECT_EQ(epub3.line, "<p class=\"p1\">Sea<sup><a class=\"noteref\" epub:type=\"noteref\" role=\"doc-noteref\" id=\"ref1\" "
                          "href=\"endnotes.xhtml#ref1\">1</a></sup> level.</p>");
    EXPECT_EQ(epub3.entries, "<li role=\"doc-endnote\"><aside epub:type=\"footnote\" id=\"ref1\">" + para +
                                 "1. Salt water. <a role=\"doc-backlink\" href=\"section3.xhtml#ref1\">&#8617;</a></p></aside></li>\n");
}

TEST(Notes, ANoteReadsOnThroughWholeParagraphsUpToItsClosingMarker) {
    const auto made = makeNotes("<p class=\"p1\">Sea&lt;&lt;First.</p>", {4, 2, true},
                                following({"<p class=\"p2\">Second.</p>", "<p class=\"p3\">Third.&gt;&gt; level.</p>",
                                           "<p>after</p>"}));
    EXPECT_EQ(made.linesTakenIn, 2u);
    EXPECT_EQ(made.line, "<p class=\"p1\">Sea" + referenceForm(4, true) + " level.</p>");
    EXPECT_EQ(made.entries, "<li role=\"doc-endnote\"><aside epub:type=\"footnote\" id=\"ref4\">" + para +
                                "4. First.</p><p class=\"p2\">Second.</p><p class=\"p3\">Third. <a role=\"doc-backlink\" "
                                "href=\"section2.xhtml#ref4\">&#8617;</a></p></aside></li>\n");
    EXPECT_TRUE(made.unclosed.empty());
    // A closing marker split over two lines of one paragraph is found all the same.
    const auto split = makeNotes("<p>A&lt;&lt;a</p>", {}, following({"<p>b&gt;", "&gt; c</p>", "<p>never read</p>"}));
    EXPECT_EQ(split.line, "<p>A" + ref(1) + " c</p>");
    EXPECT_EQ(split.linesTakenIn, 2u);
}

TEST(Notes, ANoteThatCannotCloseStaysAsTextAndIsNamed) {
    struct Case { const char* what; std::string line; std::vector<std::string> after; const char* words; };
    const Case cases[] = {
        {"the body ends", "<p>A &lt;&lt;forgotten <b>end</b> of a note here</p>", {}, "forgotten end of a note"},
        {"the table cell ends", "<p class=\"p1\">A &lt;&lt;cell note</p>", {"</td>", "<td>", "<p>x&gt;&gt;</p>"}, "cell note"},
        {"the list item ends", "<li class=\"li1\">A &lt;&lt;item note</li>", {"<li class=\"li1\">x&gt;&gt;</li>"}, "item note"},
        {"a heading comes first", "<p>A &lt;&lt;one</p>", {"<p>a</p>", "<p>bookmark: B</p>", "<p>&gt;&gt;</p>"}, "one"},
        {"another note opens first", "<p>A &lt;&lt;one</p>", {"<p>a &lt;&lt;b&gt;&gt;</p>"}, "one"},
        {"another note opens on its line", "<p>A &lt;&lt;one &lt;&lt;</p>", {"<p>b</p>"}, "one"}};
    for (const auto& [what, line, after, words] : cases) {
        const auto made = makeNotes(line, {}, following(after));
        EXPECT_EQ(made.line, line) << what;
        EXPECT_EQ(made.entries, "") << what;
        EXPECT_EQ(made.linesTakenIn, 0u) << what;
        ASSERT_FALSE(made.unclosed.empty()) << what;
        EXPECT_EQ(made.unclosed.front(), words) << what;
    }
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
        {"a note inside a link's text: the link closes around the reference",
         "<p><a href=\"u\">link &lt;&lt;in&gt;&gt; text</a></p>",
         "<p><a href=\"u\">link </a>" + ref(1) + "<a href=\"u\"> text</a></p>", entry(1, "in")},
        {"a link cut by the closing marker closes in the note",
         "<p>See &lt;&lt;a <span class=\"s1\"><a href=\"u\">book&gt;&gt; page</a></span>.</p>",
         "<p>See " + ref(1) + " page</span>.</p>", entry(1, "a <span class=\"s1\"><a href=\"u\">book</a></span>")}};
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

// Each entry stays one paragraph of number, text and way back where it can,
// and valid where it cannot: a paragraph never holds a block.
TEST(NoteEntries, TheNumberLeadsTheFirstParagraphAndTheWayBackEndsTheLast) {
    const std::string back = "<a href=\"section1.xhtml#ref1\">&#8617;</a>";
    struct Case { const char* what; std::string note; bool continued; std::string paragraphs; };
    const Case cases[] = {
        {"a continued note whose first line had nothing after the marker", "<p class=\"p2\">Two.", true,
         "<p class=\"p2\">1. Two. " + back + "</p>"},
        {"a list inside a note on one line", "See<ul><li>a</li></ul>", false,
         para + "1. See</p><ul><li>a</li></ul>" + para + back + "</p>"},
        {"text after a paragraph inside a note on one line", "<p>a</p> and more", false,
         "<p>1. a</p> and more " + back},
        {"a paragraph inside a note on one line takes the way back", "x<p>a</p>", false,
         para + "1. x</p><p>a " + back + "</p>"}};
    for (const auto& [what, note, continued, paragraphs] : cases)
        EXPECT_EQ(entryForm(1, note, continued, {}), "<div id=\"ref1\">" + paragraphs + "</div>\n") << what;
}

TEST(NoteEntries, ANoteRunningTheOtherWayThanItsPageKeepsItsOwnDirection) {
    struct Case { const char* note; bool rightToLeftPage; const char* direction; };
    const Case cases[] = {
        {"Voir : &#171;&#160;Le Petit Prince&#160;&#187;, p. 2.", true, " dir=\"ltr\""},
        {"1999, <i>Paris</i>.", true, " dir=\"ltr\""},  // digits and markup have no direction
        {"&#1513;&#1500;&#1493;&#1501; &#1512;&#1489;, Paris.", true, ""},
        {"&#1513;&#1500;&#1493;&#1501; &#1512;&#1489;, Paris.", false, " dir=\"rtl\""},
        {"&#1497;&#1501;, la mer en h&#233;breu.", true, " dir=\"ltr\""},  // most letters decide, not the first
        {"\xD7\xA9\xD7\x9C", false, " dir=\"rtl\""},  // UTF-8 as well as references
        {"Paris.", false, ""},
        {"42.", true, ""}};
    for (const auto& [note, rightToLeftPage, direction] : cases) {
        const NoteContext context{.rightToLeftPage = rightToLeftPage};
        EXPECT_TRUE(entryForm(1, note, false, context).starts_with("<div id=\"ref1\"" + std::string(direction) + "><p"))
            << note;
        const NoteContext epub3{.epub3 = true, .rightToLeftPage = rightToLeftPage};
        EXPECT_NE(entryForm(1, note, false, epub3).find("id=\"ref1\"" + std::string(direction) + "><p"), std::string::npos)
            << note;
    }
}
