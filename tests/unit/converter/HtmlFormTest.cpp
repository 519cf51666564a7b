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

TEST(HtmlForm, BoldAndItalicAreTagsOtherFormattingIsASpanClass) {
    std::string html = rtfToHtml(rtf("\\pard\\f0\\fs24 plain text here {\\b bold} {\\i it} {\\ul under} "
                                     "{\\strike gone} {\\cf3 red} {\\fs36 big} {\\f1 sans} {\\super 2} {\\sub x}\\par"));
    std::string line = bodyLines(html).at(0);
    EXPECT_NE(line.find("<b>bold</b>"), std::string::npos) << line;
    EXPECT_NE(line.find("<i>it</i>"), std::string::npos) << line;
    Lines expected = {"text-decoration: underline", "text-decoration: line-through", "color: #ff0000",
                      "font: 18.0px 'Times New Roman'", "font: 12.0px Helvetica", "vertical-align: super",
                      "vertical-align: sub"};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        std::string selector = "span.s" + std::to_string(i + 1);
        EXPECT_EQ(ruleOf(html, selector), expected[i]);
        EXPECT_NE(line.find("<span class=\"s" + std::to_string(i + 1) + "\">"), std::string::npos) << selector;
    }
}

TEST(HtmlForm, LinkTargetIsAValidUriAndLinkTextHoldsNoNestedSpan) {
    // Word keeps links to documents as Windows paths; EPUBCheck rejects an
    // href with blanks or backslashes, and a quote would end the target.
    // Word doubles the fragment into the anchor of some links.
    const std::pair<std::string, std::string> cases[] = {
        {"HYPERLINK \"..\\\\\\\\Dips\\\\\\\\Dip, \\u233?.doc\"", "HYPERLINK \"..%5CDips%5CDip,%20%C3%A9.doc\" <span"},
        {"HYPERLINK http://x.org/a\"b", "HYPERLINK \"http://x.org/a%22b\" <span"},
        {"HYPERLINK \"http://a.org/%7Ex?q=1&r=2#top\"", "\"http://a.org/%7Ex?q=1&amp;r=2#top\""},
        {"HYPERLINK \"http://a.org/p.html\" \\\\l \"note1#note1\"", "\"http://a.org/p.html#note1%23note1\""}};
    for (const auto& [instruction, form] : cases) {
        std::string line = onlyLine(rtf("\\pard {\\field{\\*\\fldinst " + instruction + "}{\\fldrslt Dip}}\\par"));
        EXPECT_NE(line.find(form), std::string::npos) << line;
    }
    std::string line = onlyLine(rtf("\\pard {\\field{\\*\\fldinst HYPERLINK \"http://x.org\"}"
                                    "{\\fldrslt one {\\cf3 two}\\tab {\\b three}}}\\par"));
    std::size_t open = line.find('>', line.find("\" <span"));
    ASSERT_NE(line.find("\" <span"), std::string::npos) << line;
    EXPECT_EQ(line.substr(open + 1, line.find("</span>") - open - 1), "one two <b>three</b>");
}

}  // namespace
}  // namespace conv::testing
