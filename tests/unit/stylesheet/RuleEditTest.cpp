#include <gtest/gtest.h>

#include <random>
#include <set>

#include "build/Stylesheet.h"
#include "build/Text.h"

using namespace quillary;

TEST(BaseStylesheet, IsTheNineFixedLines) {
    EXPECT_EQ(kBaseStylesheet.size(), 492u);
    const auto lines = text::split(kBaseStylesheet, "\n");
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "a {text-decoration: none}");
    EXPECT_EQ(lines[4], "#toc ol {  list-style-type: none; margin: 0 0 0 2em; padding: 0 0 0 0;}");
    EXPECT_EQ(lines[8], "#guide {display: none;}");
    EXPECT_EQ(lines[9], "");
}

TEST(FontAdjusts, CoverEachWholeSizeOnceWithItsPercentage) {
    EXPECT_EQ(ePubFontAdjusts.front().first, "18.0px");
    std::set<int> sizes;
    for (const auto& [pixels, percentage] : ePubFontAdjusts) {
        const int size = std::stoi(std::string(pixels));
        EXPECT_EQ(pixels, std::to_string(size) + ".0px");
        const int expected = size <= 18 ? 5 * size + 10 : 5 * size + 15;
        EXPECT_EQ(percentage, std::to_string(expected) + "%") << pixels;
        sizes.insert(size);
    }
    EXPECT_EQ(sizes.size(), 41u);
    EXPECT_EQ(*sizes.begin(), 8);
    EXPECT_EQ(*sizes.rbegin(), 48);
}

TEST(StripStyle, RemovesOneDeclarationWithItsSeparator) {
    EXPECT_EQ(stripStyle("line-height:", "p.p1 {margin: 0.0px; line-height: 14.0px; font: 12.0px Times}"),
              "p.p1 {margin: 0.0px; font: 12.0px Times}");
    EXPECT_EQ(stripStyle("line-height:", "p.p1 {margin: 0.0px; line-height: 14.0px}"),
              "p.p1 {margin: 0.0px; }");
    EXPECT_EQ(stripStyle("line-height:", "p.p1 {margin: 0.0px}"), "p.p1 {margin: 0.0px}");
    EXPECT_EQ(stripStyle("a:", "x {a: 1; b: 2; a: 3}"), "x {b: 2; a: 3}");
    // A semicolon right before the brace loses itself only.
    EXPECT_EQ(stripStyle("line-height:", "p {font: x; line-height: 2;}"), "p {font: x; }");
    EXPECT_EQ(stripStyle("line-height:", "p {line-height: 2;"), "p {");
}

TEST(StripEveryStyle, MatchesRepeatedStripStyle) {
    const std::string declaration = " color: #000000";
    auto naive = [&](std::string rule) {
        while (text::contains(rule, declaration)) rule = stripStyle(declaration, rule);
        return rule;
    };
    EXPECT_EQ(stripEveryStyle(declaration, "p.p3 {margin: 0.0px; color: #000000; font: 14.0px Times}"),
              "p.p3 {margin: 0.0px;font: 14.0px Times}");
    EXPECT_EQ(stripEveryStyle(declaration, "s { color: #000000;  color: #000000}"), "s {}");
    // Pieces that can join into the declaration again once one is removed.
    const std::vector<std::string> pieces = {" color: #000000", " col", "or: #000000", "; ", ";",
                                             "}", " ", "x", "color: #000000"};
    std::mt19937 random(4);
    for (int round = 0; round < 5000; ++round) {
        std::string rule;
        const int count = static_cast<int>(random() % 8);
        for (int i = 0; i < count; ++i) rule += pieces[random() % pieces.size()];
        ASSERT_EQ(stripEveryStyle(declaration, rule), naive(rule)) << '"' << rule << '"';
    }
}

