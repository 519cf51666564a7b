#include <gtest/gtest.h>

#include "manuscript/Stylesheet.h"
#include "manuscript/Normalise.h"

using namespace quillary;
using namespace quillary::manuscript;

namespace {
using Lines = std::vector<std::string>;

Lines document(const Lines& rules) {
    Lines lines = {"<!DOCTYPE html>", "<html>", "<head>", "<style type=\"text/css\">"};
    lines.insert(lines.end(), rules.begin(), rules.end());
    for (const char* rest : {"</style>", "</head>", "<body>", "<p class=\"p1\">Text</p>", "</body>"})
        lines.emplace_back(rest);
    return lines;
}
}  // namespace

TEST(DeriveStylesheet, OnlyMarginsThatPushTextOffThePageAreFound) {
    const std::pair<const char*, bool> rules[] = {
        {"li.li1 {margin: 0.0px 0.0px 0.0px 36.0px; text-indent: -18.0px}", false},  // a hanging indent
        {"p.p1 {margin: 0.0px 0.0px 0.0px 18.0px; text-indent: -18.0px; font: 12.0px Times}", false},
        {"p.p1 {margin: 0.0px 0.0px 0.0px 18.0px; text-indent: -18.5px; font: 12.0px Times}", true},
        {"p.p1 {margin: 0.0px 0.0px 0.0px -9.0px}", true},
        {"p.p1 {margin: 0.0px -9.0px 0.0px 9.0px}", true},
        {"p.p1 {margin: -2.0px}", true},
        {"p.p1 {margin: -2.0px 4.0px}", false},  // only the space above and below
        {"p.p1 {margin: 4.0px; text-indent: -3.5px}", false}};
    for (const auto& [rule, off] : rules) {
        EXPECT_EQ(pushesTextOffPage(rule), off) << rule;
        EXPECT_EQ(deriveStylesheet(document({rule}), false).negativeRule.has_value(), off) << rule;
    }
}

TEST(DeriveStylesheet, ReportsTheFirstNegativeValueInARuleWithAMargin) {
    const std::string p2 = "p.p2 {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: -18.0px; font: 12.0px Times}";
    const auto derived = deriveStylesheet(
        document({"span.s1 {text-indent: -18.0px}", p2, "li.li1 {margin: 0.0px; text-indent: -9.0px}"}),
        false);
    EXPECT_EQ(derived.negativeRule, p2);
    EXPECT_NE(derived.text.find("span.s1 {text-indent: -18.0px}\n"), std::string::npos);
    EXPECT_NE(derived.text.find("text-indent: -18.0px; font: 100% Times}\n"), std::string::npos);

    const std::string li = "li.li1 {margin: 0.0px; text-indent: -18.0px}";
    EXPECT_EQ(deriveStylesheet(document({li}), false).negativeRule, li);
    EXPECT_FALSE(deriveStylesheet(document({"span.s1 {text-indent: -18.0px}"}), false).negativeRule);
    EXPECT_FALSE(deriveStylesheet(document({p2}), true).negativeRule);  // reported once only
}

TEST(DeriveStylesheet, MissingOrEmptyBlocksGiveTheBaseAlone) {
    const std::pair<Lines, std::size_t> cases[] = {
        {document({}), 5u}, {{"<head>", "<style></style>", "p.p1 {x}", "</style>"}, 2u}, {{}, 0u},
        {{"<html>", "<body>", "<p>text</p>", "</body>"}, 0u}, {{"<style>", "p.p1 {margin: -1.0px}", "<body>"}, 0u}};
    for (const auto& [lines, nextLine] : cases) {
        const auto derived = deriveStylesheet(lines, false);
        EXPECT_EQ(derived.text, std::string(kBaseStylesheet)) << lines.size() << " lines";
        EXPECT_EQ(derived.nextLine, nextLine) << lines.size() << " lines";
        EXPECT_FALSE(derived.negativeRule);
    }
}

TEST(NormaliseManuscript, TheBodyIsSoughtBehindTheStyleBlockAndNegativeMarginsAreFound) {
    const auto joined = [](const Lines& lines) {
        std::string html;
        for (const std::string& line : lines) html += line + "\n";
        return html;
    };
    const auto negative = normaliseManuscript(joined(document({"p.p1 {margin: 0.0px; text-indent: -18.0px}"})), true);
    EXPECT_TRUE(negative.negativeMargins);
    EXPECT_EQ(negative.bodySearchFrom, 6u);
    EXPECT_EQ(negative.lines[5], "</style>");
    EXPECT_FALSE(normaliseManuscript(joined(document({"p.p1 {margin: 0.0px; font: 19.0px Times}"})), true)
                     .negativeMargins);
}

// The build's own markup (heading spans, contents page, hidden landmarks)
// needs these rules in every book, whatever the manuscript's stylesheet.
TEST(DeriveStylesheet, EveryStylesheetHasTheRulesTheBuildsMarkupUses) {
    const std::string text = deriveStylesheet(document({"p.p1 {font: 12.0px Times}"}), false).text;
    for (const char* rule : {"span.sz {", "\np.tc {", "\np.tcd {", "\n#toc ol li a {", "\n#guide {display: none;}"})
        EXPECT_NE(text.find(rule), std::string::npos) << rule;
}
