#include <gtest/gtest.h>

#include <functional>

#include "epub/BuildFolder.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

class CompletionTest : public ::testing::Test {
protected:
    Harness h{false};

    void SetUp() override {
        VoveZedevir& c = h.c();
        c.theFile = h.folder.file("Tale.rtf");
        c.saveName = "Tale";
        c.saveRoot = h.folder.makeFolder("Books");
        c.tempDirectoryPath = package::makeBuildFolder(h.folder.tempFolder()).value_or("");
        files::writeFileAtomically(c.tempDirectoryPath + "/mimetype", "application/epub+zip");
        h.window.statusHidden = false;
        h.window.progressHidden = false;
        for (const char* key : {prefs::kReviewPub, prefs::kReviewKindle, prefs::kShowInFinder})
            h.preferences.setBool(key, false);
    }
};

TEST_F(CompletionTest, NotifiesRemovesOnlyABuildFolderAndReturnsTheWindowToIdle) {
    const std::string buildFolder = paths::deletingLastComponent(h.c().tempDirectoryPath);
    h.c().booksComplete();
    ASSERT_EQ(h.notifier.delivered.size(), 1u);
    EXPECT_EQ(h.notifier.delivered[0].title, "A Quillary is Made");
    EXPECT_EQ(h.notifier.delivered[0].message, "Your book \"Tale\" is ready for review.");
    EXPECT_FALSE(files::exists(buildFolder));
    EXPECT_TRUE(h.window.statusHidden);
    EXPECT_EQ(h.window.statusText, "LoadingMsg");
    EXPECT_TRUE(h.window.progressHidden);
    EXPECT_TRUE(h.window.makeEnabled) << "the build ended: the make command is back";
    EXPECT_TRUE(h.workspace.opened.empty());
    EXPECT_TRUE(h.window.alerts.empty());
    EXPECT_FALSE(h.c().problemAlert);

    // A folder that is not a build folder is never removed.
    const std::string authors = h.folder.makeFolder("Books/epub");
    files::writeFileAtomically(authors + "/mine.txt", "mine");
    h.c().tempDirectoryPath = authors;
    h.c().booksComplete();
    EXPECT_TRUE(files::exists(authors + "/mine.txt"));
    EXPECT_EQ(h.notifier.delivered.size(), 2u);
}

TEST_F(CompletionTest, OpensTheBookTheKindleFileAndShowsTheBookInItsFolderSkippingAMissingViewer) {
    for (const char* key : {prefs::kReviewPub, prefs::kReviewKindle, prefs::kShowInFinder})
        h.preferences.setBool(key, true);
    const std::string books = h.c().saveRoot;
    using Opened = std::vector<std::pair<std::string, std::string>>;  // what, with which application
    for (const bool viewer : {true, false}) {
        h.workspace.opened.clear();
        if (viewer) h.workspace.installedApplications = {"ebook-viewer"};
        else h.workspace.installedApplications.clear();
        h.c().missingMarks = {"Nowhere"};
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
        std::function<void(VoveZedevir&)> set;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {[](VoveZedevir& c) { c.invalidMediaFilenames = true; c.missingFiles = {"a.png"}; }, "badFilenameTitle"},
        {[](VoveZedevir& c) { c.missingFiles = {"a.png"}; c.noEnd = true; }, "missingFilesTitle"},
        {[](VoveZedevir& c) { c.noEnd = true; c.duplicateMarks = true; }, "noEndTitle"},
        {[](VoveZedevir& c) { c.duplicateMarks = true; c.badLinks = {"x"}; }, "dupeMarksTitle"},
        {[](VoveZedevir& c) { c.badLinks = {"x"}; c.missingMarks = {"y"}; }, "badLinksTitle"},
        {[](VoveZedevir& c) { c.missingMarks = {"y"}; c.badFormatting = true; }, "missingMarksTitle"},
        {[](VoveZedevir& c) { c.badFormatting = true; c.imagesWithoutAlternative = {"a.png"}; }, "negMarginsTitle"},
        {[](VoveZedevir& c) { c.imagesWithoutAlternative = {"a.png"}; }, "noAltTextTitle"},
    };
    for (const Case& test : cases) {
        Harness fresh(false);
        test.set(fresh.c());
        fresh.c().booksComplete();
        ASSERT_EQ(fresh.window.alerts.size(), 1u) << test.expected;
        EXPECT_EQ(fresh.window.alerts[0].titleKey, test.expected);
        ASSERT_TRUE(fresh.c().problemAlert);
        EXPECT_EQ(fresh.c().problemAlert->titleKey, test.expected);
        EXPECT_EQ(fresh.c().alertsShown.size(), 1u);
    }
}

TEST(CompletionMessages, ListsAreJoinedWithACommaAndOneBlankAndReachTheAuthorInTheLocalisedMessage) {
    Harness english;
    english.c().badLinks = {"www.example.com", "ftp:/x"};
    english.c().booksComplete();
    ASSERT_EQ(english.window.alerts.size(), 1u);
    EXPECT_NE(english.window.alerts[0].message.find("www.example.com, ftp:/x"), std::string::npos)
        << english.window.alerts[0].message;
    EXPECT_EQ(english.window.alerts[0].defaultButton, english.c().localized("OK"));
    EXPECT_TRUE(english.window.alerts[0].alternateButton.empty());
}

}  // namespace
}  // namespace quillary::testing
