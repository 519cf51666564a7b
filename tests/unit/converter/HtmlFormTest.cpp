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

TEST(HtmlForm, BodyLinesOfEachConstruct) {
    const std::pair<std::string, Lines> cases[] = {
        // A line break is <br> then a line end; \u10 and \'0d must not put a line end inside a paragraph.
        {"\\pard one\\line two\\u8232?three\\par", {"<p class=\"p1\">one<br>", "two<br>", "three</p>"}},
        {"\\pard a\\u10?b\\'0dc\\'0bd\\par", {"<p class=\"p1\">abc<br>", "d</p>"}},
        // A hyperlink field takes the form the build turns into a link.
        {"\\pard See {\\field{\\*\\fldinst{HYPERLINK \"http://example.com/a?b=1&c=2\"}}"
         "{\\fldrslt{\\ul\\cf3 the site}}} now.\\par",
         {"<p class=\"p1\">See HYPERLINK \"http://example.com/a?b=1&amp;c=2\" <span class=\"s1\">the site</span>"
          " now.</p>"}},
        // Other fields, and links to a place inside the document, keep only their result.
        {"\\pard Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}\\par", {"<p class=\"p1\">Page 7</p>"}},
        {"\\pard {\\field{\\*\\fldinst HYPERLINK \\\\l \"_Toc1\"}{\\fldrslt Chapter}}\\par",
         {"<p class=\"p1\">Chapter</p>"}},
        // LibreOffice writes the contents entries of a Word document as links to "#" anchors.
        {"\\pard Aims {\\field{\\*\\fldinst HYPERLINK \"#__RefHeading___Toc34542813\" }{\\fldrslt {3}}}\\par",
         {"<p class=\"p1\">Aims 3</p>"}},
        // A footnote comes out at its place as an endnote mark, its paragraphs joined.
        {"\\pard Text.{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} The note.\\par Second line.} More.\\par",
         {"<p class=\"p1\">Text.&lt;&lt;The note. Second line.&gt;&gt; More.</p>"}}};
    for (const auto& [body, lines] : cases) EXPECT_EQ(bodyLines(rtfToHtml(rtf(body))), lines) << body;
}

TEST(HtmlForm, RulesCarryTheManuscriptsValues) {
    const std::string justified = "\\pard\\qj\\sl480\\slmult0\\cbpat3\\expndtw40\\f1 J\\par\\pard\\qr Right\\par";
    const std::string mostly = "\\pard\\f0\\fs24 {\\fs36 Big} and a much longer plain tail\\par";
    const char* const cases[][3] = {
        {"\\pard\\qc\\li720\\fi-360\\sa240\\f0\\fs24\\cf2 Centred\\par", "p.p1",
         "margin: 0.0px 0.0px 12.0px 36.0px; text-align: center; text-indent: -18.0px; "
         "font: 12.0px 'Times New Roman'; color: #1f1f1f"},
        // Margins are before, right, after, left, in twentieths of a pixel.
        {"\\pard\\sb30\\ri50\\sa70\\li90\\f1\\fs21 x\\par", "p.p1",
         "margin: 1.5px 2.5px 3.5px 4.5px; font: 10.5px Helvetica; color: #000000"},
        {justified.c_str(), "p.p1", "margin: 0.0px 0.0px 0.0px 0.0px; text-align: justify; line-height: 24.0px; "
         "font: 12.0px Helvetica; letter-spacing: 2.0px; color: #000000; background-color: #ff0000"},
        {justified.c_str(), "p.p2", "margin: 0.0px 0.0px 0.0px 0.0px; text-align: right; font: 12.0px Helvetica; "
         "letter-spacing: 2.0px; color: #000000"},
        // The paragraph takes the formatting of most of its text.
        {mostly.c_str(), "p.p1", "margin: 0.0px 0.0px 0.0px 0.0px; font: 12.0px 'Times New Roman'; color: #000000"},
        {mostly.c_str(), "span.s1", "font: 18.0px 'Times New Roman'"},
        // Cell borders side by side: a row's or a paragraph's border is no cell's.
        {"\\trowd\\trbrdrl\\brdrs\\brdrw10\\clbrdrt\\brdrdb\\brdrw30\\brdrcf3\\clbrdrb\\brdrdot\\cellx2000"
         "\\pard\\intbl\\brdrl\\brdrs x\\cell\\row", "td.td1",
         "width: 100.0px; border-style: double none dotted none; border-width: 1.5px 0.0px 1.0px 0.0px; "
         "border-color: #ff0000 #000000 #000000 #000000; padding: 0.0px 5.0px 0.0px 5.0px"}};
    for (const auto& [body, selector, rule] : cases) EXPECT_EQ(ruleOf(rtfToHtml(rtf(body)), selector), rule) << body;
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
        {"HYPERLINK \"http://a.org/%7Ex?q=1#top\"", "\"http://a.org/%7Ex?q=1#top\""},
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

TEST(HtmlForm, DroppedPartsLeaveNoText) {
    std::string text = visibleText(rtfToHtml(rtf(
        "{\\info{\\title T}{\\author A}}{\\header Running head\\par}{\\footer Page\\par}"
        "{\\*\\generator W}\\pard Body{\\pict\\pngblip 89504e47}{\\object{\\*\\objdata 0102}}"
        "{\\*\\bkmkstart m}{\\*\\annotation reviewer}{\\v hidden} text\\par")));
    EXPECT_EQ(text, "\nBody text\n");
}

}  // namespace
}  // namespace conv::testing
