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
    EXPECT_EQ((*received)[2].content, kindle::withoutCoverPage(packageDocument()));
    EXPECT_EQ((*received)[4].content, "<html><div class=\"ul1\">\n<p class=\"li1\">&#8226; one</p>\n</div></html>\n");
    EXPECT_EQ(files::readFile(book.kindleFile()), "MOBI one");
    EXPECT_EQ(book.h.c().mobiPath, book.kindleFile());
    EXPECT_EQ(files::readFile(epub), "the EPUB");
    EXPECT_TRUE(book.h.window.alerts.empty());
    EXPECT_FALSE(files::exists(paths::join(book.packageFolder, "My BookKindle.epub")));
    EXPECT_EQ(files::listFolder(book.destination), (std::vector<std::string>{"My Book.epub", "My Book.mobi"}));
}

TEST(KindleBuild, AFailedConversionKeepsTheEarlierKindleFileAndTheAuthorIsTold) {
    using End = ShellResult::End;
    struct Case {
        std::string what, titleKey, messageKey;  // texts are their keys here
        End end = End::Exited;  // how a converter that wrote "half a MOBI" ends
        int status = 0;
    };
    const std::vector<Case> cases = {
        {"no output", "KindleFailTitle", "KindleFailMsg"},
        {"empty output", "KindleFailTitle", "KindleFailMsg"},
        {"no folder to move the output to", "KindleFailTitle", "KindleFailMsg"},
        {"no converter", "noKindleGenTitle", "noKindleGenMsg"},
        {"killed", "KindleFailTitle", "KindleFailMsg", End::Killed, 9},
        {"failed", "KindleFailTitle", "KindleFailMsg", End::Exited, 2},
        {"timed out", "KindleFailTitle", "KindleTimeLimitMsg", End::TimedOut}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const bool noFolder = test.what == "no folder to move the output to", converter = test.what != "no converter";
        KindleBook book(noFolder ? "missing folder/My Book" : "My Book");
        book.h.window.setKindleChecked(true);
        if (converter) book.installKindlegen();
        if (test.what == "empty output") book.nextMobi("");
        if (noFolder) book.nextMobi("MOBI");
        else book.h.folder.write("books/My Book.mobi", "earlier build");
        if (test.status != 0 || test.end != End::Exited) {
            book.nextMobi("half a MOBI");
            book.h.shell.answerWithResult("kindlegen", [&test](const FakeShell::Call& call) {
                ShellResult result = PosixShell().run(call.commandLine, call.workingFolder);
                result.end = test.end;
                result.status = test.status;
                return result;
            });
        }

        book.h.c().buildKindle();
        ASSERT_EQ(book.h.queue.pending(), 2u);
        book.h.queue.runOne();
        EXPECT_EQ(alertKeys(book.h.window), std::vector<std::string>{test.titleKey});
        EXPECT_EQ(book.h.window.alerts[0].message, test.messageKey);
        book.h.queue.runOne();
        EXPECT_EQ(book.h.notifier.delivered.size(), 1u) << "the EPUB is made all the same";

        EXPECT_EQ(book.h.shell.countCalls("kindlegen"), converter && !noFolder ? 1u : 0u);
        for (const auto& call : book.h.shell.calls()) EXPECT_EQ(call.timeLimit, kindle::kConversionTimeLimit);
        EXPECT_EQ(files::readFile(book.kindleFile()),
                  noFolder ? std::nullopt : std::optional<std::string>("earlier build"));
        EXPECT_TRUE(book.h.c().mobiPath.empty());
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
