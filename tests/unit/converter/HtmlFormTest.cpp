// The HTML form that the build reads, point by point, on small RTF written
// the way word processors write it. The page frame, class numbering, tables,
// lists, tabs and right-to-left paragraphs are pinned by the golden cases.

#include "ConverterTestSupport.h"

#include <gtest/gtest.h>

namespace conv::testing {
namespace {

const std::string kFonts = "{\\fonttbl\\f0\\froman\\fcharset0 Times New Roman;\\f1\\fswiss\\fcharset0 Helvetica;}";
const std::string kColors = "{\\colortbl;\\red0\\green0\\blue0;\\red31\\green31\\blue31;\\red255\\green0\\blue0;}";

std::string rtf(const std::string& body) { return "{\\rtf1\\ansi\\deff0" + kFonts + kColors + body + "}"; }

// The small documents of tests/fixtures/converter/small-documents.txt; its head says how they are written.
TEST(HtmlForm, SmallDocumentsGiveTheTextLinesAndRulesTheirCasesSay) {
    const std::vector<Case> cases = readCases("converter/small-documents.txt");
    ASSERT_GE(cases.size(), 50u) << "the file is missing or cut short";
    for (const auto& [where, entries] : cases) {
        std::string html;
        Lines lines;
        for (const auto& [key, value] : entries) {
            const std::size_t brace = value.find(" {");
            if (key == "rtf" || key == "body") html = rtfToHtml(key == "rtf" ? value : rtf(value));
            else if (key == "text") EXPECT_EQ(oneParagraphText(html), value) << where;
            else if (key == "line") lines.push_back(value);
            else if (key == "rule" && brace != std::string::npos && value.ends_with("}"))
                EXPECT_EQ(ruleOf(html, value.substr(0, brace)), value.substr(brace + 2, value.size() - brace - 3))
                    << where;
            else ADD_FAILURE() << where << ": cannot read \"" << key << ": " << value << "\"";
        }
        if (!lines.empty()) {
            EXPECT_EQ(bodyLines(html), lines) << where;
        }
    }
}

}  // namespace
}  // namespace conv::testing
