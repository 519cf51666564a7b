#include <gtest/gtest.h>

#include "BookUnderTest.h"
#include "build/Text.h"

using namespace quillary;
using namespace quillary::testing;

namespace {

std::string spineOf(std::initializer_list<int> sections) {
    std::string spine;
    for (int n : sections) spine += "    <itemref idref=\"section" + std::to_string(n) + "\"/>\n";
    return spine;
}

}  // namespace

TEST(SectionsPass, BodyWithoutDirectivesIsOneSectionWithoutEntries) {
    BookUnderTest book;
    book.body({"<p>One</p>", "<p>Two</p>"});
    book.build();
    EXPECT_EQ(book.sectionFilesWritten(), 1);
    EXPECT_EQ(book.section(1), wrapped("One") + wrapped("Two"));
    EXPECT_EQ(book.run.contentsList, "");
    EXPECT_EQ(book.c().spine, spineOf({1}));
    EXPECT_EQ(book.c().sectionNumber, 2);
    EXPECT_EQ(book.c().pageText, "");
    auto page = files::readFile(book.h.folder.file("epub/OEBPS/section1.xhtml"));
    EXPECT_EQ(page->substr(0, 24), "<title>The Book</title>\n");
}

TEST(SectionsPass, BodyEndingOnItsFirstLineWritesNothing) {
    BookUnderTest book;
    book.c().lines = {"<html>", "<body>", "<p>a</p></body>", "<p>bookmark: After</p>", "<p>b</p>", "</html>"};
    book.build();
    EXPECT_EQ(book.sectionFilesWritten(), 0);
    EXPECT_EQ(book.c().spine, "");
    EXPECT_EQ(book.c().manifest, "");
    EXPECT_TRUE(book.run.marks.empty());
}

TEST(SectionsPass, LinesAfterTheBodyAreIgnoredByBothPasses) {
    BookUnderTest book;
    book.c().lines = {"<body>", "<p>Inside {{Late}}</p>", "</body>", "<p>bookmark: Late</p>", "<p>outside</p>"};
    book.build();
    EXPECT_EQ(book.sectionFilesWritten(), 1);
    EXPECT_EQ(book.section(1), wrapped("Inside {{Late}}"));
    EXPECT_EQ(book.mark("Late"), "<no mark>");
}

TEST(SectionsPass, HeadingOnTheFirstBodyLineOpensSectionOne) {
    BookUnderTest book;
    book.body({"<p>bookmark: Opening</p>", "<p>Text</p>"});
    book.build();
    EXPECT_EQ(book.sectionFilesWritten(), 1);
    EXPECT_EQ(book.run.contentsList, entry3(1, 1, "Opening"));
    EXPECT_EQ(book.mark("Opening"), "section1.xhtml");
}

TEST(SectionsPass, TextAheadOfTheFirstHeadingIsAnUnnamedFirstSection) {
    BookUnderTest book(false);
    book.body({"<p>Title page</p>", "<p>bookmark: One</p>", "<p>Text</p>"});
    book.build();
    EXPECT_EQ(book.section(1), wrapped("Title page"));
    EXPECT_EQ(book.section(2), wrapped("Text"));
    EXPECT_EQ(book.run.contentsList,
              "<p class=\"tcd\"><span class=\"sz\"><a href=\"section2.xhtml\">One</a><br /></span></p>\n");
    EXPECT_EQ(book.c().navmap,
              "    <navPoint id=\"navpoint-1\" playOrder=\"1\">\n      <navLabel>\n        <text>One</text>\n"
              "      </navLabel>\n      <content src=\"section2.xhtml\"/>\n    </navPoint>\n");
}

