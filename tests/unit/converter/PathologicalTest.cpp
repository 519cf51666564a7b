// Inputs built to break a reader: each must give a document
// quickly and with memory in proportion to its size. (ctest's time limit catches a hang;
// no test here measures time.)

#include "ConverterTestSupport.h"
#include "converter/RtfReader.h"
#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <random>

namespace conv::testing {
namespace {

TEST(Pathological, DeepGroupsLongWordsAndHugeLengthsKeepTheText) {
    const std::pair<std::string, std::string> cases[] = {
        {"{\\rtf1 start" + std::string(1000000, '{') + "deep" + std::string(1000000, '}') + " end\\par}",
         "startdeep end"},
        // An ignorable group past the depth limit is still skipped.
        {"{\\rtf1 a" + std::string(20000, '{') + "{\\*\\secret hidden}b" + std::string(20000, '}') + "c}", "abc"},
        // A binary length beyond the file ends the document.
        {"{\\rtf1 before{\\pict\\bin2147483647 " + std::string(100000, '{') + "}", "before"},
        {"{\\rtf1 a\\bin-5 b}", "ab"},
        {"{\\rtf1 a\\bin99999999999999999999 b}", "a"},
        {"{\\rtf1 a\\" + std::string(1000000, 'x') + " b\\par}", "ab"},
        // A word that merely starts like a real one must not act as it.
        {"{\\rtf1 a\\parxxxxxxxxxxxxxxxxxxxxxxxxxxxxx b}", "ab"}};
    for (const auto& [rtf, text] : cases)
        EXPECT_EQ(visibleText(rtfToHtml(rtf)), "\n" + text + "\n") << rtf.substr(0, 60);
}

TEST(Pathological, EveryTruncationOfARealDocumentReads) {
    std::string rtf = readFile(setting("QUILLARY_FIXTURES") + "/converter/cases/word-novel-page.rtf");
    ASSERT_FALSE(rtf.empty());
    for (std::size_t length = 0; length <= rtf.size(); ++length)
        ASSERT_NE(rtfToHtml(std::string_view(rtf).substr(0, length)).find("</body>"), std::string::npos) << length;
}

TEST(Pathological, RandomBytesAndRandomTokensRead) {
    std::mt19937 random(3);
    const char* pieces[] = {"{", "}", "\\par ", "\\u-10179?", "\\'e9", "\\'81", "\xC3", "\\u56000 ", "\\bin3 ",
                            "\\*", "\\field", "\\fldinst ", "\\fldrslt ", "\\footnote ", "\\cell ", "\\row ",
                            "\\trowd", "\\intbl ", "\\listtext ",
                            "x", "\\fonttbl", "\\f1 ", ";", "\\uc9 ", "\\b ", "HYPERLINK \"a\" ", "\\line ", "\\tab ",
                            "{\\pict\\pngblip ", "89504e470d0a1a0a", "{\\*\\shppict", "{\\shp{\\*\\shpinst",
                            "{\\sp{\\sn pib}{\\sv ", "\\info{\\title ", "\\page ", "\\sect ", "\\outlinelevel0 "};
    for (int round = 0; round < 200; ++round) {
        std::string rtf = "{\\rtf1 ";
        for (int i = 0; i < 400; ++i) rtf += pieces[random() % std::size(pieces)];
        std::string html = rtfToHtml(rtf);
        ASSERT_NE(html.find("</body>"), std::string::npos) << rtf;
        ASSERT_TRUE(quillary::utf8::isValid(html)) << rtf;
        std::string bytes(2000, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        for (int codePage : {65001, 932, 1252}) {
            html = rtfToHtml("{\\rtf1\\ansicpg" + std::to_string(codePage) + " " + bytes);
            ASSERT_NE(html.find("</body>"), std::string::npos);
            ASSERT_TRUE(quillary::utf8::isValid(html)) << codePage;
        }
    }
}

TEST(Pathological, ManyParagraphsAndCellsStayProportional) {
    std::string rtf = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i) rtf += "\\par ";
    for (int i = 0; i < 100000; ++i) rtf += "\\cell ";
    rtf += "\\row}";
    Document document = readRtf(rtf).value();
    EXPECT_EQ(std::count_if(document.blocks.begin(), document.blocks.end(),
                            [](const Block& block) { return std::holds_alternative<Paragraph>(block); }),
              100000);
    ASSERT_TRUE(std::holds_alternative<Table>(document.blocks.back()));
    EXPECT_EQ(std::get<Table>(document.blocks.back()).rows.at(0).cells.size(), 100000u);
}

}  // namespace
}  // namespace conv::testing
