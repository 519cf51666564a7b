// The build as one function: its stages and progress, stopping it, and a
// book that is reported as made only when every file of it was written
// whole and every document is well-formed; otherwise the earlier book stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <thread>

#include "epub/Archive.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

using controller::BuildStage;
using Kind = EpubFailure::Kind;

// What the converter makes of a short manuscript with a note, an image and
// two chapters, so that every kind of file a book holds is made.
const std::string kConverted =
    "<html>\n<head><title>x</title></head>\n<body>\n<p>bookmark: One</p>\n"
    "<p>Text&lt;&lt;A note.&gt;&gt; more.</p>\n<p>image:photo.png</p>\n<p>bookmark: Two</p>\n"
    "<p>Second chapter.</p>\n</body>\n</html>\n";
const std::string kEarlierBook = "the earlier, good book";

// Records what the build tells, and asks it to stop once `stopAt` begins.
struct Watcher : controller::BuildProgress {
    std::vector<BuildStage> stages;
    std::vector<double> fractions;
    std::optional<BuildStage> stopAt;
    void stageBegins(BuildStage stage) override { stages.push_back(stage); }
    void advanced(double fraction) override { fractions.push_back(fraction); }
    bool cancelled() const override {
        return stopAt && std::find(stages.begin(), stages.end(), *stopAt) != stages.end();
    }
};

struct Tale : BookBuild {
    BuildRequest request;

    explicit Tale(bool english = true) : BookBuild(english) {
        folder.write("Manuscript/cover.jpg", kJpegBytes);
        folder.write("Manuscript/photo.png", kPngBytes);
        folder.write("Books/Tale.epub", kEarlierBook);
        request = {.manuscript = folder.file("Manuscript/Tale.rtf"),
                   .manuscriptFolder = folder.file("Manuscript"),
                   .destinationFolder = folder.file("Books"),
                   .bookName = "Tale",
                   .bookInfo = {"Tale", "Ann", "", "", "2024-05-17", "urn:uuid:12345", "", "0"}};
    }
    // A test's own answers, given before, come first.
    void answerAsAConverter() {
        shell.answer("-info", std::string("  Type:  rich text\n"));
        shell.answer("-convert", kConverted);
    }
    BuildResult run(controller::BuildProgress& progress) {
        answerAsAConverter();
        return build(request, progress);
    }
    BuildResult run() {
        controller::BuildProgress unwatched;
        return run(unwatched);
    }
    std::string book() const { return files::readFile(request.epubPath()).value_or("<none>"); }
    // The build made no book, for `kind`, and left the earlier one.
    void expectNoBook(const BuildResult& result, Kind kind, const std::string& reasonHolds = {}) const {
        ASSERT_FALSE(result.epub);
        EXPECT_EQ(result.epub.reason().kind, kind);
        EXPECT_NE(result.epub.reason().reason.find(reasonHolds), std::string::npos) << result.epub.reason().reason;
        EXPECT_EQ(book(), kEarlierBook);
        EXPECT_EQ(files::listFolder(folder.file("Books")), std::vector<std::string>{"Tale.epub"});
    }
};

TEST(BuildBook, TheStagesRunInOrderAndTheAssemblyTellsHowFarItIs) {
    Tale tale;
    std::string body;
    for (int i = 0; i < 3000; ++i) body += "<p>Line.</p>\n";
    tale.shell.answer("-convert", "<html>\n<body>\n" + body + "</body>\n</html>\n");
    Watcher watcher;
    const BuildResult result = tale.run(watcher);
    ASSERT_TRUE(result.epub) << result.epub.reason().reason;
    EXPECT_EQ(*result.epub, tale.request.epubPath());
    EXPECT_EQ(watcher.stages, (std::vector<BuildStage>{BuildStage::Convert, BuildStage::Normalise, BuildStage::Assemble,
                                                       BuildStage::Documents, BuildStage::Archive}));
    // About a hundred times, never backwards, ending with the whole body read.
    EXPECT_GE(watcher.fractions.size(), 50u);
    EXPECT_LE(watcher.fractions.size(), 102u);
    EXPECT_TRUE(std::is_sorted(watcher.fractions.begin(), watcher.fractions.end()));
    EXPECT_GT(watcher.fractions.back(), 0.99);
    EXPECT_LE(watcher.fractions.back(), 1.0);
}

TEST(BuildBook, AStoppedBuildWritesNothingAndMakesNoKindleFile) {
    for (const BuildStage stage : {BuildStage::Convert, BuildStage::Assemble}) {
        Tale tale;
        tale.request.kindle = true;
        Watcher watcher;
        watcher.stopAt = stage;
        const BuildResult result = tale.run(watcher);
        tale.expectNoBook(result, Kind::Cancelled);
        EXPECT_FALSE(result.kindle);
        EXPECT_EQ(std::count(watcher.stages.begin(), watcher.stages.end(), BuildStage::Archive), 0);
    }
}

// A converter that runs until it is asked to stop, as LibreOffice or a
// Kindle converter that hangs would.
ShellResult runUntilStopped(const FakeShell::Call& call) {
    while (!call.stop()) std::this_thread::yield();
    return ShellResult{std::nullopt, ShellResult::End::Stopped, 0};
}