TEST(NegativePixelValue, FindsAHyphenDigitsPointDigitsPx) {
    EXPECT_TRUE(hasNegativePixelValue("p.p2 {margin: 0.0px; text-indent: -18.0px; font: 12.0px Times}"));
    EXPECT_TRUE(hasNegativePixelValue("x {margin: -.5px}"));
    EXPECT_TRUE(hasNegativePixelValue("x {margin: -3.px}"));
    EXPECT_TRUE(hasNegativePixelValue("a-b -1.0px"));
    EXPECT_FALSE(hasNegativePixelValue("p.p1 {margin: 0.0px 0.0px; text-indent: 18.0px}"));
    EXPECT_FALSE(hasNegativePixelValue("x {margin: -18px}"));
    EXPECT_FALSE(hasNegativePixelValue("x {margin: -1.0em}"));
    EXPECT_FALSE(hasNegativePixelValue("x {margin: -1.0p"));
    EXPECT_FALSE(hasNegativePixelValue("x {text-indent: - 1.0px}"));
    // Long rules are matched without deep recursion.
    EXPECT_TRUE(hasNegativePixelValue(std::string(1'000'000, '-') + "1.0px"));
    EXPECT_FALSE(hasNegativePixelValue(std::string(1'000'000, '-') + "1.0pt"));
}

TEST(EditRule, TakesOutWhatReadingSystemsShouldDecide) {
    EXPECT_EQ(editRule("p.p1 {margin: 0.0px 0.0px 0.0px 0.0px; font: 12.0px Times}"),
              "p.p1 {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: 0.0px; font: 12.0px Times}");
    EXPECT_EQ(editRule("p.p1 {margin: 0.0px; text-align: justify; font: 12.0px Times}"),
              "p.p1 {margin: 0.0px; text-indent: 0.0px; font: 12.0px Times}");
    EXPECT_EQ(editRule("span.s1 {color: #000000}"), "span.s1 {}");
    EXPECT_EQ(editRule("p.p3 {margin: 0.0px; color: #000000; font: 14.0px Times}"),
              "p.p3 {margin: 0.0px;font: 14.0px Times}");
    EXPECT_EQ(editRule("p.p4 {font: 12.0px Times}"), "p.p4 {font: 12.0px Times}");
    EXPECT_EQ(editRule("p.p5 {text-indent: 36.0px; font: 12.0px Times}"),
              "p.p5 {text-indent: 36.0px; font: 12.0px Times}");
    EXPECT_EQ(editRule("span.s2 {margin: 0.0px; font: 12.0px Times}"),
              "span.s2 {margin: 0.0px; font: 12.0px Times}");
    EXPECT_EQ(editRule("td.td1 {background-color: #ffffff; padding: 1.0px}"), "td.td1 {padding: 1.0px}");
    EXPECT_EQ(editRule("td.td1 {background-color: #fffffe; padding: 1.0px}"),
              "td.td1 {background-color: #fffffe; padding: 1.0px}");
    EXPECT_EQ(editRule("\t span.s3 {letter-spacing: 1.0px; line-height: 14.0px; font-kerning: none} "),
              "span.s3 {font-kerning: none}");
    EXPECT_EQ(editRule("p.p6 {margin: 0.0px; line-height: 14.0px}"), "p.p6 {margin: 0.0px; }");
}

TEST(ConvertFontSizes, OnlyWholeSizesFrom8To48AfterTheShorthand) {
    std::string css =
        "a {font: 18.0px X}\nb {font: 19.0px X}\nc {font: 8.0px X}\nd {font: 48.0px X}\n"
        "e {font: 7.0px X}\nf {font: 49.0px X}\ng {font: 12.5px X}\nh {font-size: 12.0px}\n"
        "i {font: bold 12.0px X}\nj {font: 12.0px X; font: 24.0px Y}\n";
    convertFontSizes(css);
    EXPECT_EQ(css,
              "a {font: 100% X}\nb {font: 110% X}\nc {font: 50% X}\nd {font: 255% X}\n"
              "e {font: 7.0px X}\nf {font: 49.0px X}\ng {font: 12.5px X}\nh {font-size: 12.0px}\n"
              "i {font: bold 12.0px X}\nj {font: 70% X; font: 135% Y}\n");
}
