#include <gtest/gtest.h>

#include "base/Text.h"

using namespace quillary;

TEST(TextReplaceAll, GoesOnBehindInsertedTextAndCountsMatches) {
    std::string s = "a--b--c";
    EXPECT_EQ(text::replaceAll(s, "-", "--"), 4u);
    EXPECT_EQ(s, "a----b----c");
    std::string t = "aaaa";
    text::replaceAll(t, "aa", "a");
    EXPECT_EQ(t, "aa");
    std::string u = "unchanged";
    EXPECT_EQ(text::replaceAll(u, "", "x"), 0u);
    EXPECT_EQ(u, "unchanged");
}

TEST(TextSearch, IgnoresAsciiCaseOnlyWhereAsked) {
    EXPECT_TRUE(text::containsIgnoringCase("<P>BookMark: One", "bookmark:"));
    EXPECT_FALSE(text::contains("<P>BookMark: One", "bookmark:"));
    EXPECT_EQ(text::findIgnoringCase("xxToC:", "toc:"), 2u);
    EXPECT_EQ(text::findIgnoringCase("short", "longer needle"), std::string::npos);
    EXPECT_EQ(text::findIgnoringCase("abc", "c", 5), std::string::npos);
}

TEST(TextFormat, FillsPlaceholdersInOrder) {
    EXPECT_EQ(text::format("%@ of %d (%ld) 100%%", {"one", "2", "3"}), "one of 2 (3) 100%");
    EXPECT_EQ(text::format("missing: %@", {}), "missing: ");
    EXPECT_EQ(text::format("trailing %", {}), "trailing %");
}
