// What the RTF reader makes of text: code pages, Unicode escapes, groups
// and destinations, styles, and the idioms of the common word processors.

#include "ConverterTestSupport.h"
#include "converter/FieldInstruction.h"
#include "converter/RtfReader.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace conv::testing {
namespace {

std::string textOf(const std::string& rtf) {
    std::string text = visibleText(rtfToHtml(rtf));
    // One paragraph: drop the line ends around it.
    while (!text.empty() && text.front() == '\n') text.erase(0, 1);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

TEST(CodePages, DocumentCodePageDecodesHexEscapes) {
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}"), "Привет");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1250 \\'9a\\'e8}"), "šč");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2}"), "αβ");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1255 \\'f9\\'ec}"), "של");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg874 \\'a1}"), "ก");
    EXPECT_EQ(textOf("{\\rtf1\\mac \\'8e\\'d2}"), "é“");
}

TEST(CodePages, EachFontsCharsetChoosesItsOwnCodePage) {
    // The same byte is a Latin letter in one font and a Thai one in the next.
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;"
                      "\\f1\\fnil\\fcharset222 Thonburi;}\\f0 \\'e0 \\f1 \\'e0}";
    EXPECT_EQ(textOf(rtf), "à เ");
}

TEST(CodePages, DoubleByteCodePagesJoinLeadAndTrailBytes) {
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 \\'93\\'fa\\'96\\'7b}"),
              "日本");
    // A trail byte may be a literal ASCII character.
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 \\'83A}"), "ア");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 SimSun;}}\\f0 \\'d6\\'d0\\'ce\\'c4}"),
              "中文");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg949{\\fonttbl{\\f0\\fcharset129 Gulim;}}\\f0 \\'c7\\'d1}"), "한");
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg950{\\fonttbl{\\f0\\fcharset136 MingLiU;}}\\f0 \\'a4\\'a4}"), "中");
}

TEST(CodePages, FontNamesAreDecodedInTheirOwnCharset) {
    std::string html = rtfToHtml("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 x\\par}");
    EXPECT_NE(ruleOf(html, "p.p1").find("'宋体'"), std::string::npos) << ruleOf(html, "p.p1");
}

TEST(CodePages, UndefinedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 M;}}\\f0 a\\'81}"), "a\xEF\xBF\xBD");
}

TEST(CodePages, SymbolFontBulletsBecomeBullets) {
    EXPECT_EQ(textOf("{\\rtf1{\\fonttbl{\\f3\\fcharset2 Symbol;}}\\f3 \\'b7}"), "\xE2\x80\xA2");
    EXPECT_EQ(textOf("{\\rtf1{\\fonttbl{\\f3\\fcharset2 Wingdings;}}\\f3\\u-3913?}"), "\xE2\x80\xA2");
}

TEST(Unicode, SkipCountDropsTheFallback) {
    EXPECT_EQ(textOf("{\\rtf1 caf\\u233?s}"), "cafés");
    EXPECT_EQ(textOf("{\\rtf1\\uc2 \\u26085\\'93\\'fa!}"), "日!");
    EXPECT_EQ(textOf("{\\rtf1\\uc0 \\u26085 x}"), "日x");
    // The fallback never reaches past the group of the \u.
    EXPECT_EQ(textOf("{\\rtf1\\uc3 {\\u233}abc}"), "éabc");
}

TEST(Unicode, NegativeValuesAndSurrogatePairs) {
    EXPECT_EQ(textOf("{\\rtf1 \\u-4064?}"), "\xEF\x80\xA0");  // U+F020
    EXPECT_EQ(textOf("{\\rtf1 \\u-10179?\\u-9047?}"), "\xF0\x9F\x92\xA9");  // U+1F4A9
    EXPECT_EQ(textOf("{\\rtf1 \\u55357?x}"), "\xEF\xBF\xBDx");  // a lone high surrogate
    EXPECT_EQ(textOf("{\\rtf1 \\u55357?\\u55357?\\u56489?}"), "\xEF\xBF\xBD\xF0\x9F\x92\xA9");
    EXPECT_EQ(textOf("{\\rtf1 x\\u55357?}"), "x\xEF\xBF\xBD");
    EXPECT_EQ(textOf("{\\rtf1 \\u56489?}"), "\xEF\xBF\xBD");  // a lone low one
    EXPECT_EQ(textOf("{\\rtf1 \\u99999999?}"), "\xEF\xBF\xBD");
}

