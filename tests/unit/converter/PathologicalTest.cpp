// Inputs built to break a reader: each must give a document quickly and
// with memory in proportion to its size. (ctest's time limit catches a hang;
// no test here measures time.)

#include "ConverterTestSupport.h"
#include "converter/RtfReader.h"
#include "converter/RtfTokenizer.h"

#include <gtest/gtest.h>

#include <random>

namespace conv::testing {
namespace {

std::size_t paragraphCount(const Document& document) {
    std::size_t count = 0;
    for (const Block& block : document.blocks) count += std::holds_alternative<Paragraph>(block);
    return count;
}

TEST(Pathological, MillionOpenGroupsKeepTheTextAfterThem) {
    std::string rtf = "{\\rtf1 start" + std::string(1000000, '{') + "deep" + std::string(1000000, '}') + " end\\par}";
    EXPECT_EQ(visibleText(rtfToHtml(rtf)), "\nstartdeep end\n");
}

TEST(Pathological, IgnorableGroupPastTheDepthLimitIsStillSkipped) {
    std::string rtf = "{\\rtf1 a" + std::string(20000, '{') + "{\\*\\secret hidden}b" + std::string(20000, '}') + "c}";
    std::string text = visibleText(rtfToHtml(rtf));
    EXPECT_EQ(text.find("hidden"), std::string::npos);
    EXPECT_NE(text.find("abc"), std::string::npos) << text;
}

TEST(Pathological, BinaryLengthBeyondTheFileEndsTheDocument) {
    std::string rtf = "{\\rtf1 before{\\pict\\bin2147483647 " + std::string(100000, '\x7b') + "}";
    EXPECT_EQ(visibleText(rtfToHtml(rtf)), "\nbefore\n");
    EXPECT_EQ(visibleText(rtfToHtml("{\\rtf1 a\\bin-5 b}")), "\nab\n");
    EXPECT_EQ(visibleText(rtfToHtml("{\\rtf1 a\\bin99999999999999999999 b}")), "\na\n");
}

TEST(Pathological, HugeControlWordsAndNumbersAreHarmless) {
    std::string longWord = "{\\rtf1 a\\" + std::string(1000000, 'x') + " b\\par}";
    EXPECT_EQ(visibleText(rtfToHtml(longWord)), "\nab\n");
    // A word that merely starts like a real one must not act as it.
    EXPECT_EQ(visibleText(rtfToHtml("{\\rtf1 a\\parxxxxxxxxxxxxxxxxxxxxxxxxxxxxx b}")), "\nab\n");
    std::string html = rtfToHtml("{\\rtf1\\fs999999999999999999\\li-99999999999\\uc999999999 x\\u1?\\par}");
    EXPECT_NE(html.find("font: 1638.0px"), std::string::npos);
    EXPECT_NE(html.find("1584.0px"), std::string::npos);  // 22 inches
}

TEST(Pathological, TokenizerClampsParameters) {
    RtfTokenizer tokens("\\fs-99999999999999 \\b99999999999999");
    Token first = tokens.next();
    EXPECT_EQ(first.word, "fs");
    EXPECT_EQ(first.param, INT32_MIN);
    Token second = tokens.next();
    EXPECT_EQ(second.word, "b");
    EXPECT_EQ(second.param, INT32_MAX);
    EXPECT_EQ(tokens.next().kind, Token::Kind::End);
}

TEST(Pathological, EveryTruncationOfARealDocumentReads) {
    std::string rtf = readFile(setting("QUILLARY_FIXTURES") + "/converter/cases/word-novel-page.rtf");
    ASSERT_FALSE(rtf.empty());
    for (std::size_t length = 0; length <= rtf.size(); ++length) {
        std::string html = rtfToHtml(std::string_view(rtf).substr(0, length));
        ASSERT_NE(html.find("</body>"), std::string::npos) << length;
    }
}

// The build throws away output that is not UTF-8.
bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

TEST(Pathological, RandomBytesAndRandomTokensRead) {
    std::mt19937 random(3);
    const char* pieces[] = {"{", "}", "\\par ", "\\u-10179?", "\\'e9", "\\'81", "\xC3", "\\u56000 ", "\\bin3 ",
                            "\\*", "\\field", "\\fldinst ", "\\fldrslt ", "\\footnote ", "\\cell ", "\\row ",
                            "\\trowd", "\\intbl ", "\\listtext ",
                            "x", "\\fonttbl", "\\f1 ", ";", "\\uc9 ", "\\b ", "HYPERLINK \"a\" ", "\\line ", "\\tab "};
    for (int round = 0; round < 200; ++round) {
        std::string rtf = "{\\rtf1 ";
        for (int i = 0; i < 400; ++i) rtf += pieces[random() % std::size(pieces)];
        std::string html = rtfToHtml(rtf);
        ASSERT_NE(html.find("</body>"), std::string::npos) << rtf;
        ASSERT_TRUE(isUtf8(html)) << rtf;
        std::string bytes(2000, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        for (int codePage : {65001, 932, 1252}) {
            html = rtfToHtml("{\\rtf1\\ansicpg" + std::to_string(codePage) + " " + bytes);
            ASSERT_NE(html.find("</body>"), std::string::npos);
            ASSERT_TRUE(isUtf8(html)) << codePage;
        }
    }
}

TEST(Pathological, ManyParagraphsAndCellsStayProportional) {
    std::string rtf = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i) rtf += "\\par ";
    for (int i = 0; i < 100000; ++i) rtf += "\\cell ";
    rtf += "\\row}";
    Document document = readRtf(rtf);
    EXPECT_EQ(paragraphCount(document), 100000u);
    ASSERT_TRUE(std::holds_alternative<Table>(document.blocks.back()));
    EXPECT_EQ(std::get<Table>(document.blocks.back()).rows.at(0).cells.size(), 100000u);
}

}  // namespace
}  // namespace conv::testing
