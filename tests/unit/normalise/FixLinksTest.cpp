#include <gtest/gtest.h>

#include "manuscript/Normalise.h"

using namespace quillary;

using Links = std::vector<std::string>;

TEST(FixLinks, FieldsBecomeLinksAndTargetsWithoutSchemeOrHostAreReported) {
    struct Case {
        std::string line, linked;
        Links bad;
    };
    const Case cases[] = {
        // The span form keeps the blank and the span around the link.
        {"<p class=\"p1\">HYPERLINK \"http://www.example.com/\" <span class=\"s1\">Example</span> and on</p>",
         "<p class=\"p1\"> <span class=\"s1\"><a href=\"http://www.example.com/\">Example</a></span> and on</p>", {}},
        // The end-tag form takes the text up to the next end tag.
        {"<p>See HYPERLINK \"https://a.org/x?q=1&amp;r=2\"the site</p>",
         "<p>See <a href=\"https://a.org/x?q=1&amp;r=2\">the site</a></p>", {}},
        // Two fields on a line, in order.
        {"<p>HYPERLINK \"www.first.com\" <span class=\"s1\">first</span> then "
         "HYPERLINK \"second.html\" <span class=\"s2\">second</span></p>",
         "<p> <span class=\"s1\"><a href=\"www.first.com\">first</a></span> then "
         " <span class=\"s2\"><a href=\"second.html\">second</a></span></p>", {"first", "second"}},
        // An end-tag field does not borrow the next field's span.
        {"<p>HYPERLINK \"http://a.com\"one</a> and HYPERLINK \"http://b.com\" <span class=\"s1\">two</span></p>",
         "<p><a href=\"http://a.com\">one</a></a> and  <span class=\"s1\"><a href=\"http://b.com\">two</a></span></p>",
         {}},
        // Running text before a real field does not keep the field from its link.
        {"<p>A HYPERLINK, then HYPERLINK \"http://a.com\"x</p>",
         "<p>A HYPERLINK, then <a href=\"http://a.com\">x</a></p>", {}},
        {"HYPERLINK \"example.com\"bare</p>", "<a href=\"example.com\">bare</a></p>", {"bare"}},
        {"HYPERLINK \"../notes/ch1.html\"relative</p>", "<a href=\"../notes/ch1.html\">relative</a></p>", {"relative"}},
        {"HYPERLINK \"mailto:me@example.com\"mail</p>", "<a href=\"mailto:me@example.com\">mail</a></p>", {"mail"}},
        {"HYPERLINK \"file:///tmp/x\"no host</p>", "<a href=\"file:///tmp/x\">no host</a></p>", {"no host"}},
        {"HYPERLINK \"http://exa mple.com\"blank</p>", "<a href=\"http://exa mple.com\">blank</a></p>", {"blank"}}};
    for (const auto& [line, linked, expectedBad] : cases) {
        Links bad;
        EXPECT_EQ(fixLinks(line, bad), linked);
        EXPECT_EQ(bad, expectedBad) << line;
    }
}

TEST(FixLinks, LinesWithoutTheFieldFormComeBackUnchanged) {
    Links bad;
    for (const std::string line : {"<p>No fields at all</p>", "<p>The HYPERLINK word and HYPERLINK again in text</p>",
                                   "<p>HYPERLINK \"unterminated target</p>",
                                   "<p>HYPERLINK \"http://a.com\" but no end tag anywhere",
                                   "<p>HYPERLINK \"http://a.com\" <span class=\"s1\">span never closed</p>",
                                   "HYPERLINK", "HYPERLINK \"", "HYPERLINKHYPERLINK \"x\"",
                                   "<p>A HYPERLINK, then HYPERLINK \"http://a.com/HYPERLINK\"x</p>"})
        EXPECT_EQ(fixLinks(line, bad), line);
    EXPECT_TRUE(bad.empty());
}
