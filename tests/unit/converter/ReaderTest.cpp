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
    text.erase(0, text.find_first_not_of('\n'));
    text.erase(text.find_last_not_of('\n') + 1);
    return text;
}

std::string cjk(const std::string& codePage, const std::string& charset, const std::string& text) {
    return "{\\rtf1\\ansi\\ansicpg" + codePage + "{\\fonttbl{\\f0\\fcharset" + charset + " F;}}\\f0 " + text + "}";
}

TEST(Reader, TextOfEachEncodingAndConstruct) {
    const std::pair<std::string, std::string> cases[] = {
        // The document's code page decodes hex escapes.
        {"{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}", "Привет"},
        {"{\\rtf1\\ansi\\ansicpg1250 \\'9a\\'e8}", "šč"},
        {"{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2}", "αβ"},
        {"{\\rtf1\\ansi\\ansicpg1255 \\'f9\\'ec}", "של"},
        {"{\\rtf1\\ansi\\ansicpg874 \\'a1}", "ก"},
        {"{\\rtf1\\mac \\'8e\\'d2}", "é“"},
        // Each font's charset chooses its own: the same byte is Latin in one font, Thai in the next.
        {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;\\f1\\fnil\\fcharset222 Thonburi;}"
         "\\f0 \\'e0 \\f1 \\'e0}", "à เ"},
        // Double-byte code pages join lead and trail bytes; a trail byte may be literal ASCII.
        {cjk("932", "128", "\\'93\\'fa\\'96\\'7b"), "日本"},
        {cjk("932", "128", "\\'83A"), "ア"},
        {cjk("936", "134", "\\'d6\\'d0\\'ce\\'c4"), "中文"},
        {cjk("949", "129", "\\'c7\\'d1"), "한"},
        {cjk("950", "136", "\\'a4\\'a4"), "中"},
        {cjk("932", "128", "a\\'81"), "a\xEF\xBF\xBD"},  // an undefined byte
        // Symbol fonts' bullets.
        {"{\\rtf1{\\fonttbl{\\f3\\fcharset2 Symbol;}}\\f3 \\'b7}", "\xE2\x80\xA2"},
        {"{\\rtf1{\\fonttbl{\\f3\\fcharset2 Wingdings;}}\\f3\\u-3913?}", "\xE2\x80\xA2"},
        // A font is known by its name in any case and whatever charset it claims (WPTools' form).
        {"{\\rtf1{\\fonttbl{\\f2\\fnil\\fcharset1 WingDings;}}\\f2 \\'a7}", "\xE2\x96\xAA"},
        // The skip count drops the fallback, never past the group of the \u, and is scoped to its group.
        {"{\\rtf1 caf\\u233?s}", "cafés"},
        {"{\\rtf1\\uc2 \\u26085\\'93\\'fa!}", "日!"},
        {"{\\rtf1\\uc0 \\u26085 x}", "日x"},
        {"{\\rtf1\\uc3 {\\u233}abc}", "éabc"},
        {"{\\rtf1\\uc1 {\\uc2 \\u233??}\\u233?x}", "ééx"},
        // Negative values, surrogate pairs, and lone or out-of-range halves.
        {"{\\rtf1 \\u-4064?}", "\xEF\x80\xA0"},
        {"{\\rtf1 \\u-10179?\\u-9047?}", "\xF0\x9F\x92\xA9"},
        {"{\\rtf1 \\u55357?x}", "\xEF\xBF\xBDx"},
        {"{\\rtf1 \\u55357?\\u55357?\\u56489?}", "\xEF\xBF\xBD\xF0\x9F\x92\xA9"},
        {"{\\rtf1 x\\u55357?}", "x\xEF\xBF\xBD"},
        {"{\\rtf1 \\u56489?}", "\xEF\xBF\xBD"},
        {"{\\rtf1 \\u99999999?}", "\xEF\xBF\xBD"},
        // Named characters and escaped symbols.
        {"{\\rtf1 \\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\~\\_a\\-b}",
         "—–‘’“”•\xC2\xA0\xE2\x80\x91" "ab"},
        {"{\\rtf1 \\{braces\\} and \\\\}", "{braces} and \\"},
        // Unknown ignorable groups are skipped, unknown words ignored; binary data is skipped by length.
        {"{\\rtf1 a{\\*\\madeup secret {nested}}b\\madeupword c}", "abc"},
        {"{\\rtf1 a{\\pict\\bin6 }}{{\\x}b}", "ab"},
        {"{\\rtf1 a\\bin3 {}\\ b}", "a b"},
        // Unbalanced, truncated, or wrapped in text that is not part of the document.
        {"{\\rtf1 one}}}", "one"},
        {"{\\rtf1 {\\b one", "one"},
        {"{\\rtf1 a {\\field{\\*\\fldinst HYPERLINK \"http://x.org\"}{\\fldrslt link", "a link"},
        {"{\\rtf1 a\\", "a"},
        {"{\\rtf1 a\\'4", "a4"},  // the broken escape goes, what follows it is text
        {"{\\rtf1 kept}garbage", "kept"},
        {"\xEF\xBB\xBF\r\n{\\rtf1 kept}", "kept"}};
    for (const auto& [rtf, text] : cases) EXPECT_EQ(textOf(rtf), text) << rtf;
    // A footnote left open is closed, and kept as a note.
    EXPECT_NE(rtfToHtml("{\\rtf1 a{\\footnote note").find("a&lt;&lt;note&gt;&gt;"), std::string::npos);
}

