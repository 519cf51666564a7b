// EPUBCheck on a book the author names: off the main thread, its verdict
// grouped by page in an alert.
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
    ASSERT_EQ(h.window.alerts.size(), 1u);
    EXPECT_EQ(h.window.alerts[0].title, "EPUBCheck found errors in the book");
    EXPECT_NE(h.window.alerts[0].message.find("Page OEBPS/section2.xhtml:\n  ERROR RSC-007 (line 11): Referenced"),
              std::string::npos)
        << h.window.alerts[0].message;
    EXPECT_TRUE(h.window.statusHidden);
}

}  // namespace
}  // namespace quillary::testing
