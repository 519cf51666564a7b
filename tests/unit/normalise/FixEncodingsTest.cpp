#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "manuscript/Normalise.h"
#include "base/Text.h"

using namespace quillary;
using namespace quillary::manuscript;

namespace {
std::string inManuscript(const std::string& text, bool epub3 = false) {
    return fixEncodings(text, false, epub3);
}
std::string metadata(const std::string& text) { return fixEncodings(text, true, false); }

using Rules = std::vector<std::pair<std::string, std::string>>;

void replaceEach(std::string& text, const Rules& rules) {
    for (const auto& [from, to] : rules) text::replaceAll(text, from, to);
}

// The manuscript's hyphen runs become dashes outside its tags, comments and
// hyperlink fields' targets only; the metadata is text throughout.
void replaceHyphens(std::string& text, bool forBookInfo) {
    const Rules hyphens = {{"----", "&#8212;"}, {"---", "&#8212;"}, {"--", "&#8211;"}};
    if (forBookInfo) return replaceEach(text, hyphens);
    static const std::regex markup(R"(<!--[\s\S]*?(?:-->|$)|HYPERLINK "[^"]*(?:"|$)|<[A-Za-z/!?](?:[^<>"']|"[^"]*(?:"|$)|'[^']*(?:'|$))*>?)");
    std::string result;
    auto textStart = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), markup), end; it != end; ++it) {
        std::string between(textStart, (*it)[0].first);
        replaceEach(between, hyphens);
        result += between + it->str();
        textStart = (*it)[0].second;
    }
    std::string tail(textStart, text.cend());
    replaceEach(tail, hyphens);
    text = result + tail;
}

// The rules applied one after another, each over the whole text: what the
// single pass must always agree with.
std::string ruleByRule(std::string text, bool forBookInfo, bool epub3) {
    const std::string six = "&#160;&#160;&#160;&#160;&#160;&#160;";
    replaceEach(text, {{"\xE2\x80\x94", "&#8212;"}, {"\xE2\x80\x93", "&#8211;"}, {"\xE2\x80\x95", "&#8211;"}});
    replaceHyphens(text, forBookInfo);
    Rules rules;
    const Rules metadataBreaks = {{"\t", " "}, {"\\t", " "}, {"<br>", " "}};
    const Rules manuscriptBreaks = {{"<span class=\"Apple-tab-span\">\t</span>", six},
                                    {"<span class=\"Apple-tab-span\">\\t</span>", six},
                                    {"<br>", "<br />"}};
    const Rules tables = {{"valign=\"middle\"", "style=\"vertical-align:middle\""},
                          {"valign=\"top\"", "style=\"vertical-align:top\""},
                          {"valign=\"bottom\"", "style=\"vertical-align:bottom\""},
                          {"cellspacing=\"0\" cellpadding=\"0\"", "style=\"border-spacing: 0; padding: 0\""}};
    const Rules& breaks = forBookInfo ? metadataBreaks : manuscriptBreaks;
    rules.insert(rules.end(), breaks.begin(), breaks.end());
    if (epub3) rules.insert(rules.end(), tables.begin(), tables.end());
    replaceEach(text, rules);
    return EncodeForHTML(text);
}
}  // namespace

