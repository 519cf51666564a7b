// EPUBCheck after a build: only when the author has asked for it, and its
// verdict reaches the window grouped by page.

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

TEST(CheckAfterBuild, RunsOnlyWhenTurnedOnAndTellsTheVerdictByPage) {
    const std::string finding =
        "ERROR(RSC-007): BOOK/OEBPS/section2.xhtml(11,91): Referenced resource \"OEBPS/images/Gone.png\" could "
        "not be found in the EPUB.\n";
    const struct {
        bool turnedOn;
        bool storeIt;  // false: the registered default stands
        std::size_t checks;
    } cases[] = {{false, false, 0}, {true, true, 1}};
    for (const auto& [turnedOn, storeIt, checks] : cases) {
        Harness h;
        VoveZedevir& c = h.c();
        c.locations.epubcheckCommand = "epubcheck-stand-in";
        c.request = BuildRequest{.destinationFolder = h.folder.makeFolder("Books"), .bookName = "Tale"};
        c.result.epubPath = h.folder.write("Books/Tale.epub", "");
        for (const char* key : {prefs::kReviewPub, prefs::kReviewKindle, prefs::kShowInFinder})
            h.preferences.setBool(key, false);
        if (storeIt) h.preferences.setBool(prefs::kCheckAfterBuild, turnedOn);
        h.shell.answerWithResult("epubcheck-stand-in", [&](const FakeShell::Call& call) {
            std::string output = finding;
            output.replace(output.find("BOOK"), 4, c.result.epubPath);
            EXPECT_TRUE(call.timeLimit);
            return ShellResult{output, ShellResult::End::Exited, 1};
        });

        c.booksComplete();
        h.checks.runHeld();
        h.queue.drain();
        EXPECT_EQ(h.shell.countCalls("epubcheck-stand-in"), checks) << turnedOn;
        EXPECT_EQ(c.validation.has_value(), turnedOn);
        if (!turnedOn) continue;
        EXPECT_EQ(c.validation->outcome, BookCheck::Outcome::Invalid);
        ASSERT_FALSE(h.window.alerts.empty());
        const Alert& told = h.window.alerts.back();
        EXPECT_EQ(told.title, "EPUBCheck found errors in the book");
        EXPECT_NE(told.message.find("Page OEBPS/section2.xhtml:\n  ERROR RSC-007 (line 11): Referenced resource"),
                  std::string::npos) << told.message;
    }
}

}  // namespace
}  // namespace quillary::testing
