#include <gtest/gtest.h>

#include "KindleFixture.h"

using namespace quillary;
using namespace quillary::testing;

TEST(KindleConverterCheck, TurningTheOptionOnTurnsEpub3OffAndAlertsOnlyForAMissingOrOldConverter) {
    struct Case {
        const char* kindlegenBanner;  // nullptr: no kindlegen
        bool calibre, optionOn;
        int answer;
        std::vector<std::string> alerts;
        bool pageOpened;
    };
    const std::vector<Case> cases = {
        {nullptr, false, true, kAlertDefaultButton, {"noKindleGenTitle"}, true},
        {nullptr, false, true, kAlertAlternateButton, {"noKindleGenTitle"}, false},
        {nullptr, true, true, kAlertDefaultButton, {}, false},  // calibre stands in
        {"Amazon kindlegen(Linux) V2.9 build 1028-0897292", false, true, kAlertDefaultButton, {}, false},
        {"Amazon kindlegen(Linux) V2.8 build 0615-9a9cb2a", false, true, kAlertDefaultButton, {"oldKindleGenTitle"}, true},
        {"Amazon kindlegen", false, true, kAlertDefaultButton, {"oldKindleGenTitle"}, true},
        {"V2.0", false, false, kAlertDefaultButton, {}, false},  // the box is on, the stored option off
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.kindlegenBanner ? test.kindlegenBanner : "none") + (test.calibre ? " calibre" : ""));
        KindleBook book;
        Harness& h = book.h;
        if (test.kindlegenBanner) book.installKindlegen(test.kindlegenBanner);
        if (test.calibre) h.workspace.installedApplications.insert("ebook-convert");
        h.window.setEpub3Checked(true);
        h.preferences.setBool(prefs::kEpub3, true);
        h.window.setKindleChecked(true);
        h.preferences.setBool(prefs::kBuildKindle, test.optionOn);
        h.window.alertAnswers.push_back(test.answer);

        h.c().noKindleGen();
        h.checks.runHeld();
        h.queue.drain();

        EXPECT_EQ(h.shell.countCalls("kindlegen"), test.kindlegenBanner && test.optionOn ? 1u : 0u);
        EXPECT_EQ(h.shell.calls().size(), h.shell.countCalls("kindlegen"));
        EXPECT_EQ(alertKeys(h.window), test.alerts);
        ASSERT_EQ(h.workspace.opened.size(), test.pageOpened ? 1u : 0u);
        if (test.pageOpened) {
            EXPECT_EQ(h.workspace.opened[0].application, "<url>");
            EXPECT_TRUE(h.workspace.opened[0].what.starts_with("https://"));
        }
        if (test.optionOn) {
            EXPECT_FALSE(h.window.epub3Checked());
            EXPECT_FALSE(h.preferences.boolForKey(prefs::kEpub3));
            EXPECT_TRUE(h.window.kindleChecked());
        }
    }
}

namespace {

constexpr const char* kOldBanner = "Amazon kindlegen(Linux) V2.8 build 0615-9a9cb2a";

void tickKindle(Harness& h) {
    h.window.setKindleChecked(true);
    h.preferences.setBool(prefs::kBuildKindle, true);
    h.c().noKindleGen();
}

}  // namespace

TEST(KindleConverterCheck, TheVerdictComesOnTheMainThreadAndOneNobodyWaitsForIsDropped) {
    KindleBook book;
    Harness& h = book.h;
    book.installKindlegen(kOldBanner);

    // The check leaves the main thread and its verdict comes back to it.
    // Ticked twice while one check runs: one check at a time, one alert.
    tickKindle(h);
    tickKindle(h);
    EXPECT_EQ(h.shell.countCalls("kindlegen"), 0u);
    EXPECT_EQ(h.checks.runHeld(), 1);
    EXPECT_TRUE(h.window.alerts.empty()) << "the verdict waits for the main thread";
    h.queue.drain();
    EXPECT_EQ(h.checks.runHeld(), 1);
    h.queue.drain();
    EXPECT_EQ(alertKeys(h.window), std::vector<std::string>{"oldKindleGenTitle"});

    // Unticked while the check runs.
    tickKindle(h);
    h.window.setKindleChecked(false);
    h.checks.runHeld();
    h.queue.drain();
    EXPECT_EQ(h.window.alerts.size(), 1u);

    // The window closed while the check ran.
    tickKindle(h);
    h.controller.reset();
    h.checks.runHeld();
    EXPECT_EQ(h.queue.drain(), 0);
    EXPECT_EQ(h.window.alerts.size(), 1u);
}

TEST(KindleViewer, TheFirstKnownViewerOrTheAuthorsChoice) {
    Harness h(false);
    EXPECT_EQ(h.c().kindleViewer(), std::nullopt);
    h.workspace.installedApplications = {"foliate"};
    EXPECT_EQ(h.c().kindleViewer(), "/usr/bin/foliate");
    h.workspace.installedApplications = {"foliate", "ebook-viewer"};
    EXPECT_EQ(h.c().kindleViewer(), "/usr/bin/ebook-viewer");

    h.preferences.setString(prefs::kKindleViewer, "foliate");
    EXPECT_EQ(h.c().kindleViewer(), "/usr/bin/foliate");
    // A chosen viewer that is gone is not swapped for another one.
    h.preferences.setString(prefs::kKindleViewer, "okular");
    EXPECT_EQ(h.c().kindleViewer(), std::nullopt);

    const std::string own = h.folder.write("viewers/my viewer", "#!/bin/sh\n");
    h.preferences.setString(prefs::kKindleViewer, own);
    EXPECT_EQ(h.c().kindleViewer(), std::nullopt) << "not executable";
    files::setPermissions(own, 0755);
    EXPECT_EQ(h.c().kindleViewer(), own);
}

TEST(KindleViewerCheck, AlertsOnlyWhenReviewIsWantedAndNoViewerIsFound) {
    Harness h(false);
    h.preferences.setBool(prefs::kReviewKindle, false);
    h.c().noKindleMac();
    EXPECT_TRUE(h.window.alerts.empty());

    h.preferences.setBool(prefs::kReviewKindle, true);
    h.workspace.installedApplications = {"ebook-viewer"};
    h.c().noKindleMac();
    EXPECT_TRUE(h.window.alerts.empty());

    h.workspace.installedApplications.clear();
    h.window.alertAnswers = {kAlertAlternateButton, kAlertDefaultButton};
    h.c().noKindleMac();
    h.c().noKindleMac();
    EXPECT_EQ(alertKeys(h.window), (std::vector<std::string>{"noKindleMacTitle", "noKindleMacTitle"}));
    ASSERT_EQ(h.workspace.opened.size(), 1u);
    EXPECT_EQ(h.workspace.opened[0].application, "<url>");
}
