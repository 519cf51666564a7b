#include <gtest/gtest.h>

#include "build/Normalise.h"

using namespace quillary;

TEST(EncodeForHTML, WritesCodePointsNotByteOrUtf16Units) {
    EXPECT_EQ(EncodeForHTML("caf\xC3\xA9"), "caf&#233;");
    EXPECT_EQ(EncodeForHTML("\xE2\x82\xAC 5"), "&#8364; 5");
    EXPECT_EQ(EncodeForHTML("a\xC2\xA0" "b"), "a&#160;b");
    EXPECT_EQ(EncodeForHTML("\xF0\x9F\x98\x80!"), "&#128512;!");
    EXPECT_EQ(EncodeForHTML("\xF4\x8F\xBF\xBF"), "&#1114111;");
    EXPECT_EQ(EncodeForHTML(""), "");
    const std::string ascii = "<p class=\"p1\">Plain &amp; simple\t~</p>\n";
    EXPECT_EQ(EncodeForHTML(ascii), ascii);
}

TEST(EncodeForHTML, ReplacesEachIllFormedStretchAndKeepsWhatFollows) {
    // A lone continuation byte, a lead byte at the very end, a sequence cut
    // short by ASCII, an overlong slash, an encoded surrogate, a byte that
    // never occurs in UTF-8, and a value past U+10FFFF.
    EXPECT_EQ(EncodeForHTML("a\x80" "b"), "a&#65533;b");
    EXPECT_EQ(EncodeForHTML("end\xE2"), "end&#65533;");
    EXPECT_EQ(EncodeForHTML("\xE2\x82" "x"), "&#65533;x");
    EXPECT_EQ(EncodeForHTML("\xC0\xAF"), "&#65533;&#65533;");
    EXPECT_EQ(EncodeForHTML("\xED\xA0\x80"), "&#65533;&#65533;&#65533;");
    EXPECT_EQ(EncodeForHTML("\xFF" "\xC3\xA9"), "&#65533;&#233;");
    EXPECT_EQ(EncodeForHTML("\xF4\x90\x80\x80"), "&#65533;&#65533;&#65533;&#65533;");
}

TEST(EncodeForHTML, CharactersXmlForbidsBecomeTheReplacementCharacter) {
    EXPECT_EQ(EncodeForHTML(std::string("a\0b\x01\x1F\x7F", 6)), "a&#65533;b&#65533;&#65533;\x7F");
    EXPECT_EQ(EncodeForHTML("\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD"), "&#65533;&#65533;&#65533;");
    EXPECT_EQ(EncodeForHTML("\t\n\r\v\f"), "\t\n\r\v\f");
    // Long plain runs around them, so the word-at-a-time copy meets them too.
    const std::string run(21, 'x');
    EXPECT_EQ(EncodeForHTML(run + "\x02" + run + "\n" + run), run + "&#65533;" + run + "\n" + run);
}

TEST(EncodeForHTML, AnyBytesGiveAsciiOnly) {
    std::string every;
    for (int i = 0; i < 256; ++i) every += static_cast<char>(i);
    for (char c : EncodeForHTML(every + every))
        EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
}

TEST(CountString, IgnoresCaseAndNeverOverlaps) {
    EXPECT_EQ(countString("<p", "<P>one</p><p>two</p>"), 2u);
    EXPECT_EQ(countString("aa", "aaaa"), 2u);
    EXPECT_EQ(countString("aa", "aaa"), 1u);
    EXPECT_EQ(countString("&lt;&lt;", "x &LT;&lt;note&gt;&gt; y &lt;&lt;"), 2u);
    EXPECT_EQ(countString("", "text"), 0u);
    EXPECT_EQ(countString("text", ""), 0u);
    EXPECT_EQ(countString("longer than", "short"), 0u);
}
