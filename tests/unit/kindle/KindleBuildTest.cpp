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
    book.useKindlegen();
    book.nextMobi(kindleBytes("one"));
    book.folder.write("books/My Book.mobi", "the earlier build");
    const auto before = std::filesystem::current_path();

    const BuildResult result = book.build();

    ASSERT_EQ(book.shell.countCalls("kindlegen"), 1u);
    const FakeShell::Call call = book.shell.calls().back();
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
    EXPECT_EQ((*received)[3].content, kJpegBytes) << "the author's cover, read at the edge";
    EXPECT_TRUE(text::contains((*received)[4].content,
                               "<div class=\"ul1\">\n<p class=\"li1\"><span class=\"sz\">&#8226; one</span></p>\n</div>"));
    EXPECT_EQ(files::readFile(book.kindleFile()).value_or("<none>"), kindleBytes("one"));
    ASSERT_TRUE(result.kindle && *result.kindle);
    EXPECT_EQ(**result.kindle, book.kindleFile());
    EXPECT_EQ(files::listFolder(book.destination), (std::vector<std::string>{"My Book.epub", "My Book.mobi"}));
}

TEST(KindleBuild, AFailedConversionKeepsTheEarlierKindleFileAndSaysWhy) {
    using End = ShellResult::End;
    struct Case {
        std::string what;
        KindleFailure failure;
        End end = End::Exited;  // how a converter that wrote "half a MOBI" ends
        int status = 0;
    };
    const std::vector<Case> cases = {
        {"no output", KindleFailure::ConversionFailed},
        {"empty output", KindleFailure::NotAKindleFile},
        {"garbage", KindleFailure::NotAKindleFile},
        {"the signature one byte off", KindleFailure::NotAKindleFile},
        {"a folder where the Kindle file goes", KindleFailure::ConversionFailed},
        {"no converter", KindleFailure::NoConverter},
        {"the package cannot be made whole", KindleFailure::ConversionFailed},
        {"killed", KindleFailure::ConversionFailed, End::Killed, 9},
        {"failed", KindleFailure::ConversionFailed, End::Exited, 2},
        {"timed out", KindleFailure::TimedOut, End::TimedOut}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const bool folderInTheWay = test.what == "a folder where the Kindle file goes";
        const bool converter = test.what != "no converter", unwritten = test.what == "the package cannot be made whole";
        KindleBook book;
        if (converter) book.useKindlegen();
        if (test.what == "empty output") book.nextMobi("");
        if (test.what == "garbage") book.nextMobi("MOBI!");
        if (test.what == "the signature one byte off") book.nextMobi(std::string(59, '\0') + "BOOKMOBI" + "more");
        if (folderInTheWay) {
            book.nextMobi(kindleBytes(""));
            book.folder.write("books/My Book.mobi/kept", "the author's");
        } else {
            book.folder.write("books/My Book.mobi", "earlier build");
        }
        if (unwritten) book.authorFiles.failOpen("cover.jpg", 3);  // looked at, packed in the EPUB, then here
        if (test.status != 0 || test.end != End::Exited) {
            book.nextMobi("half a MOBI");
            book.shell.answerWithResult("kindlegen", [&test](const FakeShell::Call& call) {
                ShellResult result = PosixShell().run(call.commandLine, call.workingFolder);
                result.end = test.end;
                result.status = test.status;
                return result;
            });
        }

        const BuildResult result = book.build();
        EXPECT_TRUE(result.epub) << "the EPUB is made all the same";
        ASSERT_TRUE(result.kindle && !*result.kindle);
        EXPECT_EQ(result.kindle->reason(), test.failure);
        EXPECT_EQ(book.shell.countCalls("kindlegen"), converter && !unwritten ? 1u : 0u);
        for (const auto& call : book.shell.calls()) {
            if (text::contains(call.commandLine, "kindlegen")) {
                EXPECT_EQ(call.timeLimit, kindle::kConversionTimeLimit);
            }
        }
        EXPECT_EQ(files::readFile(book.kindleFile()).value_or("<none>"), folderInTheWay ? "<none>" : "earlier build");
    }
}

TEST(KindleBuild, CalibreIsGivenTheOutputsNameAsKindlegenWouldMakeIt) {
    KindleBook book;
    book.useEbookConvert();
    book.nextMobi(kindleBytes("from calibre"));
    const BuildResult result = book.build();
    EXPECT_EQ(book.shell.countCalls("ebook-convert"), 1u);
    EXPECT_EQ(files::readFile(book.kindleFile()).value_or("<none>"), kindleBytes("from calibre"));
    EXPECT_TRUE(result.kindle && *result.kindle);
}
