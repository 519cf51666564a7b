// The package frame on a controller: set-up and finish around passes that
// the tests stand in for by setting the accumulators themselves.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/Text.h"
#include "epub/BuildFolder.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

class PackageBuildTest : public ::testing::Test {
protected:
    Harness h{false};
    EpubRun run;

    void SetUp() override {
        VoveZedevir& c = h.c();
        c.root = h.folder.makeFolder("Manuscript");
        c.saveName = "Tale";
        c.saveRoot = h.folder.makeFolder("Books");
        c.bookInfo = {"Tale", "Ann", "Press", "(c) Ann", "2024-05-17", "9781234567897", "Fiction", "9"};
        c.styleText = "p {margin: 0;}\n";
    }

    void setUp(bool epub3) {
        h.preferences.setBool(prefs::kEpub3, epub3);
        h.c().setUpPackage(run);
    }
    std::string read(const std::string& relative) {
        return files::readFile(h.c().tempDirectoryPath + "/" + relative).value_or("<missing>");
    }
    // Stands in for the sections pass: one written section, named.
    void oneSection() {
        h.c().sectionNumber = 2;
        h.c().manifest += "    <item id=\"section1\" href=\"section1.xhtml\" media-type=\"application/xhtml+xml\"/>\n";
        h.c().spine += "    <itemref idref=\"section1\"/>\n";
    }
};

TEST_F(PackageBuildTest, CoverTypeFollowsTheFoldersFirstCoverImage) {
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
        Harness fresh(false);
        fresh.c().root = fresh.folder.makeFolder("m");
        for (const std::string& name : test.files) {
            if (name.ends_with("/")) fresh.folder.makeFolder("m/" + name);
            else fresh.folder.write("m/" + name, "x");
        }
        EXPECT_EQ(fresh.c().coverImageTypeIn("ignored"), test.type) << test.files.size();
        EXPECT_EQ(fresh.c().missingFiles == std::vector<std::string>{"cover.jpg"}, test.reportedMissing);
    }
}

