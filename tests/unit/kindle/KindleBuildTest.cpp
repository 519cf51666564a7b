#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/Text.h"
#include "kindle/KindleConverter.h"
#include "kindle/KindleVariant.h"
#include "KindleFixture.h"

using namespace quillary;
using namespace quillary::testing;

TEST(KindleBuild, TheConverterGetsThePackageWithoutItsCoverPageAndItsFileReplacesTheEarlierOne) {
    KindleBook book;
    book.installKindlegen();
    book.nextMobi("MOBI one");
    const std::string epub = book.h.folder.write("books/My Book.epub", "the EPUB");
    book.h.folder.write("books/My Book.mobi", "the earlier build");
    const auto before = std::filesystem::current_path();

    book.h.c().buildKindle();
    book.h.queue.drain();

    const auto calls = book.h.shell.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].workingFolder, book.packageFolder);
    EXPECT_EQ(std::filesystem::current_path(), before);
    const auto received = readArchive(book.receivedPackage);
    ASSERT_TRUE(received) << "the converter was given no package";
    std::vector<std::string> names;
    for (const ArchiveEntry& entry : *received) names.push_back(entry.name);
    ASSERT_EQ(names, (std::vector<std::string>{"mimetype", "META-INF/container.xml", "OEBPS/content.opf",
                                               "OEBPS/images/cover.jpg", "OEBPS/section1.xhtml"}));
    EXPECT_EQ((*received)[2].content, kindle::withoutCoverPage(kPackageDocument));
    EXPECT_EQ((*received)[4].content, "<html><div class=\"ul1\">\n<p class=\"li1\">&#8226; one</p>\n</div></html>\n");
    EXPECT_EQ(files::readFile(book.kindleFile()), "MOBI one");
    EXPECT_EQ(book.h.c().mobiPath, book.kindleFile());
    EXPECT_EQ(files::readFile(epub), "the EPUB");
    EXPECT_TRUE(book.h.window.alerts.empty());
    EXPECT_FALSE(files::exists(paths::join(book.packageFolder, "My BookKindle.epub")));
    EXPECT_EQ(files::listFolder(book.destination), (std::vector<std::string>{"My Book.epub", "My Book.mobi"}));
}

TEST(KindleBuild, AFailedConversionKeepsTheEarlierKindleFileAndSaysSo) {
    // No output, empty output, no package to convert, no converter at all.
    for (const int failure : {0, 1, 2, 3}) {
        SCOPED_TRACE(failure);
        KindleBook book(failure == 2 ? "missing folder/My Book" : "My Book");
        book.h.window.setKindleChecked(true);
        if (failure != 3) book.installKindlegen();
        if (failure == 1) book.nextMobi("");
        if (failure == 2) book.nextMobi("MOBI");
        if (failure != 2) book.h.folder.write("books/My Book.mobi", "earlier build");

        book.h.c().buildKindle();
        ASSERT_EQ(book.h.queue.pending(), 2u);
        book.h.queue.runOne();
        EXPECT_EQ(alertKeys(book.h.window),
                  std::vector<std::string>{failure == 3 ? "noKindleGenTitle" : "KindleFailTitle"});
        book.h.queue.runOne();
        EXPECT_EQ(book.h.notifier.delivered.size(), 1u) << "the build still completes";

        EXPECT_EQ(book.h.shell.countCalls("kindlegen"), failure < 2 ? 1u : 0u);
        EXPECT_EQ(files::readFile(book.kindleFile()),
                  failure == 2 ? std::nullopt : std::optional<std::string>("earlier build"));
        EXPECT_TRUE(book.h.c().mobiPath.empty());
    }
}

TEST(KindleBuild, AConverterThatDiesOrHangsLeavesNoKindleFileAndTheAuthorIsTold) {
    struct Case {
        ShellResult::End end;
        int status;
        std::string messageKey;  // texts are their keys here
    };
    const std::vector<Case> cases = {{ShellResult::End::Killed, 9, "KindleFailMsg"},
                                     {ShellResult::End::Exited, 2, "KindleFailMsg"},
                                     {ShellResult::End::TimedOut, 0, "KindleTimeLimitMsg"}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.messageKey + std::to_string(test.status));
        KindleBook book;
        book.installKindlegen();
        book.nextMobi("half a MOBI");
        book.h.folder.write("books/My Book.mobi", "earlier build");
        // The converter writes its output, then ends as the case says.
        book.h.shell.answerWithResult("kindlegen", [&test](const FakeShell::Call& call) {
            ShellResult result = PosixShell().run(call.commandLine, call.workingFolder);
            result.end = test.end;
            result.status = test.status;
            return result;
        });

        book.h.c().buildKindle();
        book.h.queue.drain();

        ASSERT_EQ(book.h.shell.calls().size(), 1u);
        EXPECT_EQ(book.h.shell.calls()[0].timeLimit, kindle::kConversionTimeLimit);
        EXPECT_EQ(alertKeys(book.h.window), std::vector<std::string>{"KindleFailTitle"});
        EXPECT_EQ(book.h.window.alerts[0].message, test.messageKey);
        EXPECT_EQ(files::readFile(book.kindleFile()), "earlier build");
        EXPECT_TRUE(book.h.c().mobiPath.empty());
        EXPECT_EQ(book.h.notifier.delivered.size(), 1u) << "the EPUB is made all the same";
    }
}

TEST(KindleBuild, CalibreConvertsWhenKindlegenIsAbsentAndKindlegenIsPreferred) {
    for (const bool withKindlegen : {false, true}) {
        SCOPED_TRACE(withKindlegen);
        KindleBook book;
        // The workspace finds ebook-convert in /usr/bin; the shell runs the
        // test's script in its place.
        const std::string script = book.installEbookConvert();
        book.h.workspace.installedApplications.insert("ebook-convert");
        book.h.shell.answerWith("/usr/bin/ebook-convert", [script](const FakeShell::Call& call) {
            return PosixShell().run(text::replacedAll(call.commandLine, "/usr/bin/ebook-convert", script),
                                    call.workingFolder).output;
        });
        if (withKindlegen) book.installKindlegen();
        book.nextMobi(withKindlegen ? "from kindlegen" : "from calibre");

        book.h.c().buildKindle();
        book.h.queue.drain();

        EXPECT_EQ(book.h.shell.countCalls("ebook-convert"), withKindlegen ? 0u : 1u);
        EXPECT_EQ(book.h.shell.countCalls("kindlegen"), withKindlegen ? 1u : 0u);
        EXPECT_EQ(files::readFile(book.kindleFile()), withKindlegen ? "from kindlegen" : "from calibre");
        EXPECT_TRUE(book.h.window.alerts.empty());
    }
}
