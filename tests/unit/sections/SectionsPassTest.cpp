#include <gtest/gtest.h>

#include "BookUnderTest.h"

using namespace quillary;
using namespace quillary::testing;

namespace {

std::string spineOf(std::initializer_list<int> sections) {
    std::string spine;
    for (int n : sections) spine += "    <itemref idref=\"section" + std::to_string(n) + "\"/>\n";
    return spine;
}

}  // namespace

TEST(SectionsPass, WhereSectionsBeginAndWhatTheyHold) {
    expectBooks({
        {.what = "a body without directives is one section without entries", .body = "One|Two",
         .sections = {"One|Two"}, .contents = "", .more = [](BookUnderTest& book) {
             EXPECT_EQ(book.c().spine, spineOf({1}));
             EXPECT_EQ(book.c().sectionNumber, 2);
             EXPECT_EQ(book.c().pageText, "");
             auto page = files::readFile(book.h.folder.file("epub/OEBPS/section1.xhtml"));
             EXPECT_EQ(page->substr(0, 24), "<title>The Book</title>\n");
         }},
        // Counting the break as a section of its own sent "Later" past the end.
        {.what = "a heading followed by a break names the section after the break",
         .body = "Front|bookmark: Named|#######|Text|Text|bookmark: Later|More {{Later}} {{Named}}",
         .sections = {"Front", "Text|Text",
                      "More <a href=\"section3.xhtml\">Later</a> <a href=\"section2.xhtml\">Named</a>"},
         .contents = entry3(1, 2, "Named") + entry3(2, 3, "Later"),
         .marks = {{"Named", "section2.xhtml"}, {"Later", "section3.xhtml"}}},
        {.what = "a bookmark two lines after a break", .body = "Front|#######|Interlude|bookmark: Target|Body",
         .sections = {"Front", "Interlude", "Body"}, .contents = entry3(1, 3, "Target"),
         .marks = {{"Target", "section3.xhtml"}}},
        // The last section is written as it is, empty paragraph or not.
        {.what = "a section of only an empty paragraph is dropped at a directive",
         .body = "Front|#######|<p class=\"p2\">&nbsp;</p>|bookmark: Target|Body|#######|&nbsp;",
         .sections = {"Front", "Body", "&nbsp;"}, .contents = entry3(1, 2, "Target"),
         .marks = {{"Target", "section2.xhtml"}}},
        {.what = "one paragraph with text beside a no-break space is kept",
         .body = "#######|<p><b>&nbsp;</b>Real words</p>|#######|After",
         .sections = {"<b>&nbsp;</b>Real words", "After"}},
        {.what = "adjacent headings on the first lines give one entry and one mark",
         .body = "bookmark: First|bookmark: Second|Text {{First}}",
         .sections = {"Text <a href=\"section1.xhtml\">First</a>"}, .contents = entry3(1, 1, "Second"),
         .marks = {{"Second", "section1.xhtml"}}, .missing = {"First"}},
        {.what = "directives in any case and longer breaks",
         .body = "a|BOOKMARK: Upper|b|BookMark: Mixed|c|########|d|SRH: Begin|e",
         .sections = {"a", "b", "c", "d", "e"},
         .contents = entry3(1, 2, "Upper") + entry3(2, 3, "Mixed") + entry3(3, 5, "Begin"),
         .marks = {{"Upper", "section2.xhtml"}, {"Mixed", "section3.xhtml"}, {"Begin", "section5.xhtml"}}},
        {.what = "heading names lose tags and no-break spaces",
         .body = "<p class=\"p1\">bookmark:&nbsp;<b>Part</b>&nbsp;One&nbsp;</p>|x|"
                 "<p style=\"margin:0\">bookmark: Styled</p>|y",
         .sections = {"x", "y"}, .contents = entry3(1, 1, "Part One") + entry3(2, 2, "Styled"),
         .marks = {{"Part One", "section1.xhtml"}, {"Styled", "section2.xhtml"}}},
        {.what = "unfinished lines are joined", .body = "<p>first part\nsecond part\nend</p>|next",
         .sections = {"first part<br />second part<br />end|next"}},
        {.what = "soft line breaks join up to the paragraph end or a directive",
         .body = "<p>verse one<br />\nverse two<br />\n</p>|<p>line<br />|bookmark: Next|after",
         .sections = {"verse one<br />verse two<br /><br />|line<br />", "after"},
         .contents = entry3(1, 2, "Next"), .marks = {{"Next", "section2.xhtml"}}},
        {.what = "a right-to-left heading takes the text before the directive",
         .body = "x|<p DIR=\"RTL\">&#1508;&#1512;&#1511; bookmark:</p>|y|<p dir=\"rtl\">&#1513;&#1504;&#1497; SRH:</p>|z",
         .sections = {"x", "y", "z"}, .contents = entry3(1, 2, "&#1508;&#1512;&#1511;") + entry3(2, 3, "&#1513;&#1504;&#1497;"),
         .marks = {{"&#1508;&#1512;&#1511;", "section2.xhtml"}, {"&#1513;&#1504;&#1497;", "section3.xhtml"}},
         .more = [](BookUnderTest& book) { EXPECT_TRUE(book.run.rightToLeftMarksSeen); }},
        // The toc section gets no entry; the bookmark named Contents keeps one.
        {.what = "a contents heading places the contents page once", .body = "x|toc: Table|y|bookmark: Contents|z",
         .sections = {"x", "y", "z"}, .contents = entry3(2, 3, "Contents"), .more = [](BookUnderTest& book) {
             EXPECT_EQ(book.run.contentsTitle, "Table");
             EXPECT_TRUE(book.run.contentsPlaced);
             EXPECT_EQ(book.c().spine, spineOf({1}) + "    <itemref idref=\"toc\"/>\n" + spineOf({2, 3}));
             EXPECT_EQ(text::split(book.c().navmap, "toc.xhtml").size(), 2u);
             EXPECT_EQ(book.c().navPoint, 3);
         }},
        {.what = "navigation numbers stay unique around an endnotes heading",
         .body = "bookmark: One|a|pnh: Notes|b|bookmark: Two|c|PNH: Again", .sections = {"a", "b", "c"},
         .contents = entry3(1, 1, "One") + "<li id=\"navpoint-2\"><a href=\"endnotes.xhtml\">Notes</a></li>\n" +
                     entry3(3, 3, "Two"),
         .marks = {{"One", "section1.xhtml"}, {"Two", "section3.xhtml"}},
         .more = [](BookUnderTest& book) { EXPECT_EQ(book.c().navPoint, 4); }},
        {.what = "a right-to-left heading typed directive first takes the text after it",
         .body = "x|<p dir=\"rtl\">bookmark: &#1488;</p>|y|<p dir=\"rtl\">bookmark: &#1489;</p>|z {{&#1488;}}",
         .sections = {"x", "y", "z <a href=\"section2.xhtml\">&#1488;</a>"},
         .contents = entry3(1, 2, "&#1488;") + entry3(2, 3, "&#1489;"),
         .marks = {{"&#1488;", "section2.xhtml"}, {"&#1489;", "section3.xhtml"}},
         .more = [](BookUnderTest& book) { EXPECT_FALSE(book.c().duplicateMarks); }},
        {.what = "a start heading without a name is named by the section's first words or its number",
         .body = "x|srh:|One two three four five six|SRH: <b></b>|<p><img src=\"a.png\"/></p>",
         .sections = {"x", "One two three four five six", "<img src=\"a.png\"/>"},
         .contents = entry3(1, 2, "One two three four five") + entry3(2, 3, "Section 3"),
         .more = [](BookUnderTest& book) {
             EXPECT_EQ(book.c().guide, "<li><a epub:type=\"bodymatter\" href=\"section2.xhtml\">One two three four "
                                       "five</a></li>\n");
             EXPECT_FALSE(book.c().duplicateMarks);
         }},
        {.what = "contents and endnotes headings without a name keep their titles", .body = "x|toc:|y|pnh:",
         .sections = {"x", "y"}, .more = [](BookUnderTest& book) {
             EXPECT_EQ(book.run.contentsTitle, "ContentsTitle");
             EXPECT_EQ(book.run.endnotesTitle, "EndnotesTitle");
         }},
        {.what = "lines after the body are ignored by both passes",
         .body = "Inside {{Late}}|</body>|bookmark: Late|outside", .sections = {"Inside {{Late}}"}},
    });
}

