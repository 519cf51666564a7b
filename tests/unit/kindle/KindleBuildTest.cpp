#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/Text.h"
#include "kindle/KindleConverter.h"
#include "KindleFixture.h"

using namespace quillary;
using namespace quillary::testing;

TEST(KindleBuild, TheConverterGetsThePackageWithoutItsCoverPageAndItsFileReplacesTheEarlierOne) {
    KindleBook book;
    book.installKindlegen();
    book.nextMobi("MOBI one");
    book.h.folder.write("books/My Book.mobi", "the earlier build");
    const auto before = std::filesystem::current_path();

    book.build();

    ASSERT_EQ(book.h.shell.countCalls("kindlegen"), 1u);
    const FakeShell::Call call = book.h.shell.calls().back();
    EXPECT_FALSE(std::filesystem::exists(call.workingFolder)) << "its folder goes when it is done";
    EXPECT_EQ(std::filesystem::current_path(), before);
    const auto epub = readArchive(book.destination + "/My Book.epub");
    const auto received = readArchive(book.receivedPackage);
    ASSERT_TRUE(epub && received) << "the converter was given no package";
    std::vector<std::string> names, epubNames;
    for (const ArchiveEntry& entry : *received) names.push_back(entry.name);
    for (const ArchiveEntry& entry : *epub) epubNames.push_back(entry.name);
    // An EPUB 2 book without a contents heading has no contents page; the Kindle book always has one.
    EXPECT_EQ(names, (std::vector<std::string>{"mimetype", "META-INF/container.xml", "OEBPS/content.opf",
                                               "OEBPS/images/cover.jpg", "OEBPS/section1.xhtml",
                                               "OEBPS/stylesheet.css", "OEBPS/toc.ncx", "OEBPS/toc.xhtml"}));
    EXPECT_TRUE(std::count(epubNames.begin(), epubNames.end(), "OEBPS/cover.xhtml"));
    EXPECT_FALSE(std::count(epubNames.begin(), epubNames.end(), "OEBPS/toc.xhtml"));
    const std::string opf = (*received)[2].content;
    EXPECT_FALSE(text::contains(opf, "cover.xhtml")) << opf;
    EXPECT_TRUE(text::contains(opf, "<item id=\"toc\" href=\"toc.xhtml\""));
    EXPECT_TRUE(text::contains(opf, "<reference href=\"toc.xhtml\" type=\"toc\""));
    EXPECT_TRUE(text::contains((*received)[4].content,
                               "<div class=\"ul1\">\n<p class=\"li1\"><span class=\"sz\">&#8226; one</span></p>\n</div>"));
    EXPECT_EQ(files::readFile(book.kindleFile()), "MOBI one");
    EXPECT_EQ(book.h.c().result.kindlePath, book.kindleFile());
    EXPECT_TRUE(book.h.window.alerts.empty());
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
        {"a folder where the Kindle file goes", "KindleFailTitle", "KindleFailMsg"},
        {"no converter", "noKindleGenTitle", "noKindleGenMsg"},
        {"the package cannot be written whole", "KindleFailTitle", "KindleFailMsg"},
        {"killed", "KindleFailTitle", "KindleFailMsg", End::Killed, 9},
        {"failed", "KindleFailTitle", "KindleFailMsg", End::Exited, 2},
        {"timed out", "KindleFailTitle", "KindleTimeLimitMsg", End::TimedOut}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const bool folderInTheWay = test.what == "a folder where the Kindle file goes";
        const bool converter = test.what != "no converter", unwritten = test.what == "the package cannot be written whole";
        KindleBook book;
        book.h.window.setKindleChecked(true);
        if (converter) book.installKindlegen();
        if (test.what == "empty output") book.nextMobi("");
        if (folderInTheWay) {
            book.nextMobi("MOBI");
            book.h.folder.write("books/My Book.mobi/kept", "the author's");
        } else {
            book.h.folder.write("books/My Book.mobi", "earlier build");
        }
        if (unwritten) book.h.fileWriter.failWrite(1);
        if (test.status != 0 || test.end != End::Exited) {
            book.nextMobi("half a MOBI");
            book.h.shell.answerWithResult("kindlegen", [&test](const FakeShell::Call& call) {
                ShellResult result = PosixShell().run(call.commandLine, call.workingFolder);
                result.end = test.end;
                result.status = test.status;
                return result;
            });
        }

        book.build();
        EXPECT_EQ(alertKeys(book.h.window), std::vector<std::string>{test.titleKey});
        EXPECT_EQ(book.h.window.alerts[0].message, test.messageKey);
        EXPECT_EQ(book.h.notifier.delivered.size(), 1u) << "the EPUB is made all the same";

        EXPECT_EQ(book.h.shell.countCalls("kindlegen"), converter && !unwritten ? 1u : 0u);
        for (const auto& call : book.h.shell.calls()) {
            if (text::contains(call.commandLine, "kindlegen")) {
                EXPECT_EQ(call.timeLimit, kindle::kConversionTimeLimit);
            }
        }
        EXPECT_EQ(files::readFile(book.kindleFile()),
                  folderInTheWay ? std::nullopt : std::optional<std::string>("earlier build"));
        EXPECT_TRUE(book.h.c().result.kindlePath.empty());
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

        book.build();

        EXPECT_EQ(book.h.shell.countCalls("ebook-convert"), withKindlegen ? 0u : 1u);
        EXPECT_EQ(book.h.shell.countCalls("kindlegen"), withKindlegen ? 1u : 0u);
        EXPECT_EQ(files::readFile(book.kindleFile()), withKindlegen ? "from kindlegen" : "from calibre");
        EXPECT_TRUE(book.h.window.alerts.empty());
    }
}
