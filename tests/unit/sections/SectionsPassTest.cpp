#include <gtest/gtest.h>

#include "BookUnderTest.h"

using namespace quillary;
using namespace quillary::testing;

TEST(SectionsPass, ProgressIsReportedInBoundedStepsAndAtTheEnd) {
    BookUnderTest book;
    book.body(std::vector<std::string>(5000, "<p>x</p>"));
    book.build();
    EXPECT_GE(book.progress.size(), 50u);
    EXPECT_LE(book.progress.size(), 102u);
    ASSERT_FALSE(book.progress.empty());
    EXPECT_EQ(book.progress.back(), 5004);
}