TEST(SectionsPass, WorkedExampleOfNineLines) {
    BookUnderTest book(false);
    book.run.endnotesTitle = "EndnotesTitle";
    book.c().lines = {"<html>", "<body>",
                      "<p>A Title</p>",
                      "<p>bookmark: Chapter One</p>",
                      "<p>First text</p>",
                      "<p>bookmark: Chapter Two</p>",
                      "<p>Second {{Chapter Two}}</p>",
                      "<p>#######</p>",
                      "<p>Third</p>",
                      "<p>pnh: Notes</p>",
                      "</body></html>"};
    book.build();
    EXPECT_EQ(book.sectionFilesWritten(), 4);
    EXPECT_EQ(book.section(3), wrapped("Second <a href=\"section3.xhtml\">Chapter Two</a>"));
    EXPECT_EQ(book.section(4), wrapped("Third"));
    EXPECT_EQ(book.run.marks, (std::map<std::string, std::string>{{"Chapter One", "section2.xhtml"},
                                                                    {"Chapter Two", "section3.xhtml"}}));
    EXPECT_EQ(book.run.endnotesTitle, "Notes");
    EXPECT_EQ(book.run.contentsList,
              "<p class=\"tcd\"><span class=\"sz\"><a href=\"section2.xhtml\">Chapter One</a><br /></span></p>\n"
              "<p class=\"tcd\"><span class=\"sz\"><a href=\"section3.xhtml\">Chapter Two</a><br /></span></p>\n"
              "<p class=\"tcd\"><span class=\"sz\"><a href=\"endnotes.xhtml\">Notes</a><br /></span></p>\n");
    // The endnotes document adds its own spine line after the sections.
    EXPECT_TRUE(text::startsWith(book.c().spine, spineOf({1, 2, 3, 4})));
    EXPECT_TRUE(text::startsWith(book.c().navmap,
              "    <navPoint id=\"navpoint-1\" playOrder=\"1\">\n      <navLabel>\n        <text>Chapter One</text>\n"
              "      </navLabel>\n      <content src=\"section2.xhtml\"/>\n    </navPoint>\n"
              "    <navPoint id=\"navpoint-2\" playOrder=\"2\">\n      <navLabel>\n        <text>Chapter Two</text>\n"
              "      </navLabel>\n      <content src=\"section3.xhtml\"/>\n    </navPoint>\n"));
    EXPECT_TRUE(book.c().missingMarks.empty());
}

TEST(SectionsPass, HeadingFollowedByABreakNamesTheSectionAfterTheBreak) {
    BookUnderTest book;
    book.body({"<p>Front</p>", "<p>bookmark: Named</p>", "<p>#######</p>", "<p>Text</p>", "<p>Text</p>",
               "<p>bookmark: Later</p>", "<p>More {{Later}} {{Named}}</p>"});
    book.build();
    EXPECT_EQ(book.sectionFilesWritten(), 3);
    EXPECT_EQ(book.run.contentsList, entry3(1, 2, "Named") + entry3(2, 3, "Later"));
    EXPECT_EQ(book.mark("Named"), "section2.xhtml");
    // Counting the break as a section of its own sent this one past the end.
    EXPECT_EQ(book.mark("Later"), "section3.xhtml");
    EXPECT_EQ(book.section(3), wrapped("More <a href=\"section3.xhtml\">Later</a> <a href=\"section2.xhtml\">Named</a>"));
}

TEST(SectionsPass, BookmarkTwoLinesAfterABreakWithTextBetween) {
    BookUnderTest book;
    book.body({"<p>Front</p>", "<p>#######</p>", "<p>Interlude</p>", "<p>bookmark: Target</p>", "<p>Body</p>"});
    book.build();
    EXPECT_EQ(book.section(2), wrapped("Interlude"));
    EXPECT_EQ(book.section(3), wrapped("Body"));
    EXPECT_EQ(book.mark("Target"), "section3.xhtml");
}

TEST(SectionsPass, SectionOfOnlyAnEmptyParagraphIsDroppedAtADirective) {
    BookUnderTest book;
    book.body({"<p>Front</p>", "<p>#######</p>", "<p class=\"p2\">&nbsp;</p>", "<p>bookmark: Target</p>",
               "<p>Body</p>", "<p>#######</p>", "<p>&nbsp;</p>"});
    book.build();
    EXPECT_EQ(book.sectionFilesWritten(), 3);
    EXPECT_EQ(book.section(2), wrapped("Body"));
    EXPECT_EQ(book.mark("Target"), "section2.xhtml");
    // The last section is written as it is, empty paragraph or not.
    EXPECT_EQ(book.section(3), wrapped("&nbsp;"));
}

