#include <gtest/gtest.h>

#include "manuscript/Conversion.h"
#include "platform/Files.h"
#include "platform/PosixShell.h"
#include "fakes/FakeShell.h"
#include "support/TestFolder.h"
#include "support/Harness.h"
#include "support/ZipParts.h"

#include <map>

using namespace quillary;
using namespace quillary::manuscript;
using namespace quillary::testing;

namespace {
ShellResult exited(std::optional<std::string> output, int status = 0) {
    return {std::move(output), ShellResult::End::Exited, status};
}
}  // namespace

TEST(ConversionVerdicts, MarkersDecideFirstAndThenTheConverterMustHaveExitedCleanly) {
    EXPECT_EQ(judgeDocumentType(exited("File: x\n  Type:  plain text\n")), ConversionVerdict::FormattingError);
    EXPECT_EQ(judgeDocumentType(exited("blah Error reading x", 1)), ConversionVerdict::FormattingError);
    EXPECT_EQ(judgeDocumentType(exited(std::nullopt)), ConversionVerdict::FormattingError);
    EXPECT_EQ(judgeDocumentType(exited("  Type:   plain text")), ConversionVerdict::Convert);  // three blanks
    EXPECT_EQ(judgeDocumentType(exited("  Type:  rich text")), ConversionVerdict::Convert);
    EXPECT_EQ(judgeDocumentType(exited("  Type:  rich text", 1)), ConversionVerdict::Failed);

    EXPECT_EQ(judgeConversion(exited(" Error at the start but one")), ConversionVerdict::Convert);
    EXPECT_EQ(judgeConversion(exited("Errors")), ConversionVerdict::Convert);
    EXPECT_EQ(judgeConversion(exited("")), ConversionVerdict::Convert);
}

