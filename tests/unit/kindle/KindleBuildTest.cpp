#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "build/Text.h"
#include "KindleFixture.h"

using namespace quillary;
using namespace quillary::testing;

namespace {

std::vector<std::string> names(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<std::string> result;
    for (const auto& entry : entries) result.push_back(entry.first);
    return result;
}

}  // namespace

TEST(KindleBuild, TheConverterGetsThePackageWithoutItsCoverPage) {
    KindleBook book;
    book.installKindlegen();
    book.h.folder.write("next.mobi", "MOBI one");
    const std::string epub = book.h.folder.write("books/My Book.epub", "the EPUB");
    const auto before = std::filesystem::current_path();

    book.h.c().buildKindle();
    book.h.queue.drain();

    const auto calls = book.h.shell.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].workingFolder, book.packageFolder);
    EXPECT_EQ(std::filesystem::current_path(), before);

    const auto received = zipEntries(book.receivedPackage);
    ASSERT_TRUE(received) << "the converter was given no package";
    EXPECT_EQ(names(*received),
              (std::vector<std::string>{"mimetype", "META-INF/container.xml", "OEBPS/content.opf",
                                        "OEBPS/images/cover.jpg", "OEBPS/section1.xhtml"}));
    const auto opf = std::find_if(received->begin(), received->end(),
                                  [](const auto& e) { return e.first == "OEBPS/content.opf"; });
    EXPECT_EQ(opf->second,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"2.0\" unique-identifier=\"id\">\n"
              "<manifest>\n"
              "<item id=\"cover-image\" href=\"images/cover.jpg\" media-type=\"image/jpeg\"/>\n"
              "<item id=\"section1\" href=\"section1.xhtml\" media-type=\"application/xhtml+xml\"/>\n"
              "</manifest>\n"
              "<spine toc=\"ncx\">\n"
              "<itemref idref=\"section1\"/>\n"
              "</spine>\n"
              "<guide>\n"
              "</guide>\n"
              "</package>\n"
              "\n");

    EXPECT_EQ(files::readFile(book.kindleFile()), "MOBI one");
    EXPECT_EQ(book.h.c().mobiPath, book.kindleFile());
    EXPECT_EQ(files::readFile(epub), "the EPUB");
    EXPECT_TRUE(book.h.window.alerts.empty());
    EXPECT_FALSE(files::exists(paths::join(book.packageFolder, "My BookKindle.epub")));
}

TEST(KindleBuild, ASecondBuildReplacesTheFirstKindleFile) {
    KindleBook book;
    book.installKindlegen();
    book.h.folder.write("next.mobi", "first build");
    book.h.c().buildKindle();
    book.h.queue.drain();
    ASSERT_EQ(files::readFile(book.kindleFile()), "first build");

    KindleBook again;  // same destination name, a fresh package
    again.h.c().saveRoot = book.destination;
    again.installKindlegen();
    again.h.folder.write("next.mobi", "second build");
    again.h.c().buildKindle();
    again.h.queue.drain();

    EXPECT_EQ(files::readFile(book.kindleFile()), "second build");
    EXPECT_EQ(files::listFolder(book.destination), std::vector<std::string>{"My Book.mobi"});
}

TEST(KindleBuild, AFailedConversionKeepsTheEarlierKindleFileAndSaysSo) {
    for (const bool writesEmptyFile : {false, true}) {
        SCOPED_TRACE(writesEmptyFile ? "empty output" : "no output");
        KindleBook book;
        book.installKindlegen();
        if (writesEmptyFile) book.h.folder.write("next.mobi", "");
        book.h.folder.write("books/My Book.mobi", "earlier build");

        book.h.c().buildKindle();
        ASSERT_EQ(book.h.queue.pending(), 2u);
        book.h.queue.runOne();
        EXPECT_EQ(alertKeys(book.h.window), std::vector<std::string>{"KindleFailTitle"});
        book.h.queue.drain();

        EXPECT_EQ(files::readFile(book.kindleFile()), "earlier build");
        EXPECT_TRUE(book.h.c().mobiPath.empty());
    }
}

TEST(KindleBuild, APackageThatCannotBeWrittenIsNeverConverted) {
    KindleBook book("missing folder/My Book");
    book.installKindlegen();
    book.h.folder.write("next.mobi", "MOBI");

    book.h.c().buildKindle();
    book.h.queue.drain();

    EXPECT_EQ(book.h.shell.countCalls("kindlegen"), 0u);
    EXPECT_EQ(alertKeys(book.h.window), std::vector<std::string>{"KindleFailTitle"});
    EXPECT_TRUE(book.h.c().mobiPath.empty());
}

TEST(KindleBuild, NoConverterShowsTheMissingConverterAlertThenCompletes) {
    KindleBook book;
    book.h.window.setKindleChecked(true);
    book.h.folder.write("books/My Book.mobi", "earlier build");

    book.h.c().buildKindle();
    ASSERT_EQ(book.h.queue.pending(), 2u);
    book.h.queue.runOne();
    EXPECT_EQ(alertKeys(book.h.window), std::vector<std::string>{"noKindleGenTitle"});
    book.h.queue.runOne();
    EXPECT_EQ(book.h.notifier.delivered.size(), 1u);

    EXPECT_EQ(book.h.shell.calls().size(), 0u);
    EXPECT_EQ(files::readFile(book.kindleFile()), "earlier build");
    EXPECT_TRUE(book.h.c().mobiPath.empty());
}

namespace {
// The workspace finds ebook-convert in /usr/bin; the shell runs the test's
// script in its place.
void routeEbookConvertTo(KindleBook& book, const std::string& script) {
    book.h.workspace.installedApplications.insert("ebook-convert");
    book.h.shell.answerWith("/usr/bin/ebook-convert", [script](const FakeShell::Call& call) {
        PosixShell shell;
        return shell.run(text::replacedAll(call.commandLine, "/usr/bin/ebook-convert", script),
                         call.workingFolder);
    });
}
}  // namespace

TEST(KindleBuild, CalibreConvertsWhenKindlegenIsAbsent) {
    KindleBook book;
    routeEbookConvertTo(book, book.installEbookConvert());
    book.h.folder.write("next.mobi", "from calibre");

    book.h.c().buildKindle();
    book.h.queue.drain();

    EXPECT_EQ(book.h.shell.countCalls("ebook-convert"), 1u);
    EXPECT_EQ(files::readFile(book.kindleFile()), "from calibre");
    EXPECT_TRUE(book.h.window.alerts.empty());
}

TEST(KindleBuild, KindlegenIsPreferredOverCalibre) {
    KindleBook book;
    routeEbookConvertTo(book, book.installEbookConvert());
    book.installKindlegen();
    book.h.folder.write("next.mobi", "MOBI");

    book.h.c().buildKindle();

    EXPECT_EQ(book.h.shell.countCalls("ebook-convert"), 0u);
    EXPECT_EQ(book.h.shell.countCalls("kindlegen"), 1u);
}
