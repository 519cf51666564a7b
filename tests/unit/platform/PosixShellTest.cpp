#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <sys/wait.h>

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

TEST(PosixShell, AFloodKeepsOnlyTheEndOfTheOutputAndSaysHowMuchWasCut) {
    PosixShell shell;
    // 64 MB of output, of which 1 MB is kept: memory stays near the limit.
    const ShellResult flood = shell.run("head -c 67108864 /dev/zero | tr '\\0' x; echo; echo the end", {},
                                        std::chrono::minutes(1), 1024 * 1024);
    EXPECT_TRUE(flood.exitedCleanly());
    EXPECT_EQ(flood.cutBytes, 67108864u + 9 - 1024 * 1024);
    const std::string output = flood.output.value_or("");
    EXPECT_EQ(output.substr(0, output.find('\n') + 1),
              "[the first " + std::to_string(flood.cutBytes) + " bytes of the output were cut]\n");
    EXPECT_TRUE(output.ends_with("xxx\nthe end\n"));
    // A cut never splits a character: the kept text is still UTF-8.
    const ShellResult text = shell.run("for i in $(seq 1000); do printf '\\303\\251'; done", {}, {}, 1001);
    ASSERT_TRUE(text.output);
    EXPECT_EQ(text.cutBytes, 1000u);
    std::string accents;
    for (int i = 0; i < 500; ++i) accents += "\xC3\xA9";
    EXPECT_EQ(text.output->substr(text.output->find('\n') + 1), accents);
}

// A converter that leaves a helper holding its output pipe: the run ends
// when the converter does, not when the helper lets go.
TEST(PosixShell, AHelperLeftHoldingThePipeNeitherHoldsTheCallerUpNorOutlivesATimedCommand) {
    quillary::testing::TestFolder folder;
    // Orphans come to this process, so that the helper can be waited for.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    PosixShell shell;
    for (const bool timed : {true, false}) {
        SCOPED_TRACE(timed ? "with a time limit" : "without");
        const std::string pidFile = folder.file(timed ? "timed" : "untimed");
        const ShellResult run = shell.run("(sleep 30; echo late) & echo $! >'" + pidFile + "'; echo early", {},
                                          timed ? std::optional(std::chrono::milliseconds(600'000)) : std::nullopt);
        EXPECT_EQ(run.output, "early\n");
        EXPECT_TRUE(run.exitedCleanly());
        const pid_t helper = std::stoi(files::readFile(pidFile).value_or("0"));
        ASSERT_GT(helper, 0);
        // The command runs in a group of its own, which ends together.
        ASSERT_NE(::getpgid(helper), ::getpgrp());
        if (!timed) ::kill(-::getpgid(helper), SIGKILL);  // it may stay; the test ends it
        int status = 0;
        ASSERT_EQ(::waitpid(helper, &status, 0), helper);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    }
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST(PosixShell, AStopRequestEndsTheCommandAndEverythingItStarted) {
    quillary::testing::TestFolder folder;
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    PosixShell shell;
    const std::string pidFile = folder.file("helper");
    const auto helperStarted = [&] { return files::readFile(pidFile).value_or("").ends_with("\n"); };
    const ShellResult run =
        shell.run("sleep 30 & echo $! >'" + pidFile + "'; wait", {}, std::nullopt, kShellOutputLimit, helperStarted);
    EXPECT_EQ(run.end, ShellResult::End::Stopped);
    const pid_t helper = std::stoi(files::readFile(pidFile).value_or("0"));
    ASSERT_GT(helper, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(helper, &status, 0), helper);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "asked to end, as a converter is: " << status;
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
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
