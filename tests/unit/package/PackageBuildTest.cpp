// The package documents written from a model, and the private folder the
// Kindle step works in.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../sections/BookUnderTest.h"
#include "base/Text.h"
#include "epub/BuildFolder.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quillary::testing {
namespace {

TEST(CoverImage, TheTypeFollowsTheFoldersFirstCoverImage) {
    struct Case {
        std::vector<std::string> files;  // a name ending in "/" is a folder
        std::string type;
        bool reportedMissing;
    };
    const std::vector<Case> cases = {
        {{"COVER.png"}, "png", false},
        {{"cover.jpg", "cover.png"}, "jpg", false},
        {{"Cover.tar.jpg"}, "jpg", false},
        {{"cover.jpg/", "cover.png"}, "png", false},
        {{"cover.JPG", "cover.jpeg", "mycover.png"}, "png", true},
        {{}, "png", true},
    };
    for (const Case& test : cases) {
        BookUnderTest book;
        for (const std::string& name : test.files) {
            if (name.ends_with("/")) book.folder.makeFolder("manuscript/" + name);
            else book.folder.write("manuscript/" + name, "x");
        }
        const package::Assembly& assembly = book.prepare();
        EXPECT_EQ(assembly.model.facts.coverExtension, test.type) << test.files.size();
        EXPECT_EQ(assembly.model.facts.hasCover, !test.reportedMissing);
        EXPECT_EQ(book.problems.missingFiles == std::vector<std::string>{"cover.jpg"}, test.reportedMissing);
    }
}

TEST(PackageDocument, Epub2OrderOfManifestSpineAndGuideWithAContentsPage) {
    BookUnderTest book(false);
    book.templates.opf = "<manifest>\n$manifest\n</manifest>\n<spine>\n$spine\n</spine>\n<guide>\n"
                         "<reference href=\"cover.xhtml\" type=\"cover\"/>\n$guide\n</guide>\n";
    book.body({"<p>toc:</p>", "<p>srh: Start</p>", "<p>Text</p>"});
    book.build();
    const std::string opf = package::packageDocument(book.model, book.templates, package::epubRendering(book.model, ""));
    EXPECT_LT(opf.find("id=\"section1\""), opf.find("id=\"toc\""));
    EXPECT_LT(opf.find("idref=\"toc\""), opf.find("idref=\"section1\""));
    EXPECT_LT(opf.find("type=\"cover\""), opf.find("type=\"text\""));
    EXPECT_LT(opf.find("type=\"text\""), opf.find("type=\"toc\""));

    // Without its cover page the package names none.
    package::Rendering kindle = package::epubRendering(book.model, "");
    kindle.coverPage = false;
    EXPECT_FALSE(text::contains(package::packageDocument(book.model, book.templates, kindle), "cover.xhtml"));
}

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
    const std::optional<std::string> made = package::makeBuildFolder(temp);
    ASSERT_TRUE(made);
    const std::string mine = paths::deletingLastComponent(*made);
    struct stat info;
    ASSERT_EQ(::stat(mine.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    std::vector<std::string> expected{"other-program", paths::lastComponent(mine), "quillary-build-running",
                                      "quillary-build-starting"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files::listFolder(temp), expected);

    // Only a folder of ours is ever removed.
    const std::string authors = folder.makeFolder("Books/epub");
    folder.write("Books/epub/chapter.txt", "mine");
    EXPECT_FALSE(package::removeBuildFolder(authors));
    EXPECT_TRUE(files::exists(authors + "/chapter.txt"));
    EXPECT_TRUE(package::removeBuildFolder(*made));
    EXPECT_FALSE(files::exists(mine));
}

}  // namespace
}  // namespace quillary::testing
