#include "epub/WellFormed.h"

#include <gtest/gtest.h>

namespace quillary::epub {
namespace {

constexpr const char* kXhtml11 =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" \"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">\n";
constexpr const char* kHtml5 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n";

std::string page(const char* prolog, const std::string& body) {
    return std::string(prolog) + "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<body>\n" + body +
           "\n</body>\n</html>\n";
}

TEST(WellFormed, AcceptsWhatTheBuildWrites) {
    const std::string cases[] = {
        page(kXhtml11, "<p class=\"a\" id='b'>caf&#233; &amp; &#x1F600; &nbsp;<br /></p>"),
        page(kHtml5, "<p>x&lt;y&gt;z &quot;&apos;</p><!-- note --><![CDATA[ <raw> & ]]><?pi data?>"),
        "\xEF\xBB\xBF<package><item href=\"a.xhtml\"/></package>\n<!-- after -->\n",
        "<root\n  a = \"1\"\n  b='2'\n></root >",
    };
    for (const auto& document : cases) EXPECT_TRUE(wellFormed(document)) << document;
}

TEST(WellFormed, NamesTheFirstFaultAndItsLine) {
    const std::pair<std::string, std::string> cases[] = {
        {page(kHtml5, "<p><span>a</p></span>"), "line 5: </p> closes <span>"},
        {page(kHtml5, "<p>open"), "line 6: </body> closes <p>"},
        {"<html><body>\n<p>open", "line 2: <p> is never closed"},
        {page(kHtml5, "<p>&nbsp;</p>"), "line 5: the entity &nbsp; is not declared"},
        {page(kXhtml11, "<p>&bogus;</p>"), "line 5: the entity &bogus; is not declared"},
        {page(kHtml5, "<p>AT&T rocks</p>"), "line 5: a \"&\" that starts no reference"},
        {page(kHtml5, "<p>&#1;</p>"), "line 5: a reference to a character XML forbids"},
        {page(kHtml5, "<a href=\"x\" href=\"y\">t</a>"), "line 5: the attribute href twice in <a>"},
        {page(kHtml5, "<a href=x>t</a>"), "line 5: an unquoted attribute value"},
        {page(kHtml5, "<a title=\"1<2\">t</a>"), "line 5: a \"<\" inside an attribute value"},
        {page(kHtml5, "<p>1 < 2</p>"), "line 5: a \"<\" that starts no tag"},
        {page(kHtml5, "<p>\x01</p>"), "line 5: a byte that is not an XML character in UTF-8"},
        {page(kHtml5, "<p>\xC3(</p>"), "line 5: a byte that is not an XML character in UTF-8"},
        {page(kHtml5, "<!-- a -- b -->"), "line 5: \"--\" inside a comment"},
        {"<a></a><b></b>", "line 1: content after the root element"},
        {"text<a/>", "line 1: text before the root element"},
        {"", "line 1: the document has no root element"},
        {"</a>", "line 1: a \"<\" that starts no tag"},
    };
    for (const auto& [document, error] : cases) {
        const Outcome checked = wellFormed(document);
        ASSERT_FALSE(checked) << document;
        EXPECT_EQ(checked.reason(), error) << document;
    }
}

}  // namespace
}  // namespace quillary::epub
