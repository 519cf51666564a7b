// A book is reported as made only when every file of it was written whole
// and every document is well-formed; otherwise the earlier book stays.
#include <gtest/gtest.h>

#include <new>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

// What the converter makes of a short manuscript with a note, an image and
// two chapters, so that every kind of file a book holds is made.
const std::string kConverted =
    "<html>\n<head><title>x</title></head>\n<body>\n<p>bookmark: One</p>\n"
    "<p>Text&lt;&lt;A note.&gt;&gt; more.</p>\n<p>image:photo.png</p>\n<p>bookmark: Two</p>\n"
    "<p>Second chapter.</p>\n</body>\n</html>\n";
const std::string kEarlierBook = "the earlier, good book";

struct Build {
    Harness h;
    std::string destination = h.folder.makeFolder("Books");

    explicit Build(bool english = true) : h(english) {
        const std::string root = h.folder.makeFolder("Manuscript");
        h.folder.write("Manuscript/cover.jpg", "JPEG");
        h.folder.write("Manuscript/photo.png", "PNG");
        h.c().theFile = root + "/Tale.rtf";
        h.c().root = root;
        h.folder.write("Books/Tale.epub", kEarlierBook);
    }
    // The resources of the build tree, with `name` left out or replaced.
    void resourcesWith(const std::string& name, std::optional<std::string> content) {
        const std::string real = h.c().locations.resources.folder;
        for (const std::string& file : files::listFolder(real))
            if (!files::isDirectory(real + "/" + file)) h.folder.write("res/" + file, *files::readFile(real + "/" + file));
        if (content) h.folder.write("res/" + name, *content);
        else files::removeAll(h.folder.file("res/" + name));
        h.c().locations.resources.folder = h.folder.file("res");
    }
    // A test's own answers, given before, come first.
    void run() {
        h.shell.answer("-info", std::string("  Type:  rich text\n"));
        h.shell.answer("-convert", kConverted);
        h.c().savePanelEndedWithName("Tale.epub", destination, 1);
        h.queue.drain();
    }
    std::string book() const { return files::readFile(destination + "/Tale.epub").value_or("<none>"); }

    // The build ended in the make-failure alert whose message holds every
    // one of `parts`, and left the earlier book and no build folder behind.
    void expectFailedWith(const std::vector<std::string>& parts) {
        ASSERT_FALSE(h.window.alerts.empty());
        const Alert& alert = h.window.alerts.back();
        EXPECT_EQ(alert.titleKey, "MakeFailTitle");
        for (const std::string& part : parts) EXPECT_NE(alert.message.find(part), std::string::npos) << alert.message;
        EXPECT_TRUE(h.notifier.delivered.empty());
        EXPECT_TRUE(h.c().result.epubPath.empty());
        EXPECT_FALSE(h.c().isBuilding());
        EXPECT_EQ(book(), kEarlierBook);
        EXPECT_TRUE(files::listFolder(h.folder.tempFolder()).empty());
    }
};

TEST(BuildIntegrity, AMissingOrBrokenResourceNamesTheFileAndEndsTheBuild) {
    struct Case {
        std::string resource;
        std::optional<std::string> content;  // nullopt: missing
        std::string named;
    };
    const std::vector<Case> cases = {
        {"container.xml", std::nullopt, "container.xml"},
        {"mimetype", std::nullopt, "mimetype"},
        {"content-3.opf", std::nullopt, "content-3.opf"},
        {"toc-3.ncx", std::nullopt, "toc-3.ncx"},
        {"cover-3.html", std::nullopt, "cover-3.html"},
        {"section-3.html", std::nullopt, "section-3.html"},
        {"section-3.html", "<html><body>\n$content\n</bod></html>\n", "OEBPS/section1.xhtml is not well-formed XML"},
        {"content-3.opf", "<package>$manifest $spine $guide</packag>\n", "OEBPS/content.opf is not well-formed XML"},
    };
    for (const bool english : {true, false}) {  // without catalogues, the reason is still given
        for (const Case& test : cases) {
            SCOPED_TRACE(test.resource + (english ? "" : " (no catalogues)"));
            Build build(english);
            build.resourcesWith(test.resource, test.content);
            build.run();
            build.expectFailedWith({test.named});
            if (!test.content) build.expectFailedWith({build.h.folder.file("res")});
        }
    }
}

TEST(BuildIntegrity, AnArchiveThatCannotTakeItsPlaceEndsTheBuildAndTheFolderThereStays) {
    Build build;
    files::removeAll(build.destination + "/Tale.epub");
    build.h.folder.write("Books/Tale.epub/keep.txt", "kept");
    build.run();
    ASSERT_FALSE(build.h.window.alerts.empty());
    EXPECT_EQ(build.h.window.alerts.back().titleKey, "MakeFailTitle");
    EXPECT_TRUE(build.h.notifier.delivered.empty()) << "nothing may be reported as ready";
    EXPECT_EQ(files::readFile(build.destination + "/Tale.epub/keep.txt").value_or(""), "kept");
}

TEST(BuildIntegrity, RunningOutOfMemoryInABackgroundStepEndsTheBuild) {
    Build build;
    build.h.shell.answerWith("-convert", [](const FakeShell::Call&) -> std::optional<std::string> {
        throw std::bad_alloc();
    });
    build.run();
    build.expectFailedWith({"memory"});
}

}  // namespace
}  // namespace quillary::testing
