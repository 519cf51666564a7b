#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/PosixShell.h"
#include "support/TestFolder.h"

using namespace quillary;

TEST(PosixShell, BothStreamsArriveInOneTextInTheOrderWritten) {
    PosixShell shell;
    const auto output = shell.run("echo one; echo two >&2; echo three");
    ASSERT_TRUE(output);
    EXPECT_EQ(*output, "one\ntwo\nthree\n");
}

TEST(PosixShell, StandardInputIsTheNullDeviceAndExitStatusIsNotAnError) {
    PosixShell shell;
    // `cat` would wait for ever on an inherited terminal.
    EXPECT_EQ(shell.run("cat; echo done; exit 3"), std::optional<std::string>("done\n"));
}

TEST(PosixShell, OutputThatIsNotUtf8GivesNothing) {
    PosixShell shell;
    EXPECT_FALSE(shell.run("printf 'caf\\351'"));           // Latin-1 é
    EXPECT_FALSE(shell.run("printf '\\355\\240\\200'"));    // an encoded surrogate
    EXPECT_TRUE(shell.run("printf 'caf\\303\\251'"));       // UTF-8 é
}

TEST(PosixShell, RunsInTheGivenFolderWithoutMovingTheCaller) {
    quillary::testing::TestFolder folder;
    char before[4096];
    ASSERT_NE(::getcwd(before, sizeof before), nullptr);
    PosixShell shell;
    EXPECT_EQ(shell.run("pwd", folder.path()), std::optional<std::string>(folder.path() + "\n"));
    char after[4096];
    ASSERT_NE(::getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
}

TEST(PosixShell, LargeOutputIsReadWhole) {
    PosixShell shell;
    const auto output = shell.run("head -c 3000000 /dev/zero | tr '\\0' x");
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