TEST(FixEncodings, OnePassAgreesWithTheRulesAppliedInTurn) {
    const std::vector<std::string> pieces = {
        "-", "--", "\xE2\x80\x94", "\xE2\x80\x93", "\xE2\x80\x95", "\t", "\\", "t", "<br>", "<br",
        "<span class=\"Apple-tab-span\">", "</span>", "valign=\"", "top\"", "middle\"", "bottom\"",
        "cellspacing=\"0\"", " cellpadding=\"0\"", " ", "v", "c", "\xC3\xA9", "\xE2", "\x80",
        "\xF0\x9F\x98\x80", "\xED\xA0\x80", "\x01", "\n", "\xEF\xBF\xBF", "<a href=\"", "\">", "<!--", "-->",
        "'", ">", "<", "<p", "</p>", "< ", "HYPERLINK \""};
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

TEST(FixEncodings, DashesTabsAndBreaksInBothSettings) {
    // Dashes from hyphen runs and dash characters; in the manuscript never inside markup.
    const std::string dashes = "a-b a--b a---b a----b a-----b a------b \xE2\x80\x94\xE2\x80\x93\xE2\x80\x95 x <-- y";
    const std::string dashed = "a-b a&#8211;b a&#8212;b a&#8212;b a&#8212;-b a&#8212;&#8211;b &#8212;&#8211;&#8211; "
                               "x <&#8211; y";
    EXPECT_EQ(inManuscript(dashes), dashed);
    EXPECT_EQ(metadata(dashes), dashed);
    EXPECT_EQ(inManuscript("<p class=\"a--b\"><a href=\"http://x.org/a--b?q='>'--\">a--b</a><!-- x > -- --></p>--"),
              "<p class=\"a--b\"><a href=\"http://x.org/a--b?q='>'--\">a&#8211;b</a><!-- x > -- --></p>&#8211;");
    EXPECT_EQ(inManuscript("HYPERLINK \"http://x.org/a--b\" <span>a--b</span>"),
              "HYPERLINK \"http://x.org/a--b\" <span>a&#8211;b</span>");
    EXPECT_EQ(metadata("<b>a--b</b>"), "<b>a&#8211;b</b>");
    // Tabs and line breaks depend on the setting.
    const std::string breaks = "a<span class=\"Apple-tab-span\">\t</span>b<span class=\"Apple-tab-span\">\\t</span>"
                               "c\td\\te<br>f<br />g\xC3\xA9";
    const std::string six = "&#160;&#160;&#160;&#160;&#160;&#160;";
    EXPECT_EQ(inManuscript(breaks), "a" + six + "b" + six + "c\td\\te<br />f<br />g&#233;");
    EXPECT_EQ(metadata(breaks), "a<span class=\"Apple-tab-span\"> </span>b<span class=\"Apple-tab-span\"> </span>"
                                "c d e f<br />g&#233;");
}

// The pages are XHTML: a passage's language is xml:lang in EPUB 2, and
// lang with xml:lang beside it in EPUB 3; only in a tag, only a plain tag.
TEST(FixEncodings, APassagesLanguageTakesTheFormOfThePages) {
    const std::string passage = "<p lang=\"el-GR\" class=\"p1\">a <span lang=\"he\">b</span> lang=\"x\"</p>";
    EXPECT_EQ(inManuscript(passage),
              "<p xml:lang=\"el-GR\" class=\"p1\">a <span xml:lang=\"he\">b</span> lang=\"x\"</p>");
    EXPECT_EQ(inManuscript(passage, true), "<p lang=\"el-GR\" xml:lang=\"el-GR\" class=\"p1\">a <span lang=\"he\" "
                                           "xml:lang=\"he\">b</span> lang=\"x\"</p>");
    for (const std::string odd : {"<p lang=\"a b\">", "<p lang=\"\">", "<p xml:lang=\"fr\">", "<p lang='fr'>",
                                  "<p lang=\"fr", "<p title=\"x lang=\"fr\">"})
        EXPECT_EQ(inManuscript(odd, true), odd);
    EXPECT_EQ(metadata("<p lang=\"fr\">"), "<p lang=\"fr\">");
}

TEST(NormaliseManuscript, APassageInTheBooksOwnLanguageLosesItsMark) {
    const std::string html = "<style type=\"text/css\">\n</style>\n<body>\n<p lang=\"fr-CA\" class=\"p1\">a "
                             "<span lang=\"el\">b</span> <span lang=\"FR\">c</span></p>\n</body>\n";
    const std::vector<std::string> lines = normaliseManuscript(html, false, "fr").lines;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "<p class=\"p1\">a <span xml:lang=\"el\">b</span> <span>c</span></p>"),
              lines.end());
}
