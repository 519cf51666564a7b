#include <gtest/gtest.h>

#include "../sections/BookUnderTest.h"
#include "build/Text.h"

using namespace quillary;
using namespace quillary::testing;

namespace {

// Resolves the cross-references of one line against the given marks.
std::string resolved(VoveZedevir& c, const std::map<std::string, std::string>& marks, const std::string& line) {
    EpubRun run;
    run.marks = marks;
    c.line = line;
    c.resolveCrossReferences(run);
    return c.line;
}

}  // namespace

TEST(MarksPass, BreakFollowedByABookmarkGivesOneSectionNamedByIt) {
    BookUnderTest book;
    book.body({"<p>front</p>", "<p>#######</p>", "<p>bookmark: Named</p>", "<p>text</p>", "<p>pnh: Notes</p>",
               "<p>&nbsp;</p>", "<p>srh: Begin</p>", "<p>story</p>"});
    book.build();
    EXPECT_EQ(book.mark("Named"), "section2.xhtml");
    EXPECT_EQ(book.section(2), wrapped("text"));
    EXPECT_EQ(book.mark("Begin"), "section3.xhtml");
    EXPECT_EQ(book.section(3), wrapped("story"));
}

TEST(MarksPass, EveryMarkPointsAtTheFileHoldingItsText) {
    // A mixed book: each mark's text starts with its own name, so the file a
    // mark maps to must begin with that name.
    BookUnderTest book;
    book.body({"<p>front</p>", "<p>bookmark: A</p>", "<p>#######</p>", "<p>A text</p>", "<p>#######</p>",
               "<p>filler</p>", "<p>bookmark: B</p>", "<p>B text</p>", "<p>toc: Contents</p>",
               "<p>&nbsp;</p>", "<p>bookmark: C</p>", "<p>C text</p>", "<p>#######</p>", "<p>&nbsp;</p>",
               "<p>#######</p>", "<p>bookmark: D</p>", "<p>D text</p>"});
    book.build();
    for (const std::string name : {"A", "B", "C", "D"}) {
        const std::string file = book.mark(name);
        ASSERT_NE(file, "<no mark>") << name;
        const int n = std::stoi(file.substr(7));
        EXPECT_TRUE(text::startsWith(book.section(n), "<p><span class=\"sz\">" + name + " text")) << name;
    }
}

TEST(MarksPass, DuplicateMarksAreFlaggedAndTheLaterOneWins) {
    BookUnderTest book;
    book.body({"<p>{{Twice}}</p>", "<p>bookmark: Twice</p>", "<p>a</p>", "<p>bookmark: Twice</p>", "<p>b</p>"});
    book.build();
    EXPECT_TRUE(book.c().duplicateMarks);
    EXPECT_FALSE(book.run.rightToLeftMarksSeen);
    EXPECT_EQ(book.section(1), wrapped("<a href=\"section3.xhtml\">Twice</a>"));
}

TEST(MarksPass, EndnotesAndContentsNamesAreNotMarks) {
    BookUnderTest book;
    book.body({"<p>x</p>", "<p>bookmark: My ENDNOTES</p>", "<p>y</p>", "<p>bookmark: contents</p>", "<p>z</p>",
               "<p>bookmark: Real</p>", "<p>{{contents}} {{My ENDNOTES}}</p>"});
    book.build();
    EXPECT_EQ(book.run.marks, (std::map<std::string, std::string>{{"Real", "section4.xhtml"}}));
    EXPECT_EQ(book.c().missingMarks, (std::vector<std::string>{"contents", "My ENDNOTES"}));
}

TEST(MarksPass, MarkWithoutTextAfterItMapsToTheLastWrittenSection) {
    BookUnderTest book;
    book.body({"<p>{{Tail}}</p>", "<p>more</p>", "<p>bookmark: Tail</p>"});
    book.build();
    EXPECT_EQ(book.sectionFilesWritten(), 1);
    EXPECT_EQ(book.mark("Tail"), "section1.xhtml");
}

TEST(MarksPass, BodyWithoutTextKeepsNoMark) {
    BookUnderTest book;
    book.body({"<p>bookmark: Alone</p>"});
    book.c().marksPass(book.run);
    EXPECT_TRUE(book.run.marks.empty());
}

TEST(CrossReferences, ResolveAheadOfTheirMark) {
    BookUnderTest book;
    book.body({"<p>See {{<i>Later</i>}} and {{Later}}.</p>", "<p>bookmark: Later</p>", "<p>there</p>"});
    book.build();
    EXPECT_EQ(book.section(1),
              wrapped("See <a href=\"section2.xhtml\">Later</a> and <a href=\"section2.xhtml\">Later</a>."));
    EXPECT_TRUE(book.c().missingMarks.empty());
}

TEST(CrossReferences, WithoutAnyMarkStayAsTypedAndAreNotReported) {
    BookUnderTest book;
    book.body({"<p>See {{Nowhere}}</p>"});
    book.build();
    EXPECT_EQ(book.section(1), wrapped("See {{Nowhere}}"));
    EXPECT_TRUE(book.c().missingMarks.empty());
}

TEST(CrossReferences, MissingNamesAreReportedPerOccurrenceAndLinkToTheirOwnSection) {
    BookUnderTest book;
    book.body({"<p>a</p>", "<p>bookmark: Here</p>", "<p>{{Gone}} and {{Gone}}</p>", "<p>{{Lost}}</p>"});
    book.build();
    EXPECT_EQ(book.section(2), wrapped("<a href=\"section2.xhtml\">Gone</a> and <a href=\"section2.xhtml\">Gone</a>") +
                                   wrapped("<a href=\"section2.xhtml\">Lost</a>"));
    EXPECT_EQ(book.c().missingMarks, (std::vector<std::string>{"Gone", "Gone", "Lost"}));
}

TEST(CrossReferences, UnclosedReferenceIsReportedAndLeftAsTyped) {
    Harness h(false);
    const std::map<std::string, std::string> marks{{"A", "section2.xhtml"}};
    EXPECT_EQ(resolved(h.c(), marks, "<p>{{A}} then {{A and more</p>"),
              "<p><a href=\"section2.xhtml\">A</a> then {{A and more</p>");
    EXPECT_EQ(h.c().missingMarks, std::vector<std::string>{"A and more"});
}

TEST(CrossReferences, NameHoldingBracesIsReadOnce) {
    Harness h(false);
    h.c().sectionNumber = 7;
    const std::map<std::string, std::string> marks{{"A", "section2.xhtml"}};
    EXPECT_EQ(resolved(h.c(), marks, "<p>{{x{{A}} {{A}}</p>"),
              "<p><a href=\"section7.xhtml\">x{{A</a> <a href=\"section2.xhtml\">A</a></p>");
    EXPECT_EQ(h.c().missingMarks, std::vector<std::string>{"x{{A"});
}
