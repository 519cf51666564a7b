// What a manuscript saved by LibreOffice keeps on its way through
// LibreOffice's RTF and the reader, with the real LibreOffice (skipped where
// it is not installed); how the converter meets LibreOffice's failures is
// the stand-in's business in ProgramTest.

#include "ConverterTestSupport.h"
#include "converter/WordImport.h"

#include <gtest/gtest.h>

#include <regex>

namespace conv::testing {
namespace {

TEST(ThroughLibreOffice, AnOdtKeepsItsChaptersPicturesCaptionsBreaksAndProperties) {
    if (findLibreOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
    quillary::testing::TestFolder folder;  // LibreOffice's profile goes into its cache
    Output html = convertFileToHtml(setting("QUILLARY_FIXTURES") + "/converter/libreoffice/captioned-chapters.odt");
    ASSERT_TRUE(html) << html.reason();
    EXPECT_NE(html->find("<title>The Glassblower's Winter</title>\n<meta name=\"author\" content=\"Tamsin Vale\">\n"),
              std::string::npos);
    // What each line is, in order, without its rule's number and its picture's bytes.
    const Lines expected = {
        "<h1 class=\"h title\"><b>The Glassblower's Winter</b></h1>",
        "<h1 class=\"h\"><b>Chapter One</b></h1>",
        "<p class=\"p\">The furnace was cold.</p>",
        "<p class=\"p picture\"><img src=\"data:image/png\" alt=\"A red pane of glass on the bench.\" width=\"76\" "
        "height=\"38\" style=\"width: 11.8%\" /></p>",
        "<p class=\"p caption\">Figure 1: The red pane</p>",
        "<h2 class=\"h\"><b>The bench</b></h2>",
        "<p class=\"p page-break-before\">After a page break.</p>",
        "<h1 class=\"h page-break-before\"><b>Chapter Two</b></h1>",
        // The WMF, made PNG by a second run of LibreOffice.
        "<p class=\"p picture\"><img src=\"data:image/png\" alt=\"A red metafile\" width=\"75\" height=\"37\" "
        "style=\"width: 11.7%\" /></p>",
        // LibreOffice's caption frame: its picture, then its caption.
        "<p class=\"p picture\"><img src=\"data:image/png\" alt=\"Framed pane\" width=\"113\" height=\"57\" "
        "style=\"width: 17.6%\" /></p>",
        "<p class=\"p caption\"><i>Illustration 1: framed caption</i></p>",
        "<p class=\"p\">Framed: </p>"};
    const std::regex numbersAndBytes(R"((class="[a-z]+)\d+|(data:image/[a-z]+);base64,[^"]*)");
    Lines actual;
    for (const std::string& line : bodyLines(*html)) actual.push_back(std::regex_replace(line, numbersAndBytes, "$1$2"));
    EXPECT_EQ(actual, expected);
}

// LibreOffice's RTF states each run's language (\lang, \alang), so the
// passages of an .odt or a .doc keep theirs.
TEST(ThroughLibreOffice, AnOdtKeepsTheLanguageOfItsPassages) {
    if (findLibreOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
    quillary::testing::TestFolder folder;
    Output html = convertFileToHtml(setting("QUILLARY_FIXTURES") + "/converter/libreoffice/passages.odt");
    ASSERT_TRUE(html) << html.reason();
    EXPECT_NE(html->find("<meta name=\"language\" content=\"fr-FR\">"), std::string::npos);
    EXPECT_NE(html->find("Le mot <span lang=\"el-GR\">\u03BB\u03CC\u03B3\u03BF\u03C2</span> veut"), std::string::npos);
    EXPECT_NE(html->find("<span lang=\"he-IL\">\u05E9"), std::string::npos);
}

}  // namespace
}  // namespace conv::testing