TEST(Reader, FontNamesAreDecodedInTheirOwnCharsetAndANestedDocumentKeepsTheOuterTables) {
    std::string html = rtfToHtml("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 x\\par}");
    EXPECT_NE(ruleOf(html, "p.p1").find("'宋体'"), std::string::npos) << ruleOf(html, "p.p1");
    std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Outer;}}\\f0 a{\\rtf1{\\fonttbl{\\f0 Inner;}}\\f0 b}c\\par}";
    html = rtfToHtml(rtf);
    EXPECT_EQ(textOf(rtf), "abc");
    EXPECT_NE(ruleOf(html, "p.p1").find("Outer"), std::string::npos);
    EXPECT_EQ(html.find("Inner"), std::string::npos);
}

TEST(Reader, StylesGroupsAndPlainSetTheFormatting) {
    std::string html = rtfToHtml("{\\rtf1{\\fonttbl{\\f0 Times;}{\\f1 Arial;}}"
                                 "{\\stylesheet{\\s0\\f0\\fs24 Normal;}{\\s1\\qc\\sb240\\f1\\fs32\\b heading 1;}}"
                                 "\\pard\\plain\\s1 Title\\par\\pard\\plain\\s0 Body\\par}");
    EXPECT_EQ(ruleOf(html, "p.p1"), "margin: 12.0px 0.0px 0.0px 0.0px; text-align: center; font: 16.0px Arial; "
                                    "color: #000000");
    EXPECT_EQ(bodyLines(html).at(0), "<p class=\"p1\"><b>Title</b></p>");
    EXPECT_NE(ruleOf(html, "p.p2").find("font: 12.0px Times"), std::string::npos);
    EXPECT_EQ(onlyLine("{\\rtf1 {\\b a}b\\b c\\plain d\\par}"), "<p class=\"p1\"><b>a</b>b<b>c</b>d</p>");
}

TEST(Reader, NestedTablesFlattenAndATableLeftOpenIsStillWritten) {
    std::string rtf = "{\\rtf1\\trowd\\cellx3000\\pard\\intbl outer\\par"
                      "\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell{\\*\\nesttableprops\\trowd\\cellx1\\nestrow}"
                      "\\pard\\intbl\\itap1 end\\cell\\row}";
    Lines lines = bodyLines(rtfToHtml(rtf));
    auto outer = std::find(lines.begin(), lines.end(), "<p class=\"p1\">outer</p>");
    ASSERT_GE(std::distance(outer, lines.end()), 3);
    EXPECT_EQ(Lines(outer + 1, outer + 3), (Lines{"<p class=\"p1\">in1</p>", "<p class=\"p1\">in2</p>"}));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "<td valign=\"top\" class=\"td1\">"), 1);

    std::string html = rtfToHtml("{\\rtf1\\trowd\\cellx1000\\pard\\intbl A\\cell B");
    EXPECT_NE(html.find("</table>"), std::string::npos);
    EXPECT_EQ(visibleText(html).find("A"), visibleText(html).find_first_not_of("\n"));
    EXPECT_NE(visibleText(html).find("B"), std::string::npos);
}

