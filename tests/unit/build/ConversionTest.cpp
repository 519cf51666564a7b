#include <gtest/gtest.h>

#include "build/Conversion.h"
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

    EXPECT_EQ(judgeConversion(exited("Error converting")), ConversionVerdict::Failed);
    EXPECT_EQ(judgeConversion(exited("/bin/sh: 1: x: not found")), ConversionVerdict::Failed);
    EXPECT_EQ(judgeConversion(exited(std::nullopt)), ConversionVerdict::Failed);
    EXPECT_EQ(judgeConversion(exited(" Error at the start but one")), ConversionVerdict::Convert);
    EXPECT_EQ(judgeConversion(exited("Errors")), ConversionVerdict::Convert);
    EXPECT_EQ(judgeConversion(exited("")), ConversionVerdict::Convert);
    EXPECT_EQ(judgeConversion(exited("<html><body><p>half a bo", 2)), ConversionVerdict::Failed);
    EXPECT_EQ(judgeConversion({"<html><body><p>half", ShellResult::End::Killed, 9}), ConversionVerdict::Failed);
}

TEST(ConversionLines, EveryLineEndSeparatesOnItsOwn) {
    EXPECT_EQ(splitConvertedLines("a\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitConvertedLines("a\vb\fc\rd\n"), (std::vector<std::string>{"a", "b", "c", "d", ""}));
    EXPECT_EQ(splitConvertedLines(""), (std::vector<std::string>{""}));
}

TEST(ConversionCommand, IsTheFamiliarTextForPlainPaths) {
    EXPECT_EQ(converterCommand("textutil", "-info", "/Users/a/My Book.rtf"),
              "\"textutil\" -info \"/Users/a/My Book.rtf\"");
}

namespace {
struct Conversion : ::testing::Test {
    Harness h{false};
    VoveZedevir& c = h.c();
    void SetUp() override { c.theFile = "/books/Notes.txt"; }
};
}  // namespace

TEST_F(Conversion, PlainTextIsRefusedWithoutConvertingAndNamedInTheAlert) {
    h.shell.answer("-info", std::string("File: Notes.txt\n  Type:  plain text\n"));
    c.extractHTML();
    h.queue.drain();
    EXPECT_EQ(h.shell.countCalls("-convert"), 0u);
    ASSERT_EQ(h.window.alerts.size(), 1u);
    EXPECT_EQ(h.window.alerts[0].titleKey, "FormattingErrTitle");
    EXPECT_TRUE(h.window.statusHidden);
    EXPECT_EQ(h.window.statusText, "LoadingMsg");
    EXPECT_TRUE(h.window.progressHidden);
}

TEST_F(Conversion, FormattingErrorNamesTheFileInTitleAndMessage) {
    Harness english;  // the real English texts hold the "%@"
    english.c().theFile = "/books/Notes.txt";
    english.shell.answer("-info", std::string("Error reading /books/Notes.txt"));
    english.c().extractHTML();
    english.queue.drain();
    ASSERT_EQ(english.window.alerts.size(), 1u);
    EXPECT_NE(english.window.alerts[0].title.find("Notes.txt"), std::string::npos);
    EXPECT_NE(english.window.alerts[0].message.find("Notes.txt"), std::string::npos);
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

TEST_F(Conversion, ConvertedHtmlIsSplitIntoLines) {
    h.shell.answer("-convert", std::string("<html>\r\n<body>\n</body>"));
    c.extractHTML();
    EXPECT_EQ(h.queue.pending(), 1u);  // extractComplete, queued
    EXPECT_EQ(c.lines, (std::vector<std::string>{"<html>", "", "<body>", "</body>"}));
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