TEST(Unicode, SkipCountIsScopedToItsGroup) {
    EXPECT_EQ(textOf("{\\rtf1\\uc1 {\\uc2 \\u233??}\\u233?x}"), "ééx");
}

TEST(SpecialCharacters, NamedCharactersAndSymbols) {
    EXPECT_EQ(textOf("{\\rtf1 \\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\~\\_a\\-b}"),
              "—–‘’“”•\xC2\xA0\xE2\x80\x91" "ab");
    EXPECT_EQ(textOf("{\\rtf1 \\{braces\\} and \\\\}"), "{braces} and \\");
}

TEST(Destinations, UnknownIgnorableGroupsAreSkippedAndUnknownWordsIgnored) {
    EXPECT_EQ(textOf("{\\rtf1 a{\\*\\madeup secret {nested}}b\\madeupword c}"), "abc");
}

TEST(Destinations, BinaryDataIsSkippedByLengthEvenWithBraces) {
    std::string rtf = "{\\rtf1 a{\\pict\\bin6 }}{{\\x}b}";
    EXPECT_EQ(textOf(rtf), "ab");
    EXPECT_EQ(textOf("{\\rtf1 a\\bin3 {}\\ b}"), "a b");
}

TEST(Destinations, TablesAreReadOnceSoANestedDocumentKeepsTheOuterFonts) {
    std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Outer;}}\\f0 a{\\rtf1{\\fonttbl{\\f0 Inner;}}\\f0 b}c\\par}";
    std::string html = rtfToHtml(rtf);
    EXPECT_EQ(textOf(rtf), "abc");
    EXPECT_NE(ruleOf(html, "p.p1").find("Outer"), std::string::npos);
    EXPECT_EQ(html.find("Inner"), std::string::npos);
}

TEST(Styles, ParagraphStyleAppliesWhereAParagraphNamesIt) {
    std::string html = rtfToHtml("{\\rtf1{\\fonttbl{\\f0 Times;}{\\f1 Arial;}}"
                                 "{\\stylesheet{\\s0\\f0\\fs24 Normal;}{\\s1\\qc\\sb240\\f1\\fs32\\b heading 1;}}"
                                 "\\pard\\plain\\s1 Title\\par\\pard\\plain\\s0 Body\\par}");
    EXPECT_EQ(ruleOf(html, "p.p1"), "margin: 12.0px 0.0px 0.0px 0.0px; text-align: center; font: 16.0px Arial; "
                                    "color: #000000");
    EXPECT_EQ(bodyLines(html).at(0), "<p class=\"p1\"><b>Title</b></p>");
    EXPECT_NE(ruleOf(html, "p.p2").find("font: 12.0px Times"), std::string::npos);
}

TEST(Groups, FormattingEndsWithItsGroupAndPlainResets) {
    EXPECT_EQ(onlyLine("{\\rtf1 {\\b a}b\\b c\\plain d\\par}"), "<p class=\"p1\"><b>a</b>b<b>c</b>d</p>");
}

TEST(Groups, UnbalancedAndTruncatedInputStillGivesItsText) {
    EXPECT_EQ(textOf("{\\rtf1 one}}}"), "one");
    EXPECT_EQ(textOf("{\\rtf1 {\\b one"), "one");
    EXPECT_EQ(textOf("{\\rtf1 a {\\field{\\*\\fldinst HYPERLINK \"http://x.org\"}{\\fldrslt link"), "a link");
    EXPECT_EQ(textOf("{\\rtf1 a{\\footnote note"), "a");  // the note is closed, then left out as a note
    EXPECT_NE(rtfToHtml("{\\rtf1 a{\\footnote note").find("a&lt;&lt;note&gt;&gt;"), std::string::npos);
    EXPECT_EQ(textOf("{\\rtf1 a\\"), "a");
    EXPECT_EQ(textOf("{\\rtf1 a\\'4"), "a4");  // the broken escape goes, what follows it is text
}

