#include <gtest/gtest.h>

#include "build/Normalise.h"
#include "support/Harness.h"

using namespace quillary;

using Links = std::vector<std::string>;

TEST(FixLinks, SpanFormKeepsTheBlankAndSpanAroundTheLink) {
    Links bad;
    EXPECT_EQ(fixLinks("<p class=\"p1\">HYPERLINK \"http://www.example.com/\" "
                       "<span class=\"s1\">Example</span> and on</p>",
                       bad),
              "<p class=\"p1\"> <span class=\"s1\"><a href=\"http://www.example.com/\">Example</a>"
              "</span> and on</p>");
    EXPECT_TRUE(bad.empty());
}

TEST(FixLinks, EndTagFormTakesTheTextUpToTheNextEndTag) {
    Links bad;
    EXPECT_EQ(fixLinks("<p>See HYPERLINK \"https://a.org/x?q=1&amp;r=2\"the site</p>", bad),
              "<p>See <a href=\"https://a.org/x?q=1&amp;r=2\">the site</a></p>");
    EXPECT_TRUE(bad.empty());
}

TEST(FixLinks, TwoFieldsOnALineBecomeLinksInOrder) {
    Links bad;
    const std::string line =
        "<p>HYPERLINK \"www.first.com\" <span class=\"s1\">first</span> then "
        "HYPERLINK \"second.html\" <span class=\"s2\">second</span></p>";
    EXPECT_EQ(fixLinks(line, bad),
              "<p> <span class=\"s1\"><a href=\"www.first.com\">first</a></span> then "
              " <span class=\"s2\"><a href=\"second.html\">second</a></span></p>");
    EXPECT_EQ(bad, (Links{"first", "second"}));
}

TEST(FixLinks, AnEndTagFieldDoesNotBorrowTheNextFieldsSpan) {
    Links bad;
    const std::string line =
        "<p>HYPERLINK \"http://a.com\"one</a> and HYPERLINK \"http://b.com\" "
        "<span class=\"s1\">two</span></p>";
    EXPECT_EQ(fixLinks(line, bad),
              "<p><a href=\"http://a.com\">one</a></a> and  <span class=\"s1\">"
              "<a href=\"http://b.com\">two</a></span></p>");
    EXPECT_TRUE(bad.empty());
}

TEST(FixLinks, TargetsWithoutSchemeOrHostAreReportedButStillLinked) {
    Links bad;
    EXPECT_EQ(fixLinks("HYPERLINK \"example.com\"bare</p>", bad), "<a href=\"example.com\">bare</a></p>");
    fixLinks("HYPERLINK \"../notes/ch1.html\"relative</p>", bad);
    fixLinks("HYPERLINK \"mailto:me@example.com\"mail</p>", bad);
    fixLinks("HYPERLINK \"file:///tmp/x\"no host</p>", bad);
    fixLinks("HYPERLINK \"http://exa mple.com\"blank</p>", bad);
    EXPECT_EQ(bad, (Links{"bare", "relative", "mail", "no host", "blank"}));
}

TEST(FixLinks, LinesWithoutTheFieldFormComeBackUnchanged) {
    Links bad;
    const std::vector<std::string> lines = {
        "<p>No fields at all</p>",
        "<p>The HYPERLINK word and HYPERLINK again in running text</p>",
        "<p>HYPERLINK \"unterminated target</p>",
        "<p>HYPERLINK \"http://a.com\" but no end tag anywhere",
        "<p>HYPERLINK \"http://a.com\" <span class=\"s1\">span never closed</p>",
        "HYPERLINK",
        "HYPERLINK \"",
        "HYPERLINKHYPERLINK \"x\"",
        "<p>A HYPERLINK, then HYPERLINK \"http://a.com/HYPERLINK\"x</p>",
    };
    for (const auto& line : lines) EXPECT_EQ(fixLinks(line, bad), line);
    // Running text before a real field does not keep the field from its link.
    EXPECT_EQ(fixLinks("<p>A HYPERLINK, then HYPERLINK \"http://a.com\"x</p>", bad),
              "<p>A HYPERLINK, then <a href=\"http://a.com\">x</a></p>");
    EXPECT_TRUE(bad.empty());
}

TEST(FixLinks, ControllerAppendsToBadLinks) {
    quillary::testing::Harness h(false);
    h.c().badLinks = {"earlier"};
    EXPECT_EQ(h.c().fixLinks("HYPERLINK \"nowhere\"here</p>"), "<a href=\"nowhere\">here</a></p>");
    EXPECT_EQ(h.c().fixLinks("<p>plain</p>"), "<p>plain</p>");
    EXPECT_EQ(h.c().badLinks, (Links{"earlier", "here"}));
}
