#include <gtest/gtest.h>

#include "KindleFixture.h"

using namespace quillary;
using namespace quillary::testing;

namespace {

// A kindlegen of the test's making, which the shell runs for real.
void installKindlegen(Harness& h, const std::string& banner) {
    h.shell.passThrough = true;
    installConverterScript(h.kindle->kindlegenPath(), banner, h.folder.file("received.epub"),
                           h.folder.file("next.mobi"));
}

}  // namespace

TEST(KindleConverterCheck, AlertsOnlyForAMissingOrOldConverterAndOnlyWithTheOptionOn) {
    struct Case {
        const char* kindlegenBanner;  // nullptr: no kindlegen
        bool calibre, optionOn;
        int answer;
        std::vector<std::string> alerts;
        bool pageOpened;
    };
    const std::vector<Case> cases = {
        // Without a converter: Try Again checks again; Cancel declines the option.
        {nullptr, false, true, kAlertDefaultButton, {"noKindleConverterTitle", "noKindleConverterTitle"}, false},
        {nullptr, false, true, kAlertAlternateButton, {"noKindleConverterTitle"}, false},
        {nullptr, true, true, kAlertDefaultButton, {}, false},  // calibre stands in
        {"Amazon kindlegen(Linux) V2.9 build 1028-0897292", false, true, kAlertDefaultButton, {}, false},
        {"Amazon kindlegen(Linux) V2.8 build 0615-9a9cb2a",
         false,
         true,
         kAlertDefaultButton,
         {"oldKindleGenTitle"},
         true},
        {"Amazon kindlegen", false, true, kAlertDefaultButton, {"oldKindleGenTitle"}, true},
        {"V2.0", false, false, kAlertDefaultButton, {}, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.kindlegenBanner ? test.kindlegenBanner : "none") +
                     (test.calibre ? " calibre" : ""));
        Harness h(false);
        if (test.kindlegenBanner) installKindlegen(h, test.kindlegenBanner);
        if (test.calibre) h.workspace.installedApplications.insert("ebook-convert");
        h.preferences.setBool(prefs::kBuildKindle, test.optionOn);
        h.window.alertAnswers.push_back(test.answer);
        int declined = 0;
        h.kindle->setDeclined([&declined] { ++declined; });

        h.kindle->checkConverter();
        h.checks.runHeld();
        h.queue.drain();

        EXPECT_EQ(h.shell.countCalls("kindlegen"), test.kindlegenBanner && test.optionOn ? 1u : 0u);
        EXPECT_EQ(h.shell.calls().size(), h.shell.countCalls("kindlegen"));
        EXPECT_EQ(alertKeys(h.window), test.alerts);
        EXPECT_EQ(declined, !test.kindlegenBanner && !test.calibre && test.answer == kAlertAlternateButton ? 1 : 0);
        ASSERT_EQ(h.workspace.opened.size(), test.pageOpened ? 1u : 0u);
        if (test.pageOpened) {
            EXPECT_EQ(h.workspace.opened[0].application, "<url>");
            EXPECT_TRUE(h.workspace.opened[0].what.starts_with("https://"));
        }
    }
}

TEST(KindleConverterCheck, KindlegenIsPreferredThenCalibreThenNone) {
    Harness h(false);
    EXPECT_FALSE(h.kindle->findConverter());
    h.workspace.installedApplications.insert("ebook-convert");
    EXPECT_EQ(h.kindle->findConverter()->kind, kindle::ConverterKind::ebookConvert);
    EXPECT_EQ(h.kindle->findConverter()->path, "/usr/bin/ebook-convert");
    installKindlegen(h, "V2.9");
    EXPECT_EQ(h.kindle->findConverter()->kind, kindle::ConverterKind::kindlegen);
    EXPECT_EQ(h.kindle->findConverter()->path, h.kindle->kindlegenPath());
}

TEST(KindleConverterCheck, TheVerdictComesOnTheMainThreadAndOneNobodyWaitsForIsDropped) {
    Harness h(false);
    installKindlegen(h, "Amazon kindlegen(Linux) V2.8 build 0615-9a9cb2a");
    h.preferences.setBool(prefs::kBuildKindle, true);

    // The check leaves the main thread and its verdict comes back to it.
    // Asked twice while one check runs: one check at a time, one alert.
    h.kindle->checkConverter();
    h.kindle->checkConverter();
    EXPECT_EQ(h.shell.countCalls("kindlegen"), 0u);
    EXPECT_EQ(h.checks.runHeld(), 1);
    EXPECT_TRUE(h.window.alerts.empty()) << "the verdict waits for the main thread";
    h.queue.drain();
    EXPECT_EQ(h.checks.runHeld(), 1);
    h.queue.drain();
    EXPECT_EQ(alertKeys(h.window), std::vector<std::string>{"oldKindleGenTitle"});

    // Turned off while the check runs.
    h.kindle->checkConverter();
    h.preferences.setBool(prefs::kBuildKindle, false);
    h.checks.runHeld();
    h.queue.drain();
    EXPECT_EQ(h.window.alerts.size(), 1u);

    // The window closed while the check ran.
    h.preferences.setBool(prefs::kBuildKindle, true);
    h.kindle->checkConverter();
    h.kindle.reset();
    h.checks.runHeld();
    EXPECT_EQ(h.queue.drain(), 0);
    EXPECT_EQ(h.window.alerts.size(), 1u);
}

TEST(KindleViewer, TheFirstKnownViewerOrTheAuthorsChoice) {
    Harness h(false);
    EXPECT_EQ(h.kindle->viewer(), std::nullopt);
    h.workspace.installedApplications = {"foliate"};
    EXPECT_EQ(h.kindle->viewer(), "/usr/bin/foliate");
    h.workspace.installedApplications = {"foliate", "ebook-viewer"};
    EXPECT_EQ(h.kindle->viewer(), "/usr/bin/ebook-viewer");

    h.preferences.setString(prefs::kKindleViewer, "foliate");
    EXPECT_EQ(h.kindle->viewer(), "/usr/bin/foliate");
    // A chosen viewer that is gone is not swapped for another one.
    h.preferences.setString(prefs::kKindleViewer, "okular");
    EXPECT_EQ(h.kindle->viewer(), std::nullopt);

    const std::string own = h.folder.write("viewers/my viewer", "#!/bin/sh\n");
    h.preferences.setString(prefs::kKindleViewer, own);
    EXPECT_EQ(h.kindle->viewer(), std::nullopt) << "not executable";
    EXPECT_TRUE(files::setPermissions(own, 0755));
    EXPECT_EQ(h.kindle->viewer(), own);
}

TEST(KindleViewerCheck, AlertsOnlyWhenReviewIsWantedAndNoViewerIsFound) {
    Harness h(false);
    h.preferences.setBool(prefs::kReviewKindle, false);
    h.kindle->checkViewer();
    EXPECT_TRUE(h.window.alerts.empty());

    h.preferences.setBool(prefs::kReviewKindle, true);
    h.workspace.installedApplications = {"ebook-viewer"};
    h.kindle->checkViewer();
    EXPECT_TRUE(h.window.alerts.empty());

    h.workspace.installedApplications.clear();
    h.window.alertAnswers = {kAlertAlternateButton, kAlertDefaultButton};
    h.kindle->checkViewer();
    h.kindle->checkViewer();
    EXPECT_EQ(alertKeys(h.window), (std::vector<std::string>{"noKindleMacTitle", "noKindleMacTitle"}));
    ASSERT_EQ(h.workspace.opened.size(), 1u);
    EXPECT_EQ(h.workspace.opened[0].application, "<url>");
}