TEST_F(PackageBuildTest, SetUpLaysOutAPrivatePackageTreeAndResetsTheBuild) {
    h.folder.write("Manuscript/cover.jpg", "x");  // else its absence is reported afresh
    h.c().missingFiles = h.c().badLinks = h.c().missingMarks = {"old"};
    h.c().navPoint = 7;
    h.c().manifest = "old";
    setUp(true);
    VoveZedevir& c = h.c();
    EXPECT_EQ(paths::lastComponent(c.tempDirectoryPath), "epub");
    const std::string privateFolder = paths::deletingLastComponent(c.tempDirectoryPath);
    EXPECT_EQ(paths::deletingLastComponent(privateFolder), h.folder.tempFolder());
    struct stat info;
    ASSERT_EQ(::stat(privateFolder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // The package frame itself is checked whole by the end-to-end books.
    EXPECT_TRUE(c.missingFiles.empty() && c.badLinks.empty() && c.missingMarks.empty());
    EXPECT_EQ(c.navPoint, 1);
    EXPECT_EQ(c.manifest, "");
}

TEST_F(PackageBuildTest, ANewBuildRemovesTheLeftoverBuildFolderButNoOtherFolder) {
    setUp(false);
    EXPECT_EQ(h.c().guide, "");
    const std::string first = paths::deletingLastComponent(h.c().tempDirectoryPath);
    setUp(false);
    EXPECT_FALSE(files::exists(first));
    EXPECT_TRUE(files::exists(h.c().tempDirectoryPath));

    const std::string authors = h.folder.makeFolder("Books/epub");
    h.folder.write("Books/epub/chapter.txt", "mine");
    h.c().tempDirectoryPath = authors;
    setUp(false);
    EXPECT_TRUE(files::exists(authors + "/chapter.txt"));
}

TEST_F(PackageBuildTest, OnlyAnEpubOfThisIsbnGoesAndOnlyOnceTheBookIsMade) {
    // The earlier build, named after the ISBN.
    h.c().saveName = "9781234567897";
    setUp(true);
    oneSection();
    h.c().finishPackage(run);
    const std::string earlier = h.c().saveRoot + "/9781234567897.epub";
    ASSERT_EQ(h.c().epubPath, earlier);
    files::copyFile(earlier, h.c().saveRoot + "/OtherBook.epub");
    h.folder.write("Books/Notes.epub", "the author's notes");
    h.folder.write("secret.epub", "not in the destination");

    h.c().saveName = "Tale";
    EpubRun next;
    h.c().setUpPackage(next);
    EXPECT_TRUE(files::exists(earlier)) << "not before the new book exists";
    h.c().finishPackage(next);
    ASSERT_FALSE(h.c().epubPath.empty());
    EXPECT_FALSE(files::exists(earlier));

    // Another book's EPUB, a file that is no EPUB, names outside the folder
    // or of the book itself, and folders all stay.
    for (const char* isbn : {"OtherBook", "Notes", "Tale", "../secret", "Folder"}) {
        h.folder.makeFolder("Books/Folder.epub");
        h.c().bookInfo.isbn = isbn;
        EpubRun again;
        h.c().setUpPackage(again);
        h.c().finishPackage(again);
        EXPECT_TRUE(files::exists(h.c().epubPath)) << isbn;
        EXPECT_EQ(files::listFolder(h.c().saveRoot),
                  (std::vector<std::string>{"Folder.epub", "Notes.epub", "OtherBook.epub", "Tale.epub"}));
        EXPECT_TRUE(files::exists(h.folder.file("secret.epub"))) << isbn;
    }
}

TEST_F(PackageBuildTest, FoldersOfKilledBuildsGoButThoseOfRunningOnesStay) {
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string temp = h.folder.tempFolder();
    h.folder.write("tmp/quillary-build-killed/owner", std::to_string(gone));
    h.folder.write("tmp/quillary-build-killed/epub/mimetype", "application/epub+zip");
    h.folder.write("tmp/quillary-build-running/owner", std::to_string(::getppid()));
    h.folder.write("tmp/quillary-build-starting/epub/mimetype", "no owner yet");
    h.folder.write("tmp/other-program/owner", std::to_string(gone));
    setUp(true);
    const std::string mine = paths::lastComponent(paths::deletingLastComponent(h.c().tempDirectoryPath));
    std::vector<std::string> expected{"other-program", mine, "quillary-build-running", "quillary-build-starting"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files::listFolder(temp), expected);
}

TEST_F(PackageBuildTest, WithoutAPrivateFolderTheBuildFailsInsteadOfWritingElsewhere) {
    h.folder.write("blocked", "a file where the folder should be");
    h.c().locations.tempParent = h.folder.file("blocked");
    h.c().buildePub();
    EXPECT_TRUE(h.c().tempDirectoryPath.empty());
    EXPECT_TRUE(h.c().epubPath.empty());
    EXPECT_FALSE(h.c().epubError.empty());
    EXPECT_EQ(h.queue.pending(), 1u) << "ePubComplete still follows, to report the failure";
}

TEST_F(PackageBuildTest, RightToLeftStartNamesTheFirstWrittenMarkedSectionAndIsSkippedOnceStartIsPlaced) {
    setUp(false);
    oneSection();
    h.c().sectionNumber = 4;  // sections 1 to 3 written
    run.rightToLeftMarksSeen = true;
    run.marks = {{"Later", "section3.xhtml"}, {"First", "section2.xhtml"}, {"Beyond", "section9.xhtml"}};
    h.c().finishPackage(run);
    EXPECT_TRUE(text::contains(read("OEBPS/content.opf"), "<reference href=\"section2.xhtml\" "
                                                          "type=\"other.reader-start-page\" title=\"Start Book\"/>"));

    for (const bool startPlaced : {false, true}) {
        // In EPUB 3 the entry goes into the navigation document; with no
        // marked section written, it names the first section.
        run = EpubRun{};
        setUp(true);
        oneSection();
        run.rightToLeftMarksSeen = true;
        run.startPlaced = startPlaced;
        run.marks = {{"Beyond", "section5.xhtml"}};
        h.c().finishPackage(run);
        EXPECT_EQ(text::contains(read("OEBPS/toc.xhtml"),
                                 "<li><a epub:type=\"bodymatter\" href=\"section1.xhtml\">Tale</a></li>"),
                  !startPlaced);
        EXPECT_EQ(text::contains(read("OEBPS/toc.xhtml"), "bodymatter"), !startPlaced);
    }
}

TEST_F(PackageBuildTest, NavigationIsNeverEmptyEvenWithoutNamedHeadings) {
    setUp(true);
    oneSection();
    h.c().finishPackage(run);
    EXPECT_TRUE(text::contains(read("OEBPS/toc.xhtml"), "<ol>\n<li><a href=\"section1.xhtml\">Tale</a></li>\n"));

    EpubRun epub2;
    h.preferences.setBool(prefs::kEpub3, false);
    h.c().setUpPackage(epub2);
    h.c().sectionNumber = 1;
    h.c().finishPackage(epub2);  // not even a section: the cover is all there is
    EXPECT_TRUE(text::contains(read("OEBPS/toc.ncx"), "<content src=\"cover.xhtml\"/>"));
    EXPECT_TRUE(text::contains(read("OEBPS/toc.ncx"), "id=\"navpoint-1\" playOrder=\"1\""));
}

TEST_F(PackageBuildTest, Epub2OrderOfManifestSpineAndGuideWithAContentsHeading) {
    setUp(false);
    oneSection();
    run.contentsPlaced = true;
    h.c().spine += "    <itemref idref=\"toc\"/>\n";
    h.c().guide += "    <reference href=\"section1.xhtml\" type=\"text\" title=\"Start\"/>\n";
    h.c().finishPackage(run);
    const std::string opf = read("OEBPS/content.opf");
    EXPECT_LT(opf.find("id=\"section1\""), opf.find("id=\"toc\""));
    EXPECT_LT(opf.find("idref=\"section1\""), opf.find("idref=\"toc\""));
    EXPECT_LT(opf.find("type=\"cover\""), opf.find("type=\"text\""));
    EXPECT_LT(opf.find("type=\"text\""), opf.find("type=\"toc\""));
}

}  // namespace
}  // namespace quillary::testing
