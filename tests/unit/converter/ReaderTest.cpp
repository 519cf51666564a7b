// What the reader makes of field instructions. Code pages, Unicode escapes,
// groups, styles, fonts, nested documents and tables, and edits are small
// documents in tests/fixtures/converter/small-documents.txt.

#include "ConverterTestSupport.h"
#include "converter/FieldInstruction.h"

#include <gtest/gtest.h>

namespace conv::testing {
namespace {

// Unquoted targets, anchors and Windows paths are small documents' business.
TEST(HyperlinkInstruction, TargetsSwitchesAndAnchors) {
    const std::pair<std::string, std::string> cases[] = {
        {" HYPERLINK \"http://a.org/x\" ", "http://a.org/x"},
        {"hyperlink \"http://a.org\" \\o \"tip\" \\t \"_blank\"", "http://a.org"}, {"PAGEREF _Toc1", ""}, {"", ""}};
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
