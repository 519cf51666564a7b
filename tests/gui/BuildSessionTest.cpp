// The window's build session over fakes of its ports: one build at a time,
// its progress in the window, and what the author is told when it ends.
#include <gtest/gtest.h>

#include "app/BookInformation.h"
#include "gui/BuildSession.h"
#include "platform/Files.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

struct Session {
    Harness h{false};
    FakeNotifier notifier;
    HeldRunner builds;  // the build's job waits until the test runs it
    PosixAuthorFiles authorFiles;
    gui::BuildSession session{{h.window, h.preferences, h.workspace, notifier, h.queue, builds, h.shell, authorFiles},
                              {h.manuscripts, *h.kindle, h.checker},
                              h.locations,
                              h.texts};
    std::string manuscript = h.folder.write("books/My.Novel.rtf", "{\\rtf1 x}");
    std::string out = h.folder.makeFolder("out");

    Session() {
        h.manuscripts.load(manuscript);
        for (const char* key : {prefs::kReviewPub, prefs::kReviewKindle, prefs::kShowInFolder})
            h.preferences.setBool(key, false);
    }
    // The converter's answers follow the test's own, which come first.
    void confirm(const std::string& name = "Book.epub") {
        h.shell.answer("-info", std::string("  Type:  rich text"));
        h.shell.answer("-convert", std::string("<html>\n<body>\n<p>x</p>\n</body>\n</html>\n"));
        session.savePanelEnded(name, out, 1);
    }
    void runBuild() {
        builds.runHeld();
        h.queue.drain();
    }
};

TEST(BuildSession, OneBuildAtATimeAndAManuscriptChosenMeanwhileWaitsForItsEnd) {
    Session s;
    s.h.window.setFieldText(BookField::Title, "Moby");
    s.session.make();
    ASSERT_EQ(s.h.window.savePanels.size(), 1u);
    EXPECT_EQ(s.h.window.savePanels[0].proposedName, "Moby.epub");
    EXPECT_EQ(s.h.window.savePanels[0].directory, s.h.folder.file("books"));
    s.confirm();
    ASSERT_TRUE(s.session.isBuilding());
    EXPECT_FALSE(s.h.window.makeEnabled);
    EXPECT_TRUE(files::exists(app::storedInformationPath(s.h.folder.dataHome() + "/Quillary", s.manuscript)))
        << "stored when the build starts";
    s.session.make();
    s.confirm("Other.epub");
    EXPECT_EQ(s.h.window.savePanels.size(), 1u);
    EXPECT_EQ(s.builds.runHeld(), 1);

    const std::string other = s.h.folder.write("other/Second.rtf", "{\\rtf1 y}");
    s.session.takeManuscript(other);
    EXPECT_EQ(s.h.window.manuscriptLocation(), "My.Novel.rtf") << "the window shows what is built";
    s.h.queue.drain();
    EXPECT_FALSE(s.session.isBuilding());
    EXPECT_TRUE(s.h.window.makeEnabled);
    EXPECT_EQ(s.h.window.manuscriptLocation(), "Second.rtf");
    EXPECT_TRUE(files::exists(s.out + "/Book.epub"));
    EXPECT_FALSE(files::exists(s.out + "/Other.epub"));
}

TEST(BuildSession, TheStatusLineAndProgressFollowTheStagesAndEndIdle) {
    Session s;
    s.session.savePanelEnded("Book.epub", s.out, 0);
    EXPECT_FALSE(s.session.isBuilding()) << "a cancelled panel starts nothing";
    s.confirm();
    EXPECT_FALSE(s.h.window.statusHidden);
    EXPECT_FALSE(s.h.window.progressHidden);
    EXPECT_TRUE(s.h.window.progressIndeterminate);
    s.builds.runHeld();
    bool counted = false;
    while (s.h.queue.runOne())
        counted = counted || (s.h.window.statusText == "ePubGenMsg" && !s.h.window.progressIndeterminate);
    EXPECT_TRUE(counted) << "the assembly's progress is counted";
    EXPECT_TRUE(s.h.window.statusHidden);
    EXPECT_EQ(s.h.window.statusText, "LoadingMsg");
    EXPECT_TRUE(s.h.window.progressHidden);
    ASSERT_EQ(s.notifier.delivered.size(), 1u);
    EXPECT_EQ(s.notifier.delivered[0].message, "Your book \"Book\" is ready for review.");
    EXPECT_TRUE(s.h.window.alerts.empty()) << "no alert: the report tells";
    ASSERT_EQ(s.h.window.reports.size(), 1u);
    EXPECT_EQ(s.h.window.reports[0].bookPath, s.out + "/Book.epub");
}

