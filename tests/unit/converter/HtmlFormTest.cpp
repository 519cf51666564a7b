// The HTML form that the build reads, point by point, on small RTF written
// the way word processors write it.

#include "ConverterTestSupport.h"

#include <gtest/gtest.h>

namespace conv::testing {
namespace {

const std::string kFonts = "{\\fonttbl\\f0\\froman\\fcharset0 Times New Roman;\\f1\\fswiss\\fcharset0 Helvetica;}";
const std::string kColors = "{\\colortbl;\\red0\\green0\\blue0;\\red31\\green31\\blue31;\\red255\\green0\\blue0;}";

std::string rtf(const std::string& body) { return "{\\rtf1\\ansi\\deff0" + kFonts + kColors + body + "}"; }

TEST(HtmlForm, PageHasStyleBlockAndBodyOnLinesOfTheirOwn) {
    std::string html = rtfToHtml(rtf("\\pard\\f0\\fs24 One\\par Two\\par"));
    EXPECT_NE(html.find("\n<style type=\"text/css\">\n"), std::string::npos);
    EXPECT_NE(html.find("\n</style>\n"), std::string::npos);
    EXPECT_NE(html.find("\n<body>\n"), std::string::npos);
    EXPECT_TRUE(html.ends_with("\n</body>\n</html>\n"));
    for (const std::string& rule : styleLines(html)) EXPECT_TRUE(rule.ends_with("}")) << rule;
    EXPECT_EQ(bodyLines(html), (std::vector<std::string>{"<p class=\"p1\">One</p>", "<p class=\"p1\">Two</p>"}));
}

TEST(HtmlForm, ParagraphRuleCarriesTheManuscriptsValues) {
    std::string html = rtfToHtml(rtf("\\pard\\qc\\li720\\fi-360\\sa240\\f0\\fs24\\cf2 Centred\\par"));
    EXPECT_EQ(ruleOf(html, "p.p1"), "margin: 0.0px 0.0px 12.0px 36.0px; text-align: center; text-indent: -18.0px; "
                                    "font: 12.0px 'Times New Roman'; color: #1f1f1f");
}

TEST(HtmlForm, MarginsFollowBeforeRightAfterLeftInTwentiethsOfAPixel) {
    std::string html = rtfToHtml(rtf("\\pard\\sb30\\ri50\\sa70\\li90\\f1\\fs21 x\\par"));
    EXPECT_EQ(ruleOf(html, "p.p1"), "margin: 1.5px 2.5px 3.5px 4.5px; font: 10.5px Helvetica; color: #000000");
}

TEST(HtmlForm, AlignmentSpacingAndBackgroundDeclarations) {
    std::string html = rtfToHtml(
        rtf("\\pard\\qj\\sl480\\slmult0\\cbpat3\\expndtw40\\f1 Justified and spaced\\par\\pard\\qr Right\\par"));
    std::string justified = ruleOf(html, "p.p1");
    EXPECT_NE(justified.find("; text-align: justify"), std::string::npos) << justified;
    EXPECT_NE(justified.find("line-height: 24.0px"), std::string::npos) << justified;
    EXPECT_NE(justified.find("letter-spacing: 2.0px"), std::string::npos) << justified;
    EXPECT_NE(justified.find("background-color: #ff0000"), std::string::npos) << justified;
    EXPECT_NE(ruleOf(html, "p.p2").find("text-align: right"), std::string::npos);
}

TEST(HtmlForm, EqualRulesShareOneClassNumberedInOrderOfFirstUse) {
    std::string html = rtfToHtml(rtf("\\pard\\qc A\\par\\pard B\\par\\pard\\qc C\\par"));
    EXPECT_EQ(bodyLines(html), (std::vector<std::string>{"<p class=\"p1\">A</p>", "<p class=\"p2\">B</p>",
                                                         "<p class=\"p1\">C</p>"}));
    EXPECT_EQ(styleLines(html).size(), 2u);
}

TEST(HtmlForm, EmptyParagraphIsABreakWithAMinimumHeight) {
    std::string html = rtfToHtml(rtf("\\pard\\f0\\fs24 Text\\par\\par"));
    EXPECT_EQ(bodyLines(html).at(1), "<p class=\"p2\"><br></p>");
    EXPECT_NE(ruleOf(html, "p.p2").find("min-height: 14.0px"), std::string::npos);
}

TEST(HtmlForm, RightToLeftParagraphCarriesDir) {
    EXPECT_EQ(onlyLine(rtf("\\pard\\rtlpar\\qr Shalom\\par")), "<p dir=\"rtl\" class=\"p1\">Shalom</p>");
    std::vector<std::string> lines = bodyLines(rtfToHtml(rtf("\\pard\\rtlpar A\\par\\ltrpar B\\par")));
    EXPECT_EQ(lines.at(1).find("dir="), std::string::npos);
}

TEST(HtmlForm, LineBreakIsBrThenALineEnd) {
    std::vector<std::string> lines = bodyLines(rtfToHtml(rtf("\\pard one\\line two\\u8232?three\\par")));
    EXPECT_EQ(lines, (std::vector<std::string>{"<p class=\"p1\">one<br>", "two<br>", "three</p>"}));
}

TEST(HtmlForm, TabIsAnAppleTabSpan) {
    EXPECT_EQ(onlyLine(rtf("\\pard a\\tab b\\par")),
              "<p class=\"p1\">a<span class=\"Apple-tab-span\">\t</span>b</p>");
}

TEST(HtmlForm, ManuscriptMarkupCharactersBecomeEntitiesAndOthersStayUtf8) {
    EXPECT_EQ(onlyLine(rtf("\\pard <<note>> & caf\\'e9 \\u8364?\\par")),
              "<p class=\"p1\">&lt;&lt;note&gt;&gt; &amp; caf\xC3\xA9 \xE2\x82\xAC</p>");
}

TEST(HtmlForm, ControlCharactersCannotBreakTheLineStructure) {
    // \u10 and \'0d would put a line end inside a paragraph line.
    EXPECT_EQ(bodyLines(rtfToHtml(rtf("\\pard a\\u10?b\\'0dc\\'0bd\\par"))),
              (std::vector<std::string>{"<p class=\"p1\">abc<br>", "d</p>"}));
}

TEST(HtmlForm, BoldAndItalicAreTagsOtherFormattingIsASpanClass) {
    std::string html = rtfToHtml(rtf("\\pard\\f0\\fs24 plain text here {\\b bold} {\\i it} {\\ul under} "
                                     "{\\strike gone} {\\cf3 red} {\\fs36 big} {\\f1 sans} {\\super 2} {\\sub x}\\par"));
    std::string line = bodyLines(html).at(0);
    EXPECT_NE(line.find("<b>bold</b>"), std::string::npos) << line;
    EXPECT_NE(line.find("<i>it</i>"), std::string::npos) << line;
    std::vector<std::string> expected = {"text-decoration: underline", "text-decoration: line-through",
                                         "color: #ff0000", "font: 18.0px 'Times New Roman'",
                                         "font: 12.0px Helvetica", "vertical-align: super", "vertical-align: sub"};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        std::string selector = "span.s" + std::to_string(i + 1);
        EXPECT_EQ(ruleOf(html, selector), expected[i]);
        EXPECT_NE(line.find("<span class=\"s" + std::to_string(i + 1) + "\">"), std::string::npos) << selector;
    }
}

TEST(HtmlForm, ParagraphRuleTakesTheFormattingOfMostOfItsText) {
    std::string html = rtfToHtml(rtf("\\pard\\f0\\fs24 {\\fs36 Big} and a much longer plain tail\\par"));
    EXPECT_NE(ruleOf(html, "p.p1").find("font: 12.0px"), std::string::npos);
    EXPECT_EQ(ruleOf(html, "span.s1"), "font: 18.0px 'Times New Roman'");
}

TEST(HtmlForm, HyperlinkFieldTakesTheFormTheBuildTurnsIntoALink) {
    std::string line = onlyLine(rtf("\\pard See {\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a?b=1&c=2\"}}"
                                    "{\\fldrslt{\\ul\\cf3 the site}}} now.\\par"));
    EXPECT_EQ(line, "<p class=\"p1\">See HYPERLINK \"http://example.com/a?b=1&amp;c=2\" <span class=\"s1\">"
                    "the site</span> now.</p>");
}

TEST(HtmlForm, LinkTargetIsMadeAValidUri) {
    // Word keeps links to documents as Windows paths; EPUBCheck rejects an
    // href with blanks or backslashes, and a quote would end the target.
    auto linkLine = [](const std::string& instruction) {
        return onlyLine(rtf("\\pard {\\field{\\*\\fldinst " + instruction + "}{\\fldrslt Dip}}\\par"));
    };
    EXPECT_NE(linkLine("HYPERLINK \"..\\\\\\\\Dips\\\\\\\\Dip, \\u233?.doc\"")
                  .find("HYPERLINK \"..%5CDips%5CDip,%20%C3%A9.doc\" <span"),
              std::string::npos);
    EXPECT_NE(linkLine("HYPERLINK http://x.org/a\"b").find("HYPERLINK \"http://x.org/a%22b\" <span"), std::string::npos);
    EXPECT_NE(linkLine("HYPERLINK \"http://a.org/%7Ex?q=1#top\"").find("\"http://a.org/%7Ex?q=1#top\""),
              std::string::npos);
    // Word doubles the fragment into the anchor of some links.
    EXPECT_NE(linkLine("HYPERLINK \"http://a.org/p.html\" \\\\l \"note1#note1\"")
                  .find("\"http://a.org/p.html#note1%23note1\""),
              std::string::npos);
}

TEST(HtmlForm, LinkTextHoldsNoNestedSpanThatWouldCutItShort) {
    std::string line = onlyLine(rtf("\\pard {\\field{\\*\\fldinst HYPERLINK \"http://x.org\"}"
                                    "{\\fldrslt one {\\cf3 two}\\tab {\\b three}}}\\par"));
    std::size_t open = line.find("\" <span");
    std::size_t close = line.find("</span>");
    ASSERT_NE(open, std::string::npos);
    EXPECT_EQ(line.substr(line.find('>', open) + 1, close - line.find('>', open) - 1), "one two <b>three</b>");
}

TEST(HtmlForm, FieldsThatAreNotLinksKeepOnlyTheirResult) {
    EXPECT_EQ(onlyLine(rtf("\\pard Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}\\par")), "<p class=\"p1\">Page 7</p>");
    // A link to a place inside the document has no address in the book.
    EXPECT_EQ(onlyLine(rtf("\\pard {\\field{\\*\\fldinst HYPERLINK \\\\l \"_Toc1\"}{\\fldrslt Chapter}}\\par")),
              "<p class=\"p1\">Chapter</p>");
}

TEST(HtmlForm, TableRowsAndCellsStandOnLinesOfTheirOwn) {
    std::string html = rtfToHtml(rtf("\\trowd\\cellx2000\\cellx5000\\pard\\intbl A\\cell B\\par B2\\cell\\row"
                                     "\\pard After\\par"));
    EXPECT_EQ(bodyLines(html),
              (std::vector<std::string>{"<table cellspacing=\"0\" cellpadding=\"0\" class=\"t1\">", "<tbody>", "<tr>",
                                        "<td valign=\"top\" class=\"td1\">", "<p class=\"p1\">A</p>", "</td>",
                                        "<td valign=\"top\" class=\"td2\">", "<p class=\"p1\">B</p>",
                                        "<p class=\"p1\">B2</p>", "</td>", "</tr>", "</tbody>", "</table>",
                                        "<p class=\"p1\">After</p>"}));
    EXPECT_EQ(ruleOf(html, "td.td1"), "width: 100.0px; padding: 0.0px 5.0px 0.0px 5.0px");
    EXPECT_EQ(ruleOf(html, "td.td2"), "width: 150.0px; padding: 0.0px 5.0px 0.0px 5.0px");
}

TEST(HtmlForm, ListItemsKeepTheirVisibleMarks) {
    std::string html = rtfToHtml(rtf("{\\listtext\\'95\\tab}\\pard\\ls1\\li720\\fi-360 Apples\\par"
                                     "{\\listtext\\'95\\tab}Pears\\par"
                                     "{\\pntext 1.\\tab}\\pard First\\par"
                                     "\\pard Plain\\par"));
    EXPECT_EQ(bodyLines(html), (std::vector<std::string>{"<ul class=\"ul1\">",
                                                         "<li class=\"li1\">\xE2\x80\xA2 Apples</li>",
                                                         "<li class=\"li1\">\xE2\x80\xA2 Pears</li>", "</ul>",
                                                         "<ol class=\"ol1\">", "<li class=\"li2\">1. First</li>",
                                                         "</ol>", "<p class=\"p1\">Plain</p>"}));
    EXPECT_NE(ruleOf(html, "ul.ul1").find("list-style-type: none"), std::string::npos);
}

TEST(HtmlForm, FootnoteComesOutAtItsPlaceAsAnEndnoteMark) {
    EXPECT_EQ(onlyLine(rtf("\\pard Text.{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} The note.\\par "
                           "Second line.} More.\\par")),
              "<p class=\"p1\">Text.&lt;&lt;The note. Second line.&gt;&gt; More.</p>");
}

TEST(HtmlForm, DroppedPartsLeaveNoText) {
    std::string text = visibleText(rtfToHtml(rtf(
        "{\\info{\\title T}{\\author A}}{\\header Running head\\par}{\\footer Page\\par}"
        "{\\*\\generator W}\\pard Body{\\pict\\pngblip 89504e47}{\\object{\\*\\objdata 0102}}"
        "{\\*\\bkmkstart m}{\\*\\annotation reviewer}{\\v hidden} text\\par")));
    EXPECT_EQ(text, "\nBody text\n");
}

}  // namespace
}  // namespace conv::testing
