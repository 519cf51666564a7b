#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/PosixShell.h"
#include "support/TestFolder.h"

using namespace quillary;

TEST(PosixShell, BothStreamsArriveInOneTextInTheOrderWritten) {
    PosixShell shell;
    EXPECT_EQ(shell.run("echo one; echo two >&2; echo three").output, "one\ntwo\nthree\n");
}

TEST(PosixShell, TellsHowTheCommandEndedWithWhatItPrintedUpToThen) {
    struct Case {
        std::string command;
        ShellResult::End end;
        int status;
    };
    // `cat` would wait for ever on an inherited terminal: standard input is
    // the null device.
    const std::vector<Case> cases = {
        {"cat; echo done", ShellResult::End::Exited, 0},
        {"echo done; exit 3", ShellResult::End::Exited, 3},
        {"echo done; kill -9 $$", ShellResult::End::Killed, 9},
        // A command that never ends, with a child of its own holding the pipe.
        {"echo done; tail -f /dev/null & tail -f /dev/null", ShellResult::End::TimedOut, 0},
        // One that shuts its output and goes on.
        {"echo done; exec >/dev/null 2>&1; tail -f /dev/null", ShellResult::End::TimedOut, 0},
    };
    PosixShell shell;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.command);
        const ShellResult result = shell.run(test.command, {}, std::chrono::milliseconds(300));
        EXPECT_EQ(result.output, "done\n");
        EXPECT_EQ(result.end, test.end);
        EXPECT_EQ(result.status, test.status);
        EXPECT_EQ(result.exitedCleanly(), test.status == 0 && test.end == ShellResult::End::Exited);
    }
}

TEST(PosixShell, OutputThatIsNotUtf8GivesNothing) {
    PosixShell shell;
    EXPECT_FALSE(shell.run("printf 'caf\\351'").output);           // Latin-1 é
    EXPECT_FALSE(shell.run("printf '\\355\\240\\200'").output);    // an encoded surrogate
    EXPECT_TRUE(shell.run("printf 'caf\\303\\251'").output);       // UTF-8 é
}

TEST(PosixShell, RunsInTheGivenFolderWithoutMovingTheCaller) {
    quillary::testing::TestFolder folder;
    char before[4096];
    ASSERT_NE(::getcwd(before, sizeof before), nullptr);
    PosixShell shell;
    EXPECT_EQ(shell.run("pwd", folder.path()).output, folder.path() + "\n");
    char after[4096];
    ASSERT_NE(::getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
}

TEST(PosixShell, LargeOutputIsReadWhole) {
    PosixShell shell;
    const auto output = shell.run("head -c 3000000 /dev/zero | tr '\\0' x").output;
    ASSERT_TRUE(output);
    EXPECT_EQ(output->size(), 3000000u);
}

TEST(Files, AtomicWriteReplacesWholeAndLeavesNoTemporaryBehind) {
    quillary::testing::TestFolder folder;
    const std::string path = folder.file("book.txt");
    ASSERT_TRUE(files::writeFileAtomically(path, "old"));
    ASSERT_TRUE(files::writeFileAtomically(path, "new text"));
    EXPECT_EQ(files::readFile(path), std::optional<std::string>("new text"));
    EXPECT_EQ(files::listFolder(folder.path()).size(), 5u);  // book.txt + the four test folders
    EXPECT_FALSE(files::writeFileAtomically(folder.file("missing/book.txt"), "x"));
}
