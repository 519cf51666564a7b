#include <gtest/gtest.h>

#include "manuscript/Conversion.h"
#include "platform/Files.h"
#include "platform/PosixShell.h"
#include "support/Harness.h"

using namespace quillary;
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
struct Conversion : ::testing::Test {
    Harness h{false};
    VoveZedevir& c = h.c();
    void SetUp() override { c.theFile = "/books/Notes.txt"; }
};
}  // namespace

TEST_F(Conversion, PlainTextIsRefusedWithoutConvertingAndNamedInTheAlert) {
    Harness english;  // the real English texts hold the "%@"
    english.c().theFile = "/books/Notes.txt";
    english.shell.answer("-info", std::string("File: Notes.txt\n  Type:  plain text\n"));
    english.c().extractHTML();
    english.queue.drain();
    EXPECT_EQ(english.shell.countCalls("-convert"), 0u);
    ASSERT_EQ(english.window.alerts.size(), 1u);
    EXPECT_EQ(english.window.alerts[0].titleKey, "FormattingErrTitle");
    EXPECT_NE(english.window.alerts[0].title.find("Notes.txt"), std::string::npos);
    EXPECT_NE(english.window.alerts[0].message.find("Notes.txt"), std::string::npos);
    EXPECT_TRUE(english.window.statusHidden);
    EXPECT_TRUE(english.window.progressHidden);
}

TEST_F(Conversion, ConverterErrorsEndInTheMakeFailureAlert) {
    const std::string partial = "<html>\n<body>\n<p>The first half of the bo";
    for (const ShellResult& result :
         {ShellResult{"Error converting the file"}, ShellResult{"/bin/sh: nope"}, ShellResult{std::nullopt},
          ShellResult{partial, ShellResult::End::Exited, 1}, ShellResult{partial, ShellResult::End::Killed, 9}}) {
        Harness fresh{false};
        fresh.c().theFile = "/books/Novel.rtf";
        fresh.shell.answerWithResult("-convert", [result](const FakeShell::Call&) { return result; });
        fresh.c().extractHTML();
        fresh.queue.drain();
        ASSERT_EQ(fresh.window.alerts.size(), 1u);
        EXPECT_EQ(fresh.window.alerts[0].titleKey, "MakeFailTitle");
        EXPECT_TRUE(fresh.c().lines.empty()) << "lines are kept from before a failure";
    }
}

TEST(ConversionPaths, AnyPathReachesTheConverterWhole) {
    Harness h{false};
    PosixShell real;
    h.shell.answerWith("", [&real](const FakeShell::Call& call) { return real.run(call.commandLine).output; });
    // A converter that reports the argument it was given, byte for byte.
    const std::string converter = h.folder.write("bin/conv $`\"\\.sh",
        "#!/bin/sh\nif [ \"$1\" = -info ]; then echo '  Type:  rich text'; exit 0; fi\n"
        "printf '<body>\\n%s\\n</body>' \"$5\"\n");
    files::setPermissions(converter, 0755);
    h.c().locations.textutilPath = converter;
    const std::string awkward = h.folder.file("my \"odd\" $HOME `x` back\\slash\nline.rtf");
    h.c().theFile = awkward;
    h.c().extractHTML();
    ASSERT_EQ(h.c().lines.size(), 4u) << (h.c().lines.empty() ? "" : h.c().lines[0]);
    EXPECT_EQ(h.c().lines[1] + "\n" + h.c().lines[2], awkward);
}

TEST(ConversionInProcess, RichTextIsReadInProcessIntoTheProgramsLinesAndAllElseGoesToTheProgram) {
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}\\f0 Caf\\'e9 {\\b bold}\\par second\\tab end\\par}";
    struct Case {
        std::string name, content;
        bool inProcess;
        std::size_t programRuns;
    };
    const Case cases[] = {
        {"Story.rtf", rtf, false, 2},    // the program's lines, for comparison
        {"Story.rtf", rtf, true, 0},
        {"Story.RTF", rtf, true, 0},
        {"Story.doc", rtf, true, 2},     // .doc files take the program's road
        {"Notes.rtf", "plain words\n", true, 1},  // refused by the program's report
    };
    std::vector<std::string> programLines;
    PosixShell real;
    for (const Case& test : cases) {
        Harness h{false};
        h.shell.answerWithResult("", [&real](const FakeShell::Call& call) { return real.run(call.commandLine); });
        h.c().locations.readRtfInProcess = test.inProcess;
        h.c().theFile = h.folder.write(test.name, test.content);
        h.c().extractHTML();
        h.queue.drain();
        EXPECT_EQ(h.shell.calls().size(), test.programRuns) << test.name << " " << test.inProcess;
        if (test.content != rtf) {
            ASSERT_EQ(h.window.alerts.size(), 1u);
            EXPECT_EQ(h.window.alerts[0].titleKey, "FormattingErrTitle");
            continue;
        }
        if (programLines.empty()) programLines = h.c().lines;
        EXPECT_EQ(h.c().lines, programLines) << test.name << " " << test.inProcess;
    }
    EXPECT_GT(programLines.size(), 3u);
}