TEST(BuildBook, AStopReachesARunningConverterAndLeavesTheEarlierFilesAlone) {
    Tale converting;
    converting.shell.answerWithResult("-convert", runUntilStopped);
    Watcher watcher;
    watcher.stopAt = BuildStage::Convert;
    converting.expectNoBook(converting.run(watcher), Kind::Cancelled);

    // Stopped in the Kindle step, the EPUB is made already; the earlier
    // Kindle file stays, and the author hears why there is no new one.
    Tale kindle;
    kindle.request.kindle = true;
    kindle.request.epub3 = false;
    kindle.folder.write("Books/Tale.mobi", "the earlier Kindle file");
    kindle.kindleConverter = kindle::Converter{kindle::ConverterKind::kindlegen, "/opt/kindlegen"};
    kindle.shell.answerWithResult("kindlegen", runUntilStopped);
    watcher.stopAt = BuildStage::Kindle;
    const BuildResult result = kindle.run(watcher);
    ASSERT_TRUE(result.epub) << result.epub.reason().reason;
    ASSERT_TRUE(result.kindle && !*result.kindle);
    EXPECT_EQ(result.kindle->reason(), KindleFailure::Stopped);
    EXPECT_EQ(files::readFile(kindle.folder.file("Books/Tale.mobi")).value_or(""), "the earlier Kindle file");
}

TEST(BuildBook, ConverterFailuresAreTheAuthorsToMendOrTheConvertersAndNoBookIsMade) {
    Tale plain;
    plain.shell.answer("-info", std::string("File: Notes.txt\n  Type:  plain text\n"));
    plain.expectNoBook(plain.run(), Kind::FormattingError);
    EXPECT_EQ(plain.shell.countCalls("-convert"), 0u) << "a plain text is not converted";
    Tale failing;
    failing.shell.answer("-convert", std::string("Error converting the file"));
    failing.expectNoBook(failing.run(), Kind::ConversionFailed);
}

TEST(BuildBook, AMissingOrBrokenTemplateNamesItsFile) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"container.xml", std::nullopt},
        {"section-3.html", "<html><body>\n$content\n</bod></html>\n"},
        {"content-3.opf", "<package>$manifest $spine $guide</packag>\n"},
    };
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        Tale tale;
        const std::string real = tale.locations.resources.folder;
        for (const std::string& file : files::listFolder(real))
            if (!files::isDirectory(real + "/" + file))
                tale.folder.write("res/" + file, *files::readFile(real + "/" + file));
        if (content) tale.folder.write("res/" + name, *content);
        else EXPECT_TRUE(files::removeAll(tale.folder.file("res/" + name)));
        tale.locations.resources.folder = tale.folder.file("res");
        const std::string named = !content                  ? name
                                  : name == "content-3.opf" ? "OEBPS/content.opf"
                                                            : "OEBPS/section1.xhtml";
        tale.expectNoBook(tale.run(), Kind::NotWritten, named);
    }
}

TEST(BuildBook, AFolderInTheBooksPlaceStaysAndNoBookIsReported) {
    Tale tale;
    EXPECT_TRUE(files::removeAll(tale.request.epubPath()));
    tale.folder.write("Books/Tale.epub/keep.txt", "kept");
    const BuildResult result = tale.run();
    ASSERT_FALSE(result.epub);
    EXPECT_EQ(files::readFile(tale.folder.file("Books/Tale.epub/keep.txt")).value_or(""), "kept");
}

TEST(BuildBook, AnAuthorsFileThatCannotBeReadWhenPackedEndsTheBuildNamingIt) {
    Tale tale;
    tale.answerAsAConverter();
    // There when the assembly looks at it, unreadable when the archive reads it.
    tale.authorFiles.failOpen("photo.png", 2);
    tale.expectNoBook(tale.run(), Kind::NotWritten, "photo.png: No such file or directory");
}

TEST(BuildBook, RunningOutOfMemoryEndsTheBuildWithAReason) {
    Tale tale;
    tale.shell.answerWith("-convert",
                          [](const FakeShell::Call&) -> std::optional<std::string> { throw std::bad_alloc(); });
    tale.expectNoBook(tale.run(), Kind::NotWritten, "memory");
}

TEST(BuildBook, OnlyAnEpubOfThisIsbnGoesAndOnlyOnceTheBookIsMade) {
    Tale tale;
    EXPECT_TRUE(files::removeAll(tale.request.epubPath()));
    bool unreadable = false;
    tale.shell.answerWith("-info", [&unreadable](const FakeShell::Call&) {
        return std::optional<std::string>(unreadable ? "Error reading Tale.rtf" : "  Type:  rich text");
    });
    const auto make = [&](const std::string& name, const std::string& isbn) {
        tale.request.bookName = name;
        tale.request.bookInfo.isbn = isbn;
        return tale.run().epub.value_or("");
    };
    // The earlier build, named after the ISBN.
    const std::string earlier = make("9781234567897", "9781234567897");
    ASSERT_EQ(earlier, tale.folder.file("Books/9781234567897.epub"));
    EXPECT_TRUE(files::copyFile(earlier, tale.folder.file("Books/OtherBook.epub")));
    tale.folder.write("Books/Notes.epub", "the author's notes");
    tale.folder.write("secret.epub", "not in the destination");
    tale.folder.makeFolder("Books/Folder.epub");
    unreadable = true;
    EXPECT_EQ(make("Tale", "9781234567897"), "");
    EXPECT_TRUE(files::exists(earlier)) << "not before the new book exists";
    unreadable = false;
    ASSERT_FALSE(make("Tale", "9781234567897").empty());
    EXPECT_FALSE(files::exists(earlier));

    // Another book's EPUB, a file that is no EPUB, names outside the folder
    // or of the book itself, and folders all stay.
    for (const char* isbn : {"OtherBook", "Notes", "Tale", "../secret", "Folder"}) {
        EXPECT_FALSE(make("Tale", isbn).empty()) << isbn;
        EXPECT_EQ(files::listFolder(tale.folder.file("Books")),
                  (std::vector<std::string>{"Folder.epub", "Notes.epub", "OtherBook.epub", "Tale.epub"}));
        EXPECT_TRUE(files::exists(tale.folder.file("secret.epub"))) << isbn;
    }
}

}  // namespace
}  // namespace quillary::testing