TEST(ConversionLines, EveryLineEndSeparatesOnItsOwn) {
    EXPECT_EQ(splitConvertedLines("a\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitConvertedLines("a\vb\fc\rd\n"), (std::vector<std::string>{"a", "b", "c", "d", ""}));
    EXPECT_EQ(splitConvertedLines(""), (std::vector<std::string>{""}));
}

namespace {
// The manuscript converted through `shell`, as a build converts it.
Result<std::string, ConversionFailure> convert(Shell& shell, const std::string& manuscript, bool inProcess = false,
                                               const std::string& converter = suiteSetting("QUILLARY_TEXTUTIL")) {
    return convertManuscript(manuscript, {shell, converter, inProcess});
}

}  // namespace

TEST(Conversion, ConverterErrorsAreFailedConversions) {
    const std::string partial = "<html>\n<body>\n<p>The first half of the bo";
    for (const ShellResult& result :
         {ShellResult{"Error converting the file"}, ShellResult{"/bin/sh: nope"}, ShellResult{std::nullopt},
          ShellResult{partial, ShellResult::End::Exited, 1}, ShellResult{partial, ShellResult::End::Killed, 9}}) {
        FakeShell shell;
        shell.answerWithResult("-convert", [result](const FakeShell::Call&) { return result; });
        const auto html = convert(shell, "/books/Novel.rtf");
        ASSERT_FALSE(html);
        EXPECT_EQ(html.reason().kind, ConversionFailure::Kind::Failed);
    }
}

// The converter's sentence on what it found reaches the author, at whichever
// step it is found: a Word document is read only when it is converted.
TEST(Conversion, AnErrorReadingTheManuscriptIsAFormattingErrorWithTheConvertersCause) {
    const std::string cause = "It is protected with a password; save a copy without one.";
    // A name may hold what ends the name in the report.
    const std::string manuscript = "/books/Secret \": x.doc";
    const std::string report = "Error reading \"" + manuscript + "\": " + cause + "\n";
    for (const std::string step : {"-info", "-convert"}) {
        FakeShell shell;
        shell.answerWithResult("-info", [&](const FakeShell::Call&) {
            return step == "-info" ? exited(report, 1) : exited("  Type:  Word format\n");
        });
        shell.answerWithResult("-convert", [&](const FakeShell::Call&) { return exited(report, 1); });
        const auto html = convert(shell, manuscript);
        ASSERT_FALSE(html) << step;
        EXPECT_EQ(html.reason().kind, ConversionFailure::Kind::FormattingError) << step;
        EXPECT_EQ(html.reason().cause, cause) << step;
    }
    EXPECT_EQ(readingCause(exited("File: x\n  Type:  plain text\n"), "x"), "");
    EXPECT_EQ(readingCause(exited("Error reading \"a.rtf\": it is not"), "b.rtf"), "") << "another file's";
}

TEST(ConversionPaths, AnyPathReachesTheConverterWhole) {
    TestFolder folder;
    FakeShell shell;
    PosixShell real;
    shell.answerWith("", [&real](const FakeShell::Call& call) { return real.run(call.commandLine).output; });
    // A converter that reports the argument it was given, byte for byte.
    const std::string converter = folder.write("bin/conv $`\"\\.sh",
        "#!/bin/sh\nif [ \"$1\" = -info ]; then echo '  Type:  rich text'; exit 0; fi\n"
        "printf '<body>\\n%s\\n</body>' \"$5\"\n");
    EXPECT_TRUE(files::setPermissions(converter, 0755));
    const std::string awkward = folder.file("my \"odd\" $HOME `x` back\\slash\nline.rtf");
    const auto html = convert(shell, awkward, false, converter);
    ASSERT_TRUE(html);
    EXPECT_EQ(*html, "<body>\n" + awkward + "\n</body>");
}

TEST(ConversionInProcess, RichTextAndWordXmlAreReadInProcessIntoTheProgramsLinesAndAllElseGoesToTheProgram) {
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}\\f0 Caf\\'e9 {\\b bold}\\par second\\tab end\\par}";
    const std::string docx = zipArchive(
        {{"[Content_Types].xml", "<Types/>"},
         {"word/document.xml", "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                               "<w:body><w:p><w:r><w:t>Caf\xC3\xA9</w:t></w:r></w:p></w:body></w:document>"}});
    const std::string brokenDocx = zipArchive({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", "<w:doc"}});
    struct Case {
        std::string name, content;
        bool inProcess;
        std::size_t programRuns;
        bool refused = false;
    };
    const Case cases[] = {
        {"Story.rtf", rtf, false, 2},    // the program's output, for comparison
        {"Story.rtf", rtf, true, 0},
        {"Story.RTF", rtf, true, 0},
        {"Story.doc", rtf, true, 2},     // .doc files take the program's road
        {"Notes.rtf", "plain words\n", true, 1, true},  // refused by the program's report
        {"Story.docx", docx, false, 2},
        {"Story.docx", docx, true, 0},
        {"Broken.docx", brokenDocx, false, 1, true},  // the program's report says why
        {"Broken.docx", brokenDocx, true, 0, true},   // and so does the reader in process, in the same words
    };
    std::map<std::string, std::string> programOutputs;  // by content
    PosixShell real;
    TestFolder folder;
    for (const Case& test : cases) {
        FakeShell shell;
        shell.answerWithResult("", [&real](const FakeShell::Call& call) { return real.run(call.commandLine); });
        const auto html = convert(shell, folder.write(test.name, test.content), test.inProcess);
        EXPECT_EQ(shell.calls().size(), test.programRuns) << test.name << " " << test.inProcess;
        if (test.refused) {
            ASSERT_FALSE(html);
            EXPECT_EQ(html.reason().kind, ConversionFailure::Kind::FormattingError);
            // Plain text is no error of the reader's: it has no sentence.
            EXPECT_EQ(html.reason().cause.empty(), test.name == "Notes.rtf") << html.reason().cause;
            continue;
        }
        ASSERT_TRUE(html) << test.name;
        std::string& programOutput = programOutputs[test.content];
        if (programOutput.empty()) programOutput = *html;
        EXPECT_EQ(*html, programOutput) << test.name << " " << test.inProcess;
        EXPECT_NE(html->find("Caf\xC3\xA9"), std::string::npos);
    }
}
