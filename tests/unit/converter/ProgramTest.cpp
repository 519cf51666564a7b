// The quillary-textutil program as the build runs it: -info verdicts, the
// conversion on standard output, errors, and Word files through LibreOffice.

#include "ConverterTestSupport.h"
#include "converter/WordImport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace conv::testing {
namespace {

const Lines kConvert = {"-convert", "html", "-stdout", "-strip"};

class Program : public ::testing::Test {
protected:
    quillary::testing::TestFolder folder;
    const std::string wordFile = setting("QUILLARY_FIXTURES") + "/converter/cases/from-libreoffice.doc";
    ProgramResult convert(const std::string& file) {
        Lines arguments = kConvert;
        arguments.push_back(file);
        return runTextutil(arguments);
    }
};

TEST_F(Program, InfoNamesRichTextByContentAndPlainTextWithTwoBlanks) {
    std::string file = folder.write("Manuscript.doc", "{\\rtf1\\ansi Hello\\par}");
    ProgramResult result = runTextutil({"-info", file});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "File:  " + file + "\n  Type:  rich text format (RTF)\n  Size:  22 bytes\n"
                             "  Length:  6 characters\n");
    result = runTextutil({"-info", folder.write("Notes.txt", "Just words\nand more.\n")});
    EXPECT_NE(result.output.find("\n  Type:  plain text\n"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("Error"), std::string::npos);
}

TEST_F(Program, ReportOnAFileNameThatIsNotUtf8IsStillUtf8) {
    // The build ignores output that is not UTF-8; a Latin-1 file name must
    // not make a good manuscript look unreadable.
    ProgramResult result = runTextutil({"-info", folder.write("Caf\xE9.rtf", "{\\rtf1 x}")});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("File:  " + folder.path() + "/Caf\xEF\xBF\xBD.rtf\n"), std::string::npos)
        << result.output;
}

TEST_F(Program, UnreadableFilesAndBadArgumentsAreErrorsWithAFailingStatus) {
    std::string binary = folder.write("image.rtf", std::string("\x89PNG\r\n\x1a\n\0\0\0", 11));
    for (const std::string& file : {binary, folder.file("missing.rtf"), folder.path()}) {
        ProgramResult result = runTextutil({"-info", file});
        EXPECT_TRUE(result.output.starts_with("Error reading \"" + file + "\"")) << result.output;
        EXPECT_NE(result.status, 0);
    }
    ProgramResult result = runTextutil({"-info", wordFile}, folder.makeFolder("empty-bin").c_str());
    EXPECT_TRUE(result.output.starts_with("Error reading")) << result.output;
    EXPECT_NE(result.output.find("LibreOffice is needed for .doc files"), std::string::npos) << result.output;
    result = convert(folder.file("gone.rtf"));
    EXPECT_TRUE(result.output.starts_with("Error ")) << result.output;
    EXPECT_NE(result.status, 0);
    result = runTextutil({"-convert"});
    EXPECT_TRUE(result.output.starts_with("Error ")) << result.output;
    EXPECT_EQ(result.status, 2);
}

TEST_F(Program, ConvertWritesTheHtmlOnStandardOutput) {
    ProgramResult result = convert(folder.write("My \"odd\" $name`.rtf", "{\\rtf1 Caf\\'e9 <b>\\par}"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(bodyLines(result.output), Lines{"<p class=\"p1\">Caf\xC3\xA9 &lt;b&gt;</p>"});
    // Plain text: one paragraph per line.
    result = convert(folder.write("a.txt", "one\r\ntwo & <three>\n\nfour"));
    EXPECT_EQ(bodyLines(result.output), (Lines{"<p class=\"p1\">one</p>", "<p class=\"p1\">two &amp; &lt;three&gt;</p>",
                                               "<p class=\"p2\"><br></p>", "<p class=\"p1\">four</p>"}));
}

TEST_F(Program, WordFileMadeByLibreOfficeConvertsThroughIt) {
    if (findLibreOffice().empty()) GTEST_SKIP() << "LibreOffice is not installed";
    ProgramResult info = runTextutil({"-info", wordFile});
    EXPECT_NE(info.output.find("  Type:  Word format\n"), std::string::npos) << info.output;
    ProgramResult result = convert(wordFile);
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(visibleText(result.output).find("Chapter One"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("HYPERLINK \"http://example.com/\""), std::string::npos);
    EXPECT_NE(result.output.find("<b>"), std::string::npos);
    // The private folder and profile are gone afterwards.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder.tempFolder(), error))
        EXPECT_FALSE(entry.path().filename().string().starts_with("quillary-doc-")) << entry.path();
    EXPECT_FALSE(error) << error.message();
}

}  // namespace
}  // namespace conv::testing
