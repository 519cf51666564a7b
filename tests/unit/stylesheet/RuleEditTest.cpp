#include <gtest/gtest.h>

#include <random>

#include "manuscript/Stylesheet.h"
#include "base/Text.h"

using namespace quillary;
using namespace quillary::manuscript;

TEST(StripStyle, RemovesOneDeclarationWithItsSeparator) {
    const char* const cases[][3] = {
        {"line-height:", "p.p1 {margin: 0.0px; line-height: 14.0px; font: 12.0px Times}",
         "p.p1 {margin: 0.0px; font: 12.0px Times}"},
        {"line-height:", "p.p1 {margin: 0.0px; line-height: 14.0px}", "p.p1 {margin: 0.0px; }"},
        {"line-height:", "p.p1 {margin: 0.0px}", "p.p1 {margin: 0.0px}"},
        {"a:", "x {a: 1; b: 2; a: 3}", "x {b: 2; a: 3}"},
        // A semicolon right before the brace loses itself only.
        {"line-height:", "p {font: x; line-height: 2;}", "p {font: x; }"},
        {"line-height:", "p {line-height: 2;", "p {"}};
    for (const auto& [declaration, rule, stripped] : cases) EXPECT_EQ(stripStyle(declaration, rule), stripped) << rule;
}

TEST(StripEveryStyle, MatchesRepeatedStripStyle) {
    const std::string declaration = " color: #000000";
    auto naive = [&](std::string rule) {
        while (text::contains(rule, declaration)) rule = stripStyle(declaration, rule);
        return rule;
    };
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
    for (const std::string rule : {"p.p2 {margin: 0.0px; text-indent: -18.0px; font: 12.0px Times}",
                                   "x {margin: -.5px}", "x {margin: -3.px}", "a-b -1.0px"})
        EXPECT_TRUE(hasNegativePixelValue(rule)) << rule;
    for (const std::string rule : {"p.p1 {margin: 0.0px 0.0px; text-indent: 18.0px}", "x {margin: -18px}",
                                   "x {margin: -1.0em}", "x {margin: -1.0p", "x {text-indent: - 1.0px}"})
        EXPECT_FALSE(hasNegativePixelValue(rule)) << rule;
    // Long rules are matched without deep recursion.
    EXPECT_TRUE(hasNegativePixelValue(std::string(1'000'000, '-') + "1.0px"));
    EXPECT_FALSE(hasNegativePixelValue(std::string(1'000'000, '-') + "1.0pt"));
}

TEST(EditRule, TakesOutWhatReadingSystemsShouldDecide) {
    const char* const cases[][2] = {
        {"p.p1 {margin: 0.0px 0.0px 0.0px 0.0px; font: 12.0px Times}",
         "p.p1 {margin: 0.0px 0.0px 0.0px 0.0px; text-indent: 0.0px; font: 12.0px Times}"},
        {"p.p1 {margin: 0.0px; text-align: justify; font: 12.0px Times}",
         "p.p1 {margin: 0.0px; text-indent: 0.0px; font: 12.0px Times}"},
        {"span.s1 {color: #000000}", "span.s1 {}"},
        {"p.p3 {margin: 0.0px; color: #000000; font: 14.0px Times}", "p.p3 {margin: 0.0px;font: 14.0px Times}"},
        {"p.p4 {font: 12.0px Times}", "p.p4 {font: 12.0px Times}"},
        {"p.p5 {text-indent: 36.0px; font: 12.0px Times}", "p.p5 {text-indent: 36.0px; font: 12.0px Times}"},
        {"span.s2 {margin: 0.0px; font: 12.0px Times}", "span.s2 {margin: 0.0px; font: 12.0px Times}"},
        {"td.td1 {background-color: #ffffff; padding: 1.0px}", "td.td1 {padding: 1.0px}"},
        {"td.td1 {background-color: #fffffe; padding: 1.0px}", "td.td1 {background-color: #fffffe; padding: 1.0px}"},
        {"\t span.s3 {letter-spacing: 1.0px; line-height: 14.0px; font-kerning: none} ",
         "span.s3 {font-kerning: none}"},
        // Code keeps its spaces and falls back on any monospace family.
        {"p.p4 {margin: 0.0px; font: 10.0px 'Courier New'; color: #000000}",
         "p.p4 {margin: 0.0px; text-indent: 0.0px; font: 10.0px 'Courier New', monospace; white-space: pre-wrap;}"},
        {"span.s4 {font: 10.0px Consolas}", "span.s4 {font: 10.0px Consolas, monospace; white-space: pre-wrap}"},
        {"span.s5 {font: 10.0px 'Courier Sans'}", "span.s5 {font: 10.0px 'Courier Sans'}"}};
    for (const auto& [rule, edited] : cases) EXPECT_EQ(editRule(rule), edited) << rule;
}
