// EPUBCheck on a book the author names: off the main thread, its verdict
// grouped by page in a view of its own.
#include <gtest/gtest.h>

#include "support/Harness.h"

namespace quillary::testing {
namespace {

TEST(BookChecker, TheVerdictComesBackGroupedByPage) {
    Harness h;
    const std::string book = h.folder.write("Books/Tale.epub", "");
    h.shell.answerWithResult("epubcheck-stand-in", [&](const FakeShell::Call& call) {
        EXPECT_TRUE(call.timeLimit);
        return ShellResult{"ERROR(RSC-007): " + book +
                               "/OEBPS/section2.xhtml(11,91): Referenced resource "
                               "\"OEBPS/images/Gone.png\" could not be found in the EPUB.\n",
                           ShellResult::End::Exited, 1};
    });
    h.checker.check(book);
    EXPECT_FALSE(h.window.statusHidden) << "the status line says what runs";
    EXPECT_FALSE(h.checker.lastVerdict());
    h.checks.runHeld();
    h.queue.drain();
    ASSERT_TRUE(h.checker.lastVerdict());
    EXPECT_EQ(h.checker.lastVerdict()->verdict, epub::BookCheck::Verdict::Invalid);
    ASSERT_EQ(h.window.checkReports.size(), 1u);
    const BuildReport& report = h.window.checkReports[0];
    EXPECT_EQ(report.heading, "EPUBCheck found errors in the book");
    EXPECT_EQ(report.outcome, BuildReport::Outcome::MadeWithProblems);
    EXPECT_EQ(report.detail, "EPUBCheck found errors in the book: 1 errors, 0 warnings.\n" + book);
    ASSERT_EQ(report.groups.size(), 1u);
    EXPECT_EQ(report.groups[0].title, "Page OEBPS/section2.xhtml");
    EXPECT_EQ(report.groups[0].places[0].rfind("ERROR RSC-007 (line 11): Referenced", 0), 0u);
    EXPECT_TRUE(h.window.statusHidden && h.window.progressHidden);
}

}  // namespace
}  // namespace quillary::testing
