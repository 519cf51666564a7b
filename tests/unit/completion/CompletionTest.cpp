// What a finished build tells the author, from its request and result.
#include <gtest/gtest.h>

#include <functional>

#include "app/BuildReportText.h"
#include "app/Completion.h"
#include "fakes/FakeDesktop.h"
#include "platform/MemoryPreferences.h"
#include "support/Harness.h"

namespace quillary::testing {
namespace {

const BuildRequest kTale{.manuscript = "/books/Notes.txt", .destinationFolder = "/out", .bookName = "Tale"};

TEST(Completion, TheAlertThatEndsABuildNamesTheManuscriptOrWhyTheBookWasNotWritten) {
    const Localizer english = suiteTexts(true);
    const auto formatting = app::epubFailureAlert({EpubFailure::Kind::FormattingError, ""}, kTale, english);
    ASSERT_TRUE(formatting);
    EXPECT_EQ(formatting->titleKey, "FormattingErrTitle");
    EXPECT_NE(formatting->title.find("Notes.txt"), std::string::npos);
    EXPECT_NE(formatting->message.find("Notes.txt"), std::string::npos);
    // What the converter found replaces the advice to save the file again.
    const std::string cause = "It is protected with a password; save a copy without one.";
    const auto found = app::epubFailureAlert({EpubFailure::Kind::FormattingError, cause}, kTale, english);
    EXPECT_EQ(found->titleKey, "FormattingErrTitle");
    EXPECT_EQ(found->message, "Quillary could not read “Notes.txt”. " + cause);
    EXPECT_EQ(app::epubFailureAlert({EpubFailure::Kind::ConversionFailed, ""}, kTale, english)->titleKey,
              "MakeFailTitle");
    EXPECT_FALSE(app::epubFailureAlert({EpubFailure::Kind::Cancelled, ""}, kTale, english));
    // Without catalogues the reason still reaches the author.
    for (const bool catalogues : {true, false}) {
        const auto notWritten =
            app::epubFailureAlert({EpubFailure::Kind::NotWritten, "the disk is full"}, kTale, suiteTexts(catalogues));
        EXPECT_EQ(notWritten->titleKey, "MakeFailTitle");
        EXPECT_NE(notWritten->message.find("the disk is full"), std::string::npos) << notWritten->message;
    }
}

TEST(Completion, OnlyTheFirstProblemInTheTablesOrderIsShown) {
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
    const Localizer keys;
    EXPECT_FALSE(app::problemAlert({}, keys));
    for (const Case& test : cases) {
        Problems problems;
        test.set(problems);
        const auto alert = app::problemAlert(problems, keys);
        ASSERT_TRUE(alert) << test.expected;
        EXPECT_EQ(alert->titleKey, test.expected);
    }
}

TEST(Completion, ListsAreJoinedWithACommaAndOneBlankAndReachTheAuthorInTheLocalisedMessage) {
    const Localizer english = suiteTexts(true);
    Problems problems;
    problems.badLinks = {"www.example.com", "ftp:/x"};
    const auto alert = app::problemAlert(problems, english);
    ASSERT_TRUE(alert);
    EXPECT_NE(alert->message.find("www.example.com, ftp:/x"), std::string::npos) << alert->message;
    EXPECT_EQ(alert->defaultButton, english.text("OK"));
    EXPECT_TRUE(alert->alternateButton.empty());
    EXPECT_EQ(app::readyNotification(kTale).message, "Your book \"Tale\" is ready for review.");
}

TEST(Completion, FlagProblemsNameWhatTheyConcernInTheLocalisedMessage) {
    const std::pair<std::function<void(Problems&)>, std::string> cases[] = {
        {[](Problems& c) { c.invalidMediaFilenames = true; c.invalidMediaNames = {"a?b.png", "c:d.mp3"}; },
         "a?b.png, c:d.mp3"},
        {[](Problems& c) { c.duplicateMarks = true; c.duplicateMark = "Harbour"; }, "Harbour"},
        {[](Problems& c) { c.badFormatting = true; c.negativeStyle = "p.p2"; }, "p.p2"}};
    for (const char* language : {"en", "de"}) {
        const Localizer texts = Localizer::load(suiteSetting("QUILLARY_RESOURCES") + "/locale", {language});
        for (const auto& [set, shown] : cases) {
            Problems problems;
            set(problems);
            const auto alert = app::problemAlert(problems, texts);
            ASSERT_TRUE(alert);
            EXPECT_NE(alert->message.find(shown), std::string::npos) << alert->message;
        }
    }
}

TEST(Completion, OpensTheBookTheKindleFileAndTheFolderAsAskedSkippingAMissingViewer) {
    using Opened = std::vector<std::pair<std::string, std::string>>;  // what, with which application
    BuildResult made;
    made.epub = std::string("/out/Tale.epub");
    made.kindle = std::string("/out/Tale.mobi");
    for (const bool viewer : {true, false}) {
        MemoryPreferences preferences;
        preferences.registerDefaults(prefs::registeredDefaults());
        FakeWorkspace workspace;
        app::openResults(kTale, made, preferences, workspace, [viewer] {
            return viewer ? std::optional<std::string>("/usr/bin/ebook-viewer") : std::nullopt;
        });
        Opened opened;
        for (const auto& item : workspace.opened) opened.emplace_back(item.what, item.application);
        Opened expected = {{"/out/Tale.epub", ""}, {"/out/Tale.epub", "<folder>"}};
        if (viewer) expected.insert(expected.begin() + 1, {"/out/Tale.mobi", "/usr/bin/ebook-viewer"});
        EXPECT_EQ(opened, expected);

        // No Kindle file made (none asked for, or its step failed): no viewer.
        for (const auto& kindle : {std::optional<Result<std::string, KindleFailure>>{},
                                   std::optional<Result<std::string, KindleFailure>>{
                                       failure(KindleFailure::ConversionFailed)}}) {
            BuildResult epubOnly = made;
            epubOnly.kindle = kindle;
            workspace.opened.clear();
            app::openResults(kTale, epubOnly, preferences, workspace, [] { return std::optional<std::string>("v"); });
            EXPECT_EQ(workspace.opened.size(), 2u) << "the book and its folder only";
        }

        for (const char* key : {prefs::kReviewPub, prefs::kReviewKindle, prefs::kShowInFolder})
            preferences.setBool(key, false);
        workspace.opened.clear();
        app::openResults(kTale, made, preferences, workspace, [] { return std::optional<std::string>("viewer"); });
        EXPECT_TRUE(workspace.opened.empty());
    }
}

TEST(BuildReport, EveryProblemGroupedByKindWithItsPlacesAndTheOutcomePicksTheIcon) {
    const Localizer english = suiteTexts(true);
    BuildResult result;
    result.epub = std::string("/out/Tale.epub");
    const BuildReport clean = app::describeBuild("Tale", kTale, result, english);
    EXPECT_EQ(clean.outcome, BuildReport::Outcome::Clean);
    EXPECT_EQ(clean.heading, "Made \u201cTale\u201d");
    EXPECT_NE(clean.detail.find("EPUB 3 book, at /out/Tale.epub"), std::string::npos) << clean.detail;
    EXPECT_TRUE(clean.groups.empty());

    result.problems.missingMarks = {"Chapter Nine", "Epilogue"};
    result.problems.imagesWithoutAlternative = {"map.png"};
    result.problems.noEnd = true;
    result.problems.unclosedNote = "See the";
    const BuildReport problems = app::describeBuild("Tale", kTale, result, english);
    EXPECT_EQ(problems.outcome, BuildReport::Outcome::MadeWithProblems);
    ASSERT_EQ(problems.groups.size(), 3u);
    EXPECT_EQ(problems.groups[0].titleKey, "noEndTitle");
    EXPECT_EQ(problems.groups[0].places, std::vector<std::string>{"See the"});
    EXPECT_EQ(problems.groups[1].places, (std::vector<std::string>{"Chapter Nine", "Epilogue"}));
    EXPECT_EQ(problems.groups[1].explanation.find("%@"), std::string::npos) << problems.groups[1].explanation;
    EXPECT_EQ(problems.groups[2].titleKey, "noAltTextTitle");
    EXPECT_EQ(problems.groups[2].places, std::vector<std::string>{"map.png"});
    EXPECT_EQ(problems.groups[2].explanation.find(".."), std::string::npos) << problems.groups[2].explanation;

    // A Kindle file asked for and not made is a problem of a made book.
    result.problems = {};
    result.kindle = failure(KindleFailure::NoConverter);
    EXPECT_EQ(app::describeBuild("Tale", kTale, result, english).outcome, BuildReport::Outcome::MadeWithProblems);

    result.epub = failure(EpubFailure{EpubFailure::Kind::NotWritten, "the disk is full"});
    const auto alert = app::epubFailureAlert(result.epub.reason(), kTale, english);
    const BuildReport notMade = app::describeBuild("Tale", kTale, result, english, alert);
    EXPECT_EQ(notMade.outcome, BuildReport::Outcome::NotMade);
    EXPECT_EQ(notMade.heading, alert->title);
    EXPECT_NE(notMade.detail.find("the disk is full"), std::string::npos);
    EXPECT_TRUE(notMade.bookPath.empty());
}

}  // namespace
}  // namespace quillary::testing