TEST(Groups, TextOutsideTheDocumentsBracesIsNotPartOfIt) {
    EXPECT_EQ(textOf("{\\rtf1 kept}garbage"), "kept");
    EXPECT_EQ(textOf("\xEF\xBB\xBF\r\n{\\rtf1 kept}"), "kept");
}

TEST(Tables, NestedTableCellsBecomeParagraphsOfTheOuterCell) {
    std::string rtf = "{\\rtf1\\trowd\\cellx3000\\pard\\intbl outer\\par"
                      "\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell{\\*\\nesttableprops\\trowd\\cellx1\\nestrow}"
                      "\\pard\\intbl\\itap1 end\\cell\\row}";
    std::vector<std::string> lines = bodyLines(rtfToHtml(rtf));
    std::string joined;
    for (const std::string& line : lines) joined += line + "\n";
    EXPECT_NE(joined.find("<p class=\"p1\">outer</p>\n<p class=\"p1\">in1</p>\n<p class=\"p1\">in2</p>\n"),
              std::string::npos)
        << joined;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "<td valign=\"top\" class=\"td1\">"), 1);
}

TEST(Tables, ATableLeftOpenAtTheEndIsStillWritten) {
    std::string html = rtfToHtml("{\\rtf1\\trowd\\cellx1000\\pard\\intbl A\\cell B");
    EXPECT_NE(html.find("</table>"), std::string::npos);
    EXPECT_EQ(visibleText(html).find("A"), visibleText(html).find_first_not_of("\n"));
    EXPECT_NE(visibleText(html).find("B"), std::string::npos);
}

TEST(Idioms, TextEditParagraphsEndedByBackslashNewline) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2577\n{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
                      "\\pard\\pardirnatural\\partightenfactor0\n\n\\f0\\fs24 \\cf0 First\\\nSecond}";
    EXPECT_EQ(bodyLines(rtfToHtml(rtf)).size(), 2u);
}

TEST(Idioms, WordListTextWithItsOwnPardDoesNotResetTheParagraph) {
    std::string rtf = "{\\rtf1\\pard\\qc\\li720 {\\listtext\\pard\\plain 1.\\tab}Item\\par}";
    std::string html = rtfToHtml(rtf);
    EXPECT_EQ(bodyLines(html).at(1), "<li class=\"li1\">1. Item</li>");
    EXPECT_NE(ruleOf(html, "li.li1").find("text-align: center"), std::string::npos);
}

TEST(HyperlinkInstruction, TargetsSwitchesAndAnchors) {
    EXPECT_EQ(hyperlinkTarget(" HYPERLINK \"http://a.org/x\" "), "http://a.org/x");
    EXPECT_EQ(hyperlinkTarget("HYPERLINK http://a.org"), "http://a.org");
    EXPECT_EQ(hyperlinkTarget("hyperlink \"http://a.org\" \\o \"tip\" \\t \"_blank\""), "http://a.org");
    EXPECT_EQ(hyperlinkTarget("HYPERLINK \"http://a.org/p\" \\l \"part\""), "http://a.org/p#part");
    EXPECT_EQ(hyperlinkTarget("HYPERLINK \\l \"_Toc123\""), "");
    EXPECT_EQ(hyperlinkTarget("HYPERLINK \"C:\\\\My Files\\\\x.doc\""), "C:\\My Files\\x.doc");
    EXPECT_EQ(hyperlinkTarget("PAGEREF _Toc1"), "");
    EXPECT_EQ(hyperlinkTarget(""), "");
}

}  // namespace
}  // namespace conv::testing
