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
