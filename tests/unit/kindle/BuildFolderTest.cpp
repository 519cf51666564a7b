// The private folder the Kindle converter works in.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kindle/BuildFolder.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/TestFolder.h"

namespace quillary::testing {
namespace {

TEST(BuildFolder, PrivateToTheUserAndFoldersOfKilledBuildsGoButThoseOfRunningOnesStay) {
    TestFolder folder;
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string temp = folder.tempFolder();
    folder.write("tmp/quillary-build-killed/owner", std::to_string(gone));
    folder.write("tmp/quillary-build-killed/epub/mimetype", "application/epub+zip");
    folder.write("tmp/quillary-build-running/owner", std::to_string(::getppid()));
    folder.write("tmp/quillary-build-starting/epub/mimetype", "no owner yet");
    folder.write("tmp/other-program/owner", std::to_string(gone));
    // Planted by anyone who may write into /tmp: an owner that would block
    // the sweep for ever or feed it without end is not read, and its folder
    // stays; so does a link to a folder whose owner is gone.
    folder.makeFolder("tmp/quillary-build-pipe");
    ASSERT_EQ(::mkfifo(folder.file("tmp/quillary-build-pipe/owner").c_str(), 0600), 0);
    folder.makeFolder("tmp/quillary-build-zero");
    ASSERT_EQ(::symlink("/dev/zero", folder.file("tmp/quillary-build-zero/owner").c_str()), 0);
    ASSERT_EQ(::symlink(folder.file("tmp/quillary-build-killed").c_str(),
                        folder.file("tmp/quillary-build-link").c_str()),
              0);
    const std::optional<std::string> made = kindle::makeBuildFolder(temp);
    ASSERT_TRUE(made);
    const std::string mine = paths::deletingLastComponent(*made);
    struct stat info;
    ASSERT_EQ(::stat(mine.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    std::vector<std::string> expected{"other-program",          paths::lastComponent(mine),
                                      "quillary-build-link",    "quillary-build-pipe",
                                      "quillary-build-running", "quillary-build-starting",
                                      "quillary-build-zero"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files::listFolder(temp), expected);

    // Only a folder of ours is ever removed.
    const std::string authors = folder.makeFolder("Books/epub");
    folder.write("Books/epub/chapter.txt", "mine");
    EXPECT_FALSE(kindle::removeBuildFolder(authors));
    EXPECT_TRUE(files::exists(authors + "/chapter.txt"));
    EXPECT_TRUE(kindle::removeBuildFolder(*made));
    EXPECT_FALSE(files::exists(mine));
}

}  // namespace
}  // namespace quillary::testing
