#include <gtest/gtest.h>

#include <tuple>

#include "base/Text.h"
#include "base/Xml.h"

using namespace quillary;

TEST(TextReplaceAll, GoesOnBehindInsertedTextAndCountsMatches) {
    const std::tuple<std::string, const char*, const char*, const char*, std::size_t> cases[] = {
        {"a--b--c", "-", "--", "a----b----c", 4}, {"aaaa", "aa", "a", "aa", 2}, {"unchanged", "", "x", "unchanged", 0}};
    for (auto [text, from, to, replaced, count] : cases) {
        EXPECT_EQ(text::replaceAll(text, from, to), count) << from;
        EXPECT_EQ(text, replaced);
    }
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

TEST(XmlEscaped, WritesOnlyTheChosenMarkupCharactersAsReferences) {
    EXPECT_EQ(xml::escaped("a & <b> \"c\" 'd' \xC3\xA9"), "a &amp; &lt;b&gt; &quot;c&quot; 'd' \xC3\xA9");
    EXPECT_EQ(xml::escaped("&#233; <br> \"q\"", "\""), "&#233; <br> &quot;q&quot;");
}
