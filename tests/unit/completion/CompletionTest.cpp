#include <gtest/gtest.h>

#include <functional>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

// A build of Tale.rtf into Books, ended but for its completion.
void ended(Harness& h) {
    h.c().theFile = h.folder.file("Tale.rtf");
    h.c().request = BuildRequest{.manuscript = h.c().theFile, .destinationFolder = h.folder.makeFolder("Books"),
                                 .bookName = "Tale"};
}

class CompletionTest : public ::testing::Test {
protected:
    Harness h{false};

    void SetUp() override {
        ended(h);
        h.window.statusHidden = false;
        h.window.progressHidden = false;
        for (const char* key : {prefs::kReviewPub, prefs::kReviewKindle, prefs::kShowInFinder})
            h.preferences.setBool(key, false);
    }
};

TEST_F(CompletionTest, NotifiesAndReturnsTheWindowToIdle) {
    h.c().booksComplete();
    ASSERT_EQ(h.notifier.delivered.size(), 1u);
    EXPECT_EQ(h.notifier.delivered[0].title, "A Quillary is Made");
    EXPECT_EQ(h.notifier.delivered[0].message, "Your book \"Tale\" is ready for review.");
    EXPECT_TRUE(h.window.statusHidden);
    EXPECT_EQ(h.window.statusText, "LoadingMsg");
    EXPECT_TRUE(h.window.progressHidden);
    EXPECT_TRUE(h.window.makeEnabled) << "the build ended: the make command is back";
    EXPECT_TRUE(h.workspace.opened.empty());
    EXPECT_TRUE(h.window.alerts.empty());
    EXPECT_FALSE(h.c().result.problemAlert);
}

TEST_F(CompletionTest, OpensTheBookTheKindleFileAndShowsTheBookInItsFolderSkippingAMissingViewer) {
    for (const char* key : {prefs::kReviewPub, prefs::kReviewKindle, prefs::kShowInFinder})
        h.preferences.setBool(key, true);
    const std::string books = h.c().request->destinationFolder;
    using Opened = std::vector<std::pair<std::string, std::string>>;  // what, with which application
    for (const bool viewer : {true, false}) {
        h.workspace.opened.clear();
        if (viewer) h.workspace.installedApplications = {"ebook-viewer"};
        else h.workspace.installedApplications.clear();
        h.c().result.problems.missingMarks = {"Nowhere"};
        h.c().booksComplete();
        Opened opened;
        for (const auto& item : h.workspace.opened) opened.emplace_back(item.what, item.application);
        Opened expected = {{books + "/Tale.epub", ""}, {books + "/Tale.epub", "<folder>"}};
        if (viewer) expected.insert(expected.begin() + 1, {books + "/Tale.mobi", "/usr/bin/ebook-viewer"});
        EXPECT_EQ(opened, expected);
        ASSERT_FALSE(h.window.alerts.empty()) << "the problem report still follows";
        EXPECT_EQ(h.window.alerts.back().titleKey, "missingMarksTitle");
    }
}

TEST_F(CompletionTest, OnlyTheFirstProblemInTheTablesOrderIsShown) {
    struct Case {
        std::function<void(Problems&)> set;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {[](Problems& c) { c.invalidMediaFilenames = true; c.missingFiles = {"a.png"}; }, "badFilenameTitle"},
        {[](Problems& c) { c.missingFiles = {"a.png"}; c.noEnd = true; }, "missingFilesTitle"},
        {[](Problems& c) { c.noEnd = true; c.duplicateMarks = true; }, "noEndTitle"},
        {[](Problems& c) { c.duplicateMarks = true; c.badLinks = {"x"}; }, "dupeMarksTitle"},
        {[](Problems& c) { c.badLinks = {"x"}; c.missingMarks = {"y"}; }, "badLinksTitle"},
        {[](Problems& c) { c.missingMarks = {"y"}; c.badFormatting = true; }, "missingMarksTitle"},
        {[](Problems& c) { c.badFormatting = true; c.imagesWithoutAlternative = {"a.png"}; }, "negMarginsTitle"},
        {[](Problems& c) { c.imagesWithoutAlternative = {"a.png"}; }, "noAltTextTitle"},
    };
    for (const Case& test : cases) {
        Harness fresh(false);
        ended(fresh);
        test.set(fresh.c().result.problems);
        fresh.c().booksComplete();
        ASSERT_EQ(fresh.window.alerts.size(), 1u) << test.expected;
        EXPECT_EQ(fresh.window.alerts[0].titleKey, test.expected);
        ASSERT_TRUE(fresh.c().result.problemAlert);
        EXPECT_EQ(fresh.c().result.problemAlert->titleKey, test.expected);
        EXPECT_EQ(fresh.c().alertsShown.size(), 1u);
    }
}

TEST(CompletionMessages, ListsAreJoinedWithACommaAndOneBlankAndReachTheAuthorInTheLocalisedMessage) {
    Harness english;
    ended(english);
    english.c().result.problems.badLinks = {"www.example.com", "ftp:/x"};
    english.c().booksComplete();
    ASSERT_EQ(english.window.alerts.size(), 1u);
    EXPECT_NE(english.window.alerts[0].message.find("www.example.com, ftp:/x"), std::string::npos)
        << english.window.alerts[0].message;
    EXPECT_EQ(english.window.alerts[0].defaultButton, english.c().localized("OK"));
    EXPECT_TRUE(english.window.alerts[0].alternateButton.empty());
}

}  // namespace
}  // namespace quillary::testing
