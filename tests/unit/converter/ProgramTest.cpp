// The quillary-textutil program as the build runs it: -info verdicts, the
// conversion on standard output, errors, and Word files through a stand-in
// LibreOffice (the real one converts the corpus and the word-processors book).

#include "ConverterTestSupport.h"
#include "DocxTestSupport.h"
#include "converter/PictureConversion.h"
#include "converter/WordImport.h"
#include "support/ZipParts.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

namespace conv::testing {
namespace {

const Lines kConvert = {"-convert", "html", "-stdout", "-strip"};

class Program : public ::testing::Test {
protected:
    quillary::testing::TestFolder folder;
    const std::string wordFile = setting("QUILLARY_FIXTURES") + "/converter/cases/from-libreoffice.doc";
    ProgramResult convert(const std::string& file, const char* path = nullptr) {
        Lines arguments = kConvert;
        arguments.push_back(file);
        return runTextutil(arguments, path);
    }
};

// A stand-in for LibreOffice named soffice, first on the PATH it returns: it
// notes each start in `calls` ("init" for a start that only makes the
// profile, "convert" for the others), then does what `behaviour` (shell
// text) says, or `init` for the first kind. $out is the folder LibreOffice
// writes into.
std::string standInPath(const quillary::testing::TestFolder& folder, const std::string& behaviour,
                        const std::string& init = "exit 0") {
    std::string script = "#!/bin/sh\n"
                         "prev=; out=\n"
                         "for a; do\n"
                         "  [ \"$prev\" = --outdir ] && out=$a\n"
                         "  [ \"$a\" = --terminate_after_init ] && { echo init >>'" + folder.file("calls") + "'; " +
                         init + "; }\n"
                         "  prev=$a\n"
                         "done\n"
                         "echo convert >>'" + folder.file("calls") + "'\n" + behaviour + "\n";
    std::string program = folder.write("stand-in/soffice", script);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    return folder.path() + "/stand-in:/usr/bin:/bin";
}

const std::string kWritesRtf = "mkdir -p \"$out\"; cat >\"$out/manuscript.rtf\" <<'EOF'\n{\\rtf1 Stand-in text\\par}\nEOF";

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
    ProgramResult result = convert(wordFile, folder.makeFolder("empty-bin").c_str());
    EXPECT_TRUE(result.output.starts_with("Error converting")) << result.output;
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

TEST_F(Program, InfoReadsAWordFilesSignatureAndStartsNoLibreOffice) {
    std::string path = standInPath(folder, "exit 1");
    ProgramResult result = runTextutil({"-info", wordFile}, path.c_str());
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("\n  Type:  Word format\n"), std::string::npos) << result.output;
    EXPECT_FALSE(std::filesystem::exists(folder.file("calls")));
}

TEST_F(Program, LibreOfficeGetsAProfileFirstAndOneMoreTryAndItsFailuresAreReported) {
    struct Case {
        std::string behaviour;
        std::vector<std::string> inOutput;  // empty: the conversion succeeds
        std::string calls;
    } cases[] = {
        {kWritesRtf, {}, "init\nconvert\n"},
        // A first start that gives up, as on a machine where LibreOffice never ran.
        {"[ -e \"$0.failed\" ] || { : >\"$0.failed\"; echo 'Fatal: user installation not ready' >&2; exit 81; }\n" +
             kWritesRtf,
         {}, "init\nconvert\nconvert\n"},
        {"echo 'Warning: javaldx'; echo 'Error: cannot open the display' >&2; exit 3",
         {"Error converting \"" + wordFile + "\": LibreOffice failed twice; the second time it exited with status 3",
          "its last output: Warning: javaldx / Error: cannot open the display"},
         "init\nconvert\nconvert\n"},
        {"echo 'Error: source file could not be loaded'",
         {"ended without writing the converted document", "source file could not be loaded"},
         "init\nconvert\nconvert\n"}};
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    for (const Case& test : cases) {
        quillary::testing::TestFolder caseFolder;
        // What a killed conversion left: the manuscript as RTF, its owner gone.
        caseFolder.write("tmp/quillary-doc-killed/owner", std::to_string(gone));
        caseFolder.write("tmp/quillary-doc-killed/out/manuscript.rtf", "{\\rtf1 private}");
        std::string path = standInPath(caseFolder, test.behaviour);
        ProgramResult result = convert(wordFile, path.c_str());
        EXPECT_EQ(readFile(caseFolder.file("calls")), test.calls) << test.behaviour;
        // The private folder LibreOffice wrote into is gone, whatever the
        // outcome, and so is the one a killed conversion left.
        EXPECT_TRUE(std::filesystem::is_empty(caseFolder.tempFolder())) << test.behaviour;
        if (test.inOutput.empty()) {
            EXPECT_EQ(result.status, 0) << result.output;
            EXPECT_EQ(bodyLines(result.output), Lines{"<p class=\"p1\">Stand-in text</p>"}) << test.behaviour;
            // The profile is kept: the next document needs no first start.
            convert(wordFile, path.c_str());
            EXPECT_EQ(readFile(caseFolder.file("calls")), test.calls + "convert\n");
            continue;
        }
        EXPECT_NE(result.status, 0);
        for (const std::string& expected : test.inOutput)
            EXPECT_NE(result.output.find(expected), std::string::npos) << expected << "\n" << result.output;
    }
}

// A LibreOffice that hangs, that takes all the memory it can get, or that
// finds the disk full would only do so again: it is not tried twice, and
// the message says which limit it reached.
TEST_F(Program, LibreOfficeAtALimitOrOnAFullDiskIsStoppedNotTriedAgainAndSaysWhy) {
    const struct {
        std::string behaviour, init;
        std::chrono::milliseconds time;
        std::uint64_t profileRoom;
        std::string message, calls;
    } cases[] = {
        {"echo 'loading the document'; exec sleep 60", "exit 0", std::chrono::milliseconds(300), 0,
         "LibreOffice took longer than 0.3 seconds and was stopped; its last output: loading the document",
         "init\nconvert\n"},
        // tail keeps all of an endless line: it grows until its memory is refused.
        {"exec tail -n 1 /dev/zero", "exit 0", std::chrono::minutes(1), 0,
         "LibreOffice needed more than 256 MB of memory; its last output: tail: memory exhausted",
         "init\nconvert\n"},
        {"exit 0", "echo 'could not be completed due to insufficient free disk space' >&2; exit 77",
         std::chrono::minutes(1), UINT64_MAX, "LibreOffice could not work in " + folder.path() +
         ": the disk is full; free some space there.", "init\n"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.behaviour);
        std::filesystem::remove(folder.file("calls"));
        std::filesystem::remove_all(folder.file("profile"));
        standInPath(folder, test.behaviour, test.init);
        LibreOffice office{folder.file("stand-in/soffice"), test.time, std::uint64_t{256} << 20, test.profileRoom,
                           folder.file("profile")};
        const quillary::Result<std::string> imported = importWordDocument(wordFile, office);
        ASSERT_FALSE(imported);
        EXPECT_EQ(imported.reason(), test.message);
        EXPECT_EQ(readFile(folder.file("calls")), test.calls);
    }
}

// Not a file, or more than any manuscript: refused before a byte is read,
// with the reason; a pipe would otherwise hang the converter for ever.
TEST_F(Program, OnlyARegularFileWithinTheManuscriptLimitIsRead) {
    ASSERT_EQ(::mkfifo(folder.file("pipe.rtf").c_str(), 0600), 0);
    const std::string huge = folder.write("huge.rtf", "{\\rtf1 ");
    std::filesystem::resize_file(huge, kMaxManuscriptBytes + 1);  // sparse: no disk used
    for (const auto& [file, reason] : {std::pair{folder.file("pipe.rtf"), "It is a named pipe, not a file."},
                                       std::pair{huge, "It is larger than 128 MB, more than any manuscript needs."}}) {
        ProgramResult result = runTextutil({"-info", file});
        EXPECT_EQ(result.output, "Error reading \"" + file + "\": " + reason + "\n");
        EXPECT_NE(result.status, 0);
    }
}

TEST_F(Program, WordXmlIsReadWithoutLibreOfficeUnlessTheVariableSendsItThere) {
    const std::string docx = folder.write("Novel.docx", docxOf({"<w:p><w:r><w:t>Read ourselves</w:t></w:r></w:p>"}));
    const std::string path = standInPath(folder, kWritesRtf);
    EXPECT_EQ(bodyLines(convert(docx, path.c_str()).output), Lines{"<p class=\"p1\">Read ourselves</p>"});
    const ProgramResult info = runTextutil({"-info", docx}, path.c_str());
    EXPECT_NE(info.output.find("  Type:  Word XML format (.docx)\n  Size:  "), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("  Length:  15 characters\n"), std::string::npos) << info.output;
    EXPECT_FALSE(std::filesystem::exists(folder.file("calls")));
    ::setenv(kDocxThroughLibreOfficeVariable, "1", 1);
    const ProgramResult throughLibreOffice = convert(docx, path.c_str());
    ::unsetenv(kDocxThroughLibreOfficeVariable);
    EXPECT_EQ(bodyLines(throughLibreOffice.output), Lines{"<p class=\"p1\">Stand-in text</p>"});
    // A package whose text is damaged is unreadable, as the build needs to say.
    const std::string broken = folder.write("Broken.docx", quillary::testing::zipArchive(
        {{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", "<w:document><w:body>"}}));
    for (const ProgramResult& result : {convert(broken), runTextutil({"-info", broken})}) {
        EXPECT_TRUE(result.output.starts_with("Error reading \"" + broken + "\": Its text (word/document.xml) is damaged"))
            << result.output;
        EXPECT_NE(result.status, 0);
    }
}

// The stand-in renders the first picture of the pictures' document it gets
// and, like LibreOffice meeting a damaged picture, refuses a document that
// holds the second: the run is split, and only the refused half stays.
TEST_F(Program, PicturesLibreOfficeRendersBecomePngAndTheOthersKeepTheirFormat) {
    standInPath(folder, "grep -q 'quillary-picture-1[.]' \"$a\" && exit 1; mkdir -p \"$out\"; "
                        "echo '<p>quillary-picture-0.</p><img src=\"data:image/png;base64,iVBORw0KGgo=\" />' "
                        ">\"$out/document.html\"");
    const LibreOffice office{.program = folder.file("stand-in/soffice"),
                             .timeLimit = std::chrono::seconds(10),
                             .profile = folder.file("profile")};
    const std::string metafile = std::string("\x01\0\x09\0", 4) + std::string(14, '\0');
    Document document;
    document.pictures = {{"wmf", metafile, "first", 600, 300}, {"wmf", metafile, "", 0, 0}, {"png", "x", "", 0, 0}};
    EXPECT_EQ(convertPictures(document, office), 1u);
    EXPECT_EQ(document.pictures[0].format, "png");
    EXPECT_EQ(document.pictures[0].bytes, "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(document.pictures[0].description, "first");
    EXPECT_EQ(document.pictures[0].widthTwips, 600);
    EXPECT_EQ(document.pictures[1].format, "wmf");
    // Both together (tried twice), the first alone, the second alone (twice).
    EXPECT_EQ(readFile(folder.file("calls")), "init\nconvert\nconvert\nconvert\nconvert\nconvert\n");
    // Nothing to convert starts nothing.
    Document none;
    none.pictures = {{"png", "x", "", 0, 0}, {"emf", "damaged", "", 0, 0}};
    EXPECT_EQ(convertPictures(none, office), 0u);
    EXPECT_EQ(readFile(folder.file("calls")), "init\nconvert\nconvert\nconvert\nconvert\nconvert\n");
}

}  // namespace
}  // namespace conv::testing
