#include <gtest/gtest.h>

#include "epub/Html.h"

using namespace quillary;

TEST(ExtractTagName, DropsTagsTurnsNoBreakSpacesIntoBlanksAndTrims) {
    EXPECT_EQ(extractTagName(" <b>Chapter</b>&nbsp;One</span></p>"), "Chapter One");
    EXPECT_EQ(extractTagName("<p class=\"p1\"><span>Part&#160;Two&nbsp;</span></p>"), "Part Two");
    EXPECT_EQ(extractTagName("\t Plain name \t"), "Plain name");
    EXPECT_EQ(extractTagName(""), "");
    EXPECT_EQ(extractTagName("<p></p>"), "");
}

TEST(ExtractTagName, TrimsRawUnicodeSpacesButNotLineEnds) {
    EXPECT_EQ(extractTagName("\xC2\xA0Name\xE2\x80\x83"), "Name");
    EXPECT_EQ(extractTagName("\xE3\x80\x80" "A\xC2\xA0" "B\xE2\x80\xAF"), "A\xC2\xA0" "B");
    EXPECT_EQ(extractTagName("Name\n"), "Name\n");
    // A multi-byte letter whose last byte happens to look like a space byte
    // must survive the trim.
    EXPECT_EQ(extractTagName("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(ExtractTagName, UnclosedAndStrayAngleBrackets) {
    // A leading "<" without any ">" is not a tag; the split still drops the "<".
    EXPECT_EQ(extractTagName("<unclosed name"), "unclosed name");
    // Text before the first tag that holds a ">" keeps only what follows it.
    EXPECT_EQ(extractTagName("a>b<i>c</i>"), "bc");
    EXPECT_EQ(extractTagName("x<y"), "xy");
}

TEST(IsDirectiveLine, ColonDirectivesInAnyCaseAndSevenOrMoreNumberSigns) {
    EXPECT_TRUE(isDirectiveLine("<p>BOOKMARK: One</p>"));
    EXPECT_TRUE(isDirectiveLine("<p>Toc: Contents</p>"));
    EXPECT_TRUE(isDirectiveLine("<p>sRh: Start</p>"));
    EXPECT_TRUE(isDirectiveLine("<p>PNH: Notes</p>"));
    EXPECT_TRUE(isDirectiveLine("<p>########</p>"));
    EXPECT_FALSE(isDirectiveLine("<p>######</p>"));
    EXPECT_FALSE(isDirectiveLine("<p>bookmark One</p>"));
}

TEST(WrapInSizeSpan, WrapsTheContentBetweenFirstTagAndLastClosingTag) {
    EXPECT_EQ(wrapInSizeSpan("<p class=\"p1\">Some <i>text</i></p>"),
              "<p class=\"p1\"><span class=\"sz\">Some <i>text</i></span></p>");
    EXPECT_EQ(wrapInSizeSpan("<p>no close"), "<p><span class=\"sz\">no close</span>");
    EXPECT_EQ(wrapInSizeSpan("bare text"), "<span class=\"sz\">bare text</span>");
    EXPECT_EQ(wrapInSizeSpan("<hr/>"), "<hr/>");
    EXPECT_EQ(wrapInSizeSpan("</p>"), "</p>");
}

TEST(HoldsColonWord, FindsWordsEndingAtAnyColonInAnyCase) {
    EXPECT_TRUE(holdsColonWord("<p class=\"a\">IMAGE:x.png</p>", {">video:", ">image:"}));
    EXPECT_TRUE(holdsColonWord("a: b: <p>FImage: c", {">fimage:", "fimage:"}));
    EXPECT_FALSE(holdsColonWord("<p> image: x.png</p>", {">image:"}));
    EXPECT_FALSE(holdsColonWord(":", {"toc:"}));
    EXPECT_FALSE(holdsColonWord("", {"toc:"}));
}

TEST(HoldsEndnoteMark, TwoOpeningBracketsButNeverThree) {
    EXPECT_TRUE(holdsEndnoteMark("<p>Text&LT;&lt;note&gt;&gt;</p>"));
    EXPECT_FALSE(holdsEndnoteMark("<p>Text &lt;&lt;&lt; arrows</p>"));
    EXPECT_FALSE(holdsEndnoteMark("<p>&lt;&lt;a&gt;&gt; and &lt;&lt;&lt;</p>"));
    EXPECT_FALSE(holdsEndnoteMark("<p>&lt; &lt;</p>"));
    EXPECT_FALSE(holdsEndnoteMark("<p>ends &lt;&lt"));
}