TEST(SectionsPass, ABodyEndingOnItsFirstLineOrInsideAParagraph) {
    BookUnderTest first;
    expectBook(first, {.what = "ends on its first line", .body = "<p>a</p></body>|bookmark: After|b", .sections = {}});
    EXPECT_EQ(first.c().spine, "");
    EXPECT_EQ(first.c().manifest, "");

    BookUnderTest unfinished;
    unfinished.c().lines = {"<body>", "<p>unfinished", "</body>", "<p>after</p>", "</html>"};
    unfinished.build();
    EXPECT_EQ(unfinished.sectionFilesWritten(), 1);
    EXPECT_EQ(unfinished.section(1), "<p><span class=\"sz\">unfinished</span>\n</p>\n");
}

// Tables and lists as the converter writes them: each tag and each
// paragraph on a line of its own.
TEST(SectionsPass, ADirectiveInATableOrListCutsItAndEachPageClosesWhatItOpened) {
    const std::string table = "<table class=\"t1\">\n<tbody>\n<tr>\n<td class=\"td1\">\n";
    const std::string tableEnd = "</td>\n</tr>\n</tbody>\n</table>\n";
    struct Case { const char* what; std::string body; std::vector<std::string> pages; };
    const Case cases[] = {
        {"a heading in a table cell",
         table + "<p>Name</p>\n</td>\n<td class=\"td2\">\n<p>srh: Inside</p>\n</td>\n</tr>\n<tr>\n"
                 "<td class=\"td1\">\n<p>Two</p>\n" + tableEnd + "<p>After</p>",
         {table + wrapped("Name") + tableEnd, table + wrapped("Two") + tableEnd + wrapped("After")}},
        {"a break in a cell's second paragraph",
         table + "<p>One</p>\n<p>#######</p>\n<p>Two</p>\n" + tableEnd + "<p>After</p>",
         {table + wrapped("One") + tableEnd, table + wrapped("Two") + tableEnd + wrapped("After")}},
        {"a heading in a table's last cell, a break after the table",
         table + "<p>One</p>\n</td>\n<td class=\"td2\">\n<p>srh: Two</p>\n" + tableEnd + "<p>#######</p>\n<p>After</p>",
         {table + wrapped("One") + tableEnd,
          "<table class=\"t1\">\n<tbody>\n<tr>\n<td class=\"td2\">\n" + tableEnd, wrapped("After")}},
        {"a bookmark in a list item",
         "<ul class=\"ul1\">\n<li class=\"li1\">One</li>\n<li class=\"li1\">bookmark: B</li>\n"
         "<li class=\"li1\">Three</li>\n</ul>",
         {"<ul class=\"ul1\">\n<li class=\"li1\"><span class=\"sz\">One</span></li>\n</ul>\n",
          "<ul class=\"ul1\">\n<li class=\"li1\"><span class=\"sz\">Three</span></li>\n</ul>\n"}},
        {"a break in a list's first and last items",
         "<p>Before</p>\n<ol class=\"ol1\">\n<li>#######</li>\n<li>Two</li>\n<li>#######</li>\n</ol>\n<p>After</p>",
         {wrapped("Before"), "<ol class=\"ol1\">\n<li><span class=\"sz\">Two</span></li>\n</ol>\n", wrapped("After")}}};
    for (const auto& [what, body, pages] : cases) {
        BookUnderTest book;
        book.body(text::split(body, "\n"));
        book.build();
        std::vector<std::string> written;
        for (int n = 1; n <= book.sectionFilesWritten(); ++n) written.push_back(book.section(n));
        EXPECT_EQ(written, pages) << what;
    }
}

