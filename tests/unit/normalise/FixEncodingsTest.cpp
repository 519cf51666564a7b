#include <gtest/gtest.h>

#include <random>

#include "build/Normalise.h"
#include "build/Text.h"
#include "support/Harness.h"

using namespace quillary;

namespace {
std::string manuscript(const std::string& text, bool epub3 = false) {
    return fixEncodings(text, false, epub3);
}
std::string metadata(const std::string& text) { return fixEncodings(text, true, false); }

// The rules applied one after another, each over the whole text: what the
// single pass must always agree with.
std::string ruleByRule(std::string text, bool forBookInfo, bool epub3) {
    using text::replaceAll;
    replaceAll(text, "\xE2\x80\x94", "&#8212;");
    replaceAll(text, "----", "&#8212;");
    replaceAll(text, "---", "&#8212;");
    replaceAll(text, "\xE2\x80\x93", "&#8211;");
    replaceAll(text, "\xE2\x80\x95", "&#8211;");
    replaceAll(text, "--", "&#8211;");
    if (forBookInfo) {
        replaceAll(text, "\t", " ");
        replaceAll(text, "\\t", " ");
        replaceAll(text, "<br>", " ");
    } else {
        const std::string six = "&#160;&#160;&#160;&#160;&#160;&#160;";
        replaceAll(text, "<span class=\"Apple-tab-span\">\t</span>", six);
        replaceAll(text, "<span class=\"Apple-tab-span\">\\t</span>", six);
        replaceAll(text, "<br>", "<br />");
    }
    if (epub3) {
        replaceAll(text, "valign=\"middle\"", "style=\"vertical-align:middle\"");
        replaceAll(text, "valign=\"top\"", "style=\"vertical-align:top\"");
        replaceAll(text, "valign=\"bottom\"", "style=\"vertical-align:bottom\"");
        replaceAll(text, "cellspacing=\"0\" cellpadding=\"0\"", "style=\"border-spacing: 0; padding: 0\"");
    }
    return EncodeForHTML(text);
}
}  // namespace

TEST(FixEncodings, OnePassAgreesWithTheRulesAppliedInTurn) {
    const std::vector<std::string> pieces = {
        "-", "--", "\xE2\x80\x94", "\xE2\x80\x93", "\xE2\x80\x95", "\t", "\\", "t", "<br>", "<br",
        "<span class=\"Apple-tab-span\">", "</span>", "valign=\"", "top\"", "middle\"", "bottom\"",
        "cellspacing=\"0\"", " cellpadding=\"0\"", " ", "v", "c", "\xC3\xA9", "\xE2", "\x80",
        "\xF0\x9F\x98\x80", "\xED\xA0\x80"};
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
        const bool forBookInfo = round % 2 == 0;
        const bool epub3 = round % 3 == 0;
        ASSERT_EQ(fixEncodings(text, forBookInfo, epub3), ruleByRule(text, forBookInfo, epub3))
            << "input \"" << text << "\" bookInfo " << forBookInfo << " epub3 " << epub3;
    }
}

TEST(FixEncodings, RunsOfHyphensBecomeTheLongestDashesTheyCanMake) {
    EXPECT_EQ(manuscript("a-b"), "a-b");
    EXPECT_EQ(manuscript("a--b"), "a&#8211;b");
    EXPECT_EQ(manuscript("a---b"), "a&#8212;b");
    EXPECT_EQ(manuscript("a----b"), "a&#8212;b");
    EXPECT_EQ(manuscript("a-----b"), "a&#8212;-b");
    EXPECT_EQ(manuscript("a------b"), "a&#8212;&#8211;b");
    EXPECT_EQ(manuscript("a--------b"), "a&#8212;&#8212;b");
}

TEST(FixEncodings, DashCharactersAndHyphensInsideMarkup) {
    EXPECT_EQ(manuscript("a\xE2\x80\x94" "b\xE2\x80\x93" "c\xE2\x80\x95" "d"),
              "a&#8212;b&#8211;c&#8211;d");
    EXPECT_EQ(manuscript("<!-- note -->"), "<!&#8211; note &#8211;>");
    EXPECT_EQ(metadata("Part one -- the start"), "Part one &#8211; the start");
}

TEST(FixEncodings, ManuscriptTabSpansAndLineBreaks) {
    const std::string six = "&#160;&#160;&#160;&#160;&#160;&#160;";
    EXPECT_EQ(manuscript("<p>a<span class=\"Apple-tab-span\">\t</span>b</p>"), "<p>a" + six + "b</p>");
    EXPECT_EQ(manuscript("<span class=\"Apple-tab-span\">\\t</span>x"), six + "x");
    EXPECT_EQ(manuscript("one<br>two<br />three"), "one<br />two<br />three");
    // Outside a tab span a tab is left to the reading system.
    EXPECT_EQ(manuscript("a\tb"), "a\tb");
}

TEST(FixEncodings, MetadataLosesTabsAndBreaksToBlanks) {
    EXPECT_EQ(metadata("War\tand Peace"), "War and Peace");
    EXPECT_EQ(metadata("War\\tand<br>Peace"), "War and Peace");
    EXPECT_EQ(metadata("Caf\xC3\xA9 <br> Society\t\xE2\x80\x94 2"), "Caf&#233;   Society &#8212; 2");
    // The metadata setting leaves a tab span's markup for the tab alone.
    EXPECT_EQ(metadata("<span class=\"Apple-tab-span\">\t</span>"),
              "<span class=\"Apple-tab-span\"> </span>");
}

TEST(FixEncodings, TableAttributesBecomeStylesOnlyForEpub3) {
    const std::string cell =
        "<table cellspacing=\"0\" cellpadding=\"0\"><tr><td valign=\"top\">a</td>"
        "<td valign=\"middle\">b</td><td valign=\"bottom\">c</td></tr></table>";
    EXPECT_EQ(manuscript(cell, true),
              "<table style=\"border-spacing: 0; padding: 0\"><tr>"
              "<td style=\"vertical-align:top\">a</td><td style=\"vertical-align:middle\">b</td>"
              "<td style=\"vertical-align:bottom\">c</td></tr></table>");
    EXPECT_EQ(manuscript(cell, false), cell);
}

TEST(FixEncodings, EndsInPureAscii) {
    const std::string out = manuscript("\xE2\x80\x9CQuoted\xE2\x80\x9D \xF0\x9F\x98\x80 na\xC3\xAFve");
    EXPECT_EQ(out, "&#8220;Quoted&#8221; &#128512; na&#239;ve");
}

TEST(FixEncodings, ControllerReadsTheEpub3PreferenceAtEachCall) {
    quillary::testing::Harness h(false);
    const std::string cell = "<td valign=\"top\">x</td>";
    h.preferences.setBool(prefs::kEpub3, true);
    EXPECT_EQ(h.c().fixEncodings(cell, false), "<td style=\"vertical-align:top\">x</td>");
    h.preferences.setBool(prefs::kEpub3, false);
    EXPECT_EQ(h.c().fixEncodings(cell, false), cell);
    EXPECT_EQ(h.c().fixEncodings("a<br>b", true), "a b");
}