TEST(BuildSession, AFailedBuildEndsInItsAlertAndNothingIsOpenedOrChecked) {
    Session s;
    s.h.preferences.setBool(prefs::kReviewPub, true);
    s.h.preferences.setBool(prefs::kCheckAfterBuild, true);
    s.h.shell.answer("-info", std::string("Error reading My.Novel.rtf"));
    s.confirm();
    s.runBuild();
    ASSERT_EQ(s.h.window.reports.size(), 1u);
    EXPECT_EQ(s.h.window.reports[0].outcome, BuildReport::Outcome::NotMade);
    EXPECT_EQ(s.h.window.reports[0].heading, "FormattingErrTitle");
    EXPECT_TRUE(s.notifier.delivered.empty());
    EXPECT_TRUE(s.h.workspace.opened.empty());
    EXPECT_EQ(s.h.checks.runHeld(), 0);
    EXPECT_TRUE(s.h.window.makeEnabled);
}

TEST(BuildSession, AStoppedBuildSaysSoAndLeavesTheEarlierBook) {
    Session s;
    s.h.folder.write("out/Book.epub", "the earlier book");
    s.confirm();
    s.session.cancel();
    s.runBuild();
    EXPECT_TRUE(s.h.window.reports.empty());
    EXPECT_FALSE(s.h.window.statusHidden);
    EXPECT_EQ(s.h.window.statusText, "BuildStoppedMsg");
    EXPECT_EQ(files::readFile(s.out + "/Book.epub").value_or(""), "the earlier book");
    EXPECT_TRUE(s.h.window.makeEnabled);
}

// The check after the build: only when the author asks, its verdict in the
// build's own report, and stoppable.
TEST(BuildSession, TheBooksCheckJoinsItsReportOnlyWhenAskedAndCanBeStopped) {
    Session s;
    s.confirm();
    s.runBuild();
    EXPECT_EQ(s.h.checks.runHeld(), 0) << "not asked for";
    s.h.preferences.setBool(prefs::kCheckAfterBuild, true);
    bool stopAsked = false;
    s.h.shell.answerWithResult("epubcheck-stand-in", [&](const FakeShell::Call& call) {
        stopAsked = call.stop && call.stop();
        return ShellResult{"ERROR(RSC-005): " + s.out + "/Book.epub/OEBPS/a.xhtml(3,1): Bad\n",
                           ShellResult::End::Exited, 1};
    });
    s.confirm();
    s.runBuild();
    ASSERT_EQ(s.h.window.reports.size(), 2u);
    EXPECT_TRUE(s.h.window.reports[1].checking);
    EXPECT_EQ(s.h.window.reports[1].outcome, BuildReport::Outcome::Clean);
    EXPECT_EQ(s.h.checks.runHeld(), 1);
    s.h.queue.drain();
    ASSERT_EQ(s.h.window.reports.size(), 3u);
    const BuildReport& checked = s.h.window.reports[2];
    EXPECT_FALSE(checked.checking);
    EXPECT_EQ(checked.outcome, BuildReport::Outcome::MadeWithProblems) << "a book that fails EPUBCheck";
    ASSERT_EQ(checked.checkFindings.size(), 1u);
    EXPECT_EQ(checked.checkFindings[0].places, std::vector<std::string>{"ERROR RSC-005 (line 3): Bad"});
    EXPECT_TRUE(s.h.window.alerts.empty() && s.h.window.checkReports.empty()) << "one view for the build";

    s.confirm();
    s.runBuild();
    s.h.checker.stop();
    s.h.checks.runHeld();
    s.h.queue.drain();
    EXPECT_TRUE(stopAsked);
    ASSERT_EQ(s.h.window.reports.size(), 5u);
    EXPECT_EQ(s.h.window.reports[4].checkVerdict, "The check with EPUBCheck was stopped.");
    EXPECT_EQ(s.h.window.reports[4].outcome, BuildReport::Outcome::Clean);
}

}  // namespace
}  // namespace quillary::testing