TEST(SectionsPass, OneParagraphWithTextBesideANoBreakSpaceIsKept) {
    BookUnderTest book;
    book.body({"<p>#######</p>", "<p><b>&nbsp;</b>Real words</p>", "<p>#######</p>", "<p>After</p>"});
    book.build();
    EXPECT_EQ(book.section(1), wrapped("<b>&nbsp;</b>Real words"));
    EXPECT_EQ(book.section(2), wrapped("After"));
}

TEST(SectionsPass, AdjacentHeadingsGiveOneEntryAndOneMark) {
    BookUnderTest book;
    book.body({"<p>bookmark: First</p>", "<p>bookmark: Second</p>", "<p>Text {{First}}</p>"});
    book.build();
    EXPECT_EQ(book.run.contentsList, entry3(1, 1, "Second"));
    EXPECT_EQ(book.mark("First"), "<no mark>");
    EXPECT_EQ(book.mark("Second"), "section1.xhtml");
    EXPECT_EQ(book.c().missingMarks, std::vector<std::string>{"First"});
}

TEST(SectionsPass, DirectivesInAnyCaseAndLongerBreaks) {
    BookUnderTest book;
    book.body({"<p>a</p>", "<p>BOOKMARK: Upper</p>", "<p>b</p>", "<p>BookMark: Mixed</p>", "<p>c</p>",
               "<p>########</p>", "<p>d</p>", "<p>SRH: Begin</p>", "<p>e</p>"});
    book.build();
    EXPECT_EQ(book.sectionFilesWritten(), 5);
    EXPECT_EQ(book.run.contentsList, entry3(1, 2, "Upper") + entry3(2, 3, "Mixed") + entry3(3, 5, "Begin"));
    EXPECT_EQ(book.mark("Begin"), "section5.xhtml");
}

TEST(SectionsPass, HeadingNameLosesTagsAndNoBreakSpaces) {
    BookUnderTest book;
    book.body({"<p class=\"p1\">bookmark:&nbsp;<b>Part</b>&nbsp;One&nbsp;</p>", "<p>x</p>",
               "<p style=\"margin:0\">bookmark: Styled</p>", "<p>y</p>"});
    book.build();
    EXPECT_EQ(book.run.contentsList, entry3(1, 1, "Part One") + entry3(2, 2, "Styled"));
    EXPECT_EQ(book.mark("Part One"), "section1.xhtml");
}

TEST(SectionsPass, RightToLeftHeadingTakesTheTextBeforeTheDirective) {
    BookUnderTest book;
    book.body({"<p>x</p>", "<p DIR=\"RTL\">&#1508;&#1512;&#1511; bookmark:</p>", "<p>y</p>",
               "<p dir=\"rtl\">&#1513;&#1504;&#1497; SRH:</p>", "<p>z</p>"});
    book.build();
    EXPECT_EQ(book.run.contentsList,
              entry3(1, 2, "&#1508;&#1512;&#1511;") + entry3(2, 3, "&#1513;&#1504;&#1497;"));
    EXPECT_TRUE(book.run.rightToLeftMarksSeen);
    EXPECT_EQ(book.mark("&#1508;&#1512;&#1511;"), "section2.xhtml");
}

TEST(SectionsPass, OnlyTheFirstStartHeadingEntersTheGuide) {
    for (bool epub3 : {false, true}) {
        BookUnderTest book(epub3);
        book.body({"<p>x</p>", "<p>srh: Begin \"here\"</p>", "<p>y</p>", "<p>srh: Again</p>", "<p>z</p>"});
        book.build();
        EXPECT_EQ(book.c().guide,
                  epub3 ? "<li><a epub:type=\"bodymatter\" href=\"section2.xhtml\">Begin \"here\"</a></li>\n"
                        : "    <reference href=\"section2.xhtml\" type=\"text\" title=\"Begin &quot;here&quot;\"/>\n");
        EXPECT_TRUE(book.run.startPlaced);
    }
}