TEST(SectionsPass, WorkedExampleOfNineLinesInEpub2) {
    BookUnderTest book(false);
    expectBook(book, {.what = "worked example",
                      .body = "A Title|bookmark: Chapter One|First text|bookmark: Chapter Two|Second {{Chapter Two}}|"
                              "#######|Third|pnh: Notes",
                      .sections = {"A Title", "First text", "Second <a href=\"section3.xhtml\">Chapter Two</a>",
                                   "Third"},
                      .contents = "<p class=\"tcd\"><span class=\"sz\"><a href=\"section2.xhtml\">Chapter One</a>"
                                  "<br /></span></p>\n<p class=\"tcd\"><span class=\"sz\"><a href=\"section3.xhtml\">"
                                  "Chapter Two</a><br /></span></p>\n<p class=\"tcd\"><span class=\"sz\">"
                                  "<a href=\"endnotes.xhtml\">Notes</a><br /></span></p>\n",
                      .marks = {{"Chapter One", "section2.xhtml"}, {"Chapter Two", "section3.xhtml"}}});
    EXPECT_EQ(book.run.endnotesTitle, "Notes");
    // The endnotes document adds its own spine line and navigation point after the sections.
    EXPECT_TRUE(text::startsWith(book.c().spine, spineOf({1, 2, 3, 4})));
    EXPECT_TRUE(text::startsWith(book.c().navmap,
              "    <navPoint id=\"navpoint-1\" playOrder=\"1\">\n      <navLabel>\n        <text>Chapter One</text>\n"
              "      </navLabel>\n      <content src=\"section2.xhtml\"/>\n    </navPoint>\n"
              "    <navPoint id=\"navpoint-2\" playOrder=\"2\">\n      <navLabel>\n        <text>Chapter Two</text>\n"
              "      </navLabel>\n      <content src=\"section3.xhtml\"/>\n    </navPoint>\n"));
}

