// What the RTF reader makes of font tables, nested documents and tables,
// and of field instructions. Code pages, Unicode escapes, groups, styles and
// edits are small documents in tests/fixtures/converter/small-documents.txt.

#include "ConverterTestSupport.h"
#include "converter/FieldInstruction.h"
#include "converter/RtfReader.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace conv::testing {
namespace {

TEST(Reader, FontNamesAreDecodedInTheirOwnCharsetAndANestedDocumentKeepsTheOuterTables) {
    std::string html = rtfToHtml("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 x\\par}");
    EXPECT_NE(ruleOf(html, "p.p1").find("'宋体'"), std::string::npos) << ruleOf(html, "p.p1");
    std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Outer;}}\\f0 a{\\rtf1{\\fonttbl{\\f0 Inner;}}\\f0 b}c\\par}";
    html = rtfToHtml(rtf);
    EXPECT_EQ(oneParagraphText(html), "abc");
    EXPECT_NE(ruleOf(html, "p.p1").find("Outer"), std::string::npos);
    EXPECT_EQ(html.find("Inner"), std::string::npos);
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
        {"eq \\o\\ac(\u25cb,\u5b57)", "\u5b57"},
        {"EQ \\s\\up 8(2) and \\o(a\\,b,c\\)d)", "2 and c)d"},
        {"EQ \\o\\ad(\\s\\up 10(x", "x"}, {"PAGE", ""}, {"EQUATION", ""},
        {"EQ " + std::string(5000, '(') + "x", ""}};
    for (const auto& [instruction, text] : cases) EXPECT_EQ(equationText(instruction), text) << instruction;
}

}  // namespace
}  // namespace conv::testing