TEST(Reader, EditsAreReadAsAcceptedAndDrawingsKeepTheirPlace) {
    const std::pair<std::string, std::string> oneParagraph[] = {
        // A page break at the end of a paragraph adds no line.
        {"{\\rtf1 end\\page\\par}", "<p class=\"p1\">end</p>"},
        // A note whose mark is deleted or hidden goes with all its text.
        {"{\\rtf1 a{\\deleted\\chftn{\\footnote\\pard\\plain note}}b\\par}", "<p class=\"p1\">ab</p>"},
        {"{\\rtf1 a{\\v\\chftn{\\footnote\\pard\\plain note}}b\\par}", "<p class=\"p1\">ab</p>"},
        // The number of a deleted list paragraph is deleted with it.
        {"{\\rtf1{\\listtext\\deleted 1.\\tab}{\\deleted gone\\par}\\pard kept\\par}", "<p class=\"p1\">kept</p>"},
    };
    for (const auto& [rtf, line] : oneParagraph) EXPECT_EQ(onlyLine(rtf), line) << rtf;

    // A text box anchored in a table cell stays in that cell.
    Lines lines = bodyLines(rtfToHtml("{\\rtf1\\trowd\\cellx2000\\pard\\intbl A{\\shp{\\*\\shpinst{\\sp{\\sn x}{\\sv 1}}"
                                      "{\\shptxt\\pard boxed\\par}}}B\\cell\\row\\pard after\\par}"));
    Lines expected = {"<table cellspacing=\"0\" cellpadding=\"0\" class=\"t1\">", "<tbody>", "<tr>",
                      "<td valign=\"top\" class=\"td1\">", "<p class=\"p1\">boxed</p>", "<p class=\"p1\">AB</p>",
                      "</td>", "</tr>", "</tbody>", "</table>", "<p class=\"p1\">after</p>"};
    EXPECT_EQ(lines, expected);
}

TEST(HyperlinkInstruction, TargetsSwitchesAndAnchors) {
    const std::pair<std::string, std::string> cases[] = {
        {" HYPERLINK \"http://a.org/x\" ", "http://a.org/x"},
        {"HYPERLINK http://a.org", "http://a.org"},
        {"hyperlink \"http://a.org\" \\o \"tip\" \\t \"_blank\"", "http://a.org"},
        {"HYPERLINK \"http://a.org/p\" \\l \"part\"", "http://a.org/p#part"},
        {"HYPERLINK \"C:\\\\My Files\\\\x.doc\"", "C:\\My Files\\x.doc"},
        {"HYPERLINK \\l \"_Toc123\"", ""}, {"PAGEREF _Toc1", ""}, {"", ""}};
    for (const auto& [instruction, target] : cases) EXPECT_EQ(hyperlinkTarget(instruction), target) << instruction;
}

TEST(EquationInstruction, APhoneticGuideShowsItsBaseText) {
    const std::pair<std::string, std::string> cases[] = {
        // As LibreOffice writes a Word phonetic guide: the reading raised over the base.
        {" EQ \\* jc2 \\* \"Font:MS Mincho\" \\* hps11 \\o\\ad(\\s\\up 10(\u3068\u3046),\u6771\u4eac)", "\u6771\u4eac"},
        {"eq \\o\\ac(\u25cb,\u5b57)", "\u5b57"},
        {"EQ \\s\\up 8(2) and \\o(a\\,b,c\\)d)", "2 and c)d"},
        {"EQ \\o\\ad(\\s\\up 10(x", "x"}, {"PAGE", ""}, {"EQUATION", ""},
        {"EQ " + std::string(5000, '(') + "x", ""}};
    for (const auto& [instruction, text] : cases) EXPECT_EQ(equationText(instruction), text) << instruction;
}

}  // namespace
}  // namespace conv::testing
