#include <gtest/gtest.h>

#include "epub/Html.h"

using namespace quillary;
using namespace quillary::epub;

TEST(ExtractTagName, DropsTagsAndNoBreakSpacesTrimsUnicodeSpacesButNotLineEnds) {
    const std::pair<const char*, const char*> cases[] = {
        {" <b>Chapter</b>&nbsp;One</span></p>", "Chapter One"},
        {"<p class=\"p1\"><span>Part&#160;Two&nbsp;</span></p>", "Part Two"},
        {"\t Plain name \t", "Plain name"}, {"", ""}, {"<p></p>", ""},
        {"\xC2\xA0Name\xE2\x80\x83", "Name"}, {"\xE3\x80\x80" "A\xC2\xA0" "B\xE2\x80\xAF", "A\xC2\xA0" "B"},
        {"Name\n", "Name\n"},
        // A multi-byte letter whose last byte happens to look like a space byte survives.
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        // A "<" without any ">" is no tag, yet the split still drops it; text
        // before the first tag that holds a ">" keeps only what follows it.
        {"<unclosed name", "unclosed name"}, {"a>b<i>c</i>", "bc"}, {"x<y", "xy"}};
    for (const auto& [tagged, name] : cases) EXPECT_EQ(plainTextOf(tagged), name) << tagged;
}

TEST(LinePredicates, DirectivesColonWordsAndEndnoteMarks) {
    for (const char* line : {"<p>BOOKMARK: One</p>", "<p>Toc: Contents</p>", "<p>sRh: Start</p>", "<p>PNH: Notes</p>",
                             "<p>########</p>"})
        EXPECT_TRUE(isDirectiveLine(line)) << line;
    EXPECT_FALSE(isDirectiveLine("<p>######</p>"));
    EXPECT_FALSE(isDirectiveLine("<p>bookmark One</p>"));

    EXPECT_TRUE(holdsColonWord("<p class=\"a\">IMAGE:x.png</p>", {">video:", ">image:"}));
    EXPECT_TRUE(holdsColonWord("a: b: <p>FImage: c", {">fimage:", "fimage:"}));
    EXPECT_FALSE(holdsColonWord("<p> image: x.png</p>", {">image:"}));
    EXPECT_FALSE(holdsColonWord(":", {"toc:"}));
    EXPECT_FALSE(holdsColonWord("", {"toc:"}));

    // Two opening brackets make a mark, three never do.
    EXPECT_TRUE(holdsEndnoteMark("<p>Text&LT;&lt;note&gt;&gt;</p>"));
    for (const char* line : {"<p>Text &lt;&lt;&lt; arrows</p>", "<p>&lt;&lt;a&gt;&gt; and &lt;&lt;&lt;</p>",
                             "<p>&lt; &lt;</p>", "<p>ends &lt;&lt"})
        EXPECT_FALSE(holdsEndnoteMark(line)) << line;
}

TEST(WrapInSizeSpan, WrapsTheContentBetweenFirstTagAndLastClosingTag) {
    EXPECT_EQ(wrapInSizeSpan("<p class=\"p1\">Some <i>text</i></p>"),
              "<p class=\"p1\"><span class=\"sz\">Some <i>text</i></span></p>");
    EXPECT_EQ(wrapInSizeSpan("<p>no close"), "<p><span class=\"sz\">no close</span>");
    EXPECT_EQ(wrapInSizeSpan("bare text"), "<span class=\"sz\">bare text</span>");
    EXPECT_EQ(wrapInSizeSpan("<hr/>"), "<hr/>");
    EXPECT_EQ(wrapInSizeSpan("</p>"), "</p>");
}