TEST(SectionsPass, UnfinishedLinesAreJoined) {
    BookUnderTest book;
    book.body({"<p>first part", "second part", "end</p>", "<p>next</p>"});
    book.build();
    EXPECT_EQ(book.section(1), wrapped("first part<br />second part<br />end") + wrapped("next"));
}

TEST(SectionsPass, SoftLineBreaksJoinUpToTheParagraphEndOrADirective) {
    BookUnderTest book;
    book.body({"<p>verse one<br />", "verse two<br />", "</p>", "<p>line<br />", "<p>bookmark: Next</p>",
               "<p>after</p>"});
    book.build();
    EXPECT_EQ(book.section(1), wrapped("verse one<br />verse two<br /><br />") + wrapped("line<br />"));
    EXPECT_EQ(book.section(2), wrapped("after"));
    EXPECT_EQ(book.mark("Next"), "section2.xhtml");
}

TEST(SectionsPass, JoiningNeverSwallowsTheBodyEnd) {
    BookUnderTest book;
    book.c().lines = {"<body>", "<p>unfinished", "</body>", "<p>after</p>", "</html>"};
    book.build();
    EXPECT_EQ(book.section(1), "<p><span class=\"sz\">unfinished</span>\n");
}

TEST(SectionsPass, ContentsHeadingPlacesTheContentsPageOnce) {
    BookUnderTest book;
    book.body({"<p>x</p>", "<p>toc: Table</p>", "<p>y</p>", "<p>bookmark: Contents</p>", "<p>z</p>"});
    book.build();
    EXPECT_EQ(book.run.contentsTitle, "Table");
    EXPECT_TRUE(book.run.contentsPlaced);
    EXPECT_EQ(book.c().spine, spineOf({1}) + "    <itemref idref=\"toc\"/>\n" + spineOf({2, 3}));
    // The toc section gets no entry; the bookmark named Contents keeps one.
    EXPECT_EQ(book.run.contentsList, entry3(2, 3, "Contents"));
    EXPECT_EQ(text::split(book.c().navmap, "toc.xhtml").size(), 2u);
    EXPECT_EQ(book.c().navPoint, 3);
}

TEST(SectionsPass, NavigationNumbersStayUniqueAroundAnEndnotesHeading) {
    BookUnderTest book;
    book.body({"<p>bookmark: One</p>", "<p>a</p>", "<p>pnh: Notes</p>", "<p>b</p>", "<p>bookmark: Two</p>",
               "<p>c</p>", "<p>PNH: Again</p>"});
    book.build();
    EXPECT_EQ(book.run.contentsList,
              entry3(1, 1, "One") + "<li id=\"navpoint-2\"><a href=\"endnotes.xhtml\">Notes</a></li>\n" +
                  entry3(3, 3, "Two"));
    EXPECT_EQ(book.c().navPoint, 4);
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

TEST(SectionsPass, StartHeadingWithoutTextAfterItPointsAtTheLastSection) {
    BookUnderTest book(false);
    book.body({"<p>x</p>", "<p>#######</p>", "<p>y</p>", "<p>srh: Too Late</p>"});
    book.c().guide = "<kept/>\n";
    book.build();
    EXPECT_EQ(book.c().guide,
              "<kept/>\n    <reference href=\"section2.xhtml\" type=\"text\" title=\"Too Late\"/>\n");
    EXPECT_TRUE(book.run.startPlaced);

    BookUnderTest empty;
    empty.body({"<p>srh: Nothing</p>"});
    empty.build();
    EXPECT_EQ(empty.c().guide, "");
    EXPECT_FALSE(empty.run.startPlaced);
}

TEST(InsertNavPointForName, SkipsUnnamedContentsAndEndnotesSections) {
    BookUnderTest book;
    book.c().sectionNumber = 4;
    book.c().navPoint = 2;
    for (const char* skipped : {"", "contents", "endnotes"}) EXPECT_EQ(book.c().insertNavPointForName(skipped, "x"), "x");
    EXPECT_EQ(book.c().insertNavPointForName("Endnotes", "x"), "x" + entry3(2, 3, "Endnotes"));
    EXPECT_EQ(book.c().navPoint, 3);
}
