#include <gtest/gtest.h>

#include "BookUnderTest.h"

using namespace quillary;
using namespace quillary::testing;

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
    EXPECT_EQ(book.c().insertNavPointForName("Endnotes", "x"),
              "x<li id=\"navpoint-2\"><a href=\"section3.xhtml\">Endnotes</a></li>\n");
    EXPECT_EQ(book.c().navPoint, 3);
}
