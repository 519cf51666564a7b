#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "platform/PosixShell.h"
#include "support/TestFolder.h"

using namespace quillary;

TEST(PosixShell, OutputIsBothStreamsInOrderWholeAndNothingWhenItIsNotUtf8) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"echo one; echo two >&2; echo three", "one\ntwo\nthree\n"},
        {"printf 'caf\\303\\251'", "caf\xC3\xA9"},
        {"printf 'caf\\351'", std::nullopt},           // Latin-1 é
        {"printf '\\355\\240\\200'", std::nullopt}};  // an encoded surrogate
    PosixShell shell;
    for (const auto& [command, output] : cases) EXPECT_EQ(shell.run(command).output, output) << command;
    EXPECT_EQ(shell.run("head -c 3000000 /dev/zero | tr '\\0' x").output.value_or("").size(), 3000000u);
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

TEST(PosixShell, RunsInTheGivenFolderWithoutMovingTheCaller) {
    quillary::testing::TestFolder folder;
    const auto before = std::filesystem::current_path();
    EXPECT_EQ(PosixShell().run("pwd", folder.path()).output, folder.path() + "\n");
    EXPECT_EQ(std::filesystem::current_path(), before);
}

TEST(Files, AtomicWriteReplacesWholeAndLeavesNoTemporaryBehind) {
    quillary::testing::TestFolder folder;
    const std::string path = folder.file("book.txt");
    ASSERT_TRUE(files::writeFileAtomically(path, "old"));
    ASSERT_TRUE(files::writeFileAtomically(path, "new text"));
    EXPECT_EQ(files::readFile(path).value_or("<none>"), "new text");
    EXPECT_EQ(files::listFolder(folder.path()).size(), 5u);  // book.txt + the four test folders
    EXPECT_FALSE(files::writeFileAtomically(folder.file("missing/book.txt"), "x"));
}