TEST(SectionsPass, TheFirstStartHeadingEntersTheGuideEvenWithoutTextAfterIt) {
    for (bool epub3 : {false, true}) {
        BookUnderTest book(epub3);
        expectBook(book, {.what = "two start headings", .body = "x|srh: Begin \"here\"|y|srh: Again|z",
                          .sections = {"x", "y", "z"},
                          .marks = {{"Begin \"here\"", "section2.xhtml"}, {"Again", "section3.xhtml"}}});
        EXPECT_EQ(book.c().guide,
                  epub3 ? "<li><a epub:type=\"bodymatter\" href=\"section2.xhtml\">Begin \"here\"</a></li>\n"
                        : "    <reference href=\"section2.xhtml\" type=\"text\" title=\"Begin &quot;here&quot;\"/>\n");
        EXPECT_TRUE(book.run.startPlaced);
    }
    BookUnderTest late(false);
    late.c().guide = "<kept/>\n";
    expectBook(late, {.what = "last", .body = "x|#######|y|srh: Too Late", .sections = {"x", "y"},
                      .marks = {{"Too Late", "section2.xhtml"}}});
    EXPECT_EQ(late.c().guide, "<kept/>\n    <reference href=\"section2.xhtml\" type=\"text\" title=\"Too Late\"/>\n");
    EXPECT_TRUE(late.run.startPlaced);

    BookUnderTest empty;
    expectBook(empty, {.what = "no text", .body = "srh: Nothing", .sections = {}});
    EXPECT_EQ(empty.c().guide, "");
    EXPECT_FALSE(empty.run.startPlaced);
}

TEST(SectionsPass, ProgressIsReportedInBoundedStepsAndAtTheEnd) {
    BookUnderTest book;
    book.body(std::vector<std::string>(5000, "<p>x</p>"));
    book.build();
    const std::size_t posted = book.h.queue.pending();
    EXPECT_GE(posted, 50u);
    EXPECT_LE(posted, 102u);
    book.h.queue.drain();
    ASSERT_FALSE(book.h.window.progressValues.empty());
    EXPECT_EQ(book.h.window.progressValues.back(), 5004.0);
}

TEST(InsertNavPointForName, SkipsUnnamedContentsAndEndnotesSections) {
    BookUnderTest book;
    book.c().sectionNumber = 4;
    book.c().navPoint = 2;
    for (const char* skipped : {"", "contents", "endnotes"}) EXPECT_EQ(book.c().insertNavPointForName(skipped, "x"), "x");
    EXPECT_EQ(book.c().insertNavPointForName("Endnotes", "x"), "x" + entry3(2, 3, "Endnotes"));
    EXPECT_EQ(book.c().navPoint, 3);
}
