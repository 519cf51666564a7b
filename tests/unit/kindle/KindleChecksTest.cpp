#include <gtest/gtest.h>

#include "KindleFixture.h"

using namespace quillary;
using namespace quillary::testing;

namespace {

// The author turns the Kindle check box on (or it comes up on at launch).
void kindleOptionOn(Harness& h) {
    h.window.setKindleChecked(true);
    h.preferences.setBool(prefs::kBuildKindle, true);
}

std::string installBannerOnly(Harness& h, const std::string& banner) {
    const std::string path = h.c().kindlegenPath();
    files::makeFolders(paths::deletingLastComponent(path));
    files::writeFileAtomically(path, "#!/bin/sh\necho '" + banner + "'\n");
    files::setPermissions(path, 0755);
    h.shell.passThrough = true;
    return path;
}

}  // namespace

TEST(KindleOption, TurningItOnTurnsEpub3OffWithOrWithoutAConverter) {
    for (const bool installed : {false, true}) {
        Harness h(false);
        if (installed) installBannerOnly(h, "Amazon kindlegen(Linux) V2.9 build 1028");
        h.window.setEpub3Checked(true);
        h.preferences.setBool(prefs::kEpub3, true);
        kindleOptionOn(h);

        h.c().noKindleGen();

        EXPECT_FALSE(h.window.epub3Checked());
        EXPECT_FALSE(h.preferences.boolForKey(prefs::kEpub3));
        EXPECT_TRUE(h.window.kindleChecked());
    }
}

TEST(KindleOption, OffMeansNoConverterRunAndNoAlert) {
    Harness h(false);
    installBannerOnly(h, "V2.0");
    h.window.setEpub3Checked(true);
    h.preferences.setBool(prefs::kEpub3, true);
    h.preferences.setBool(prefs::kBuildKindle, false);

    h.c().noKindleGen();
    h.window.setKindleChecked(true);  // a box that is on while the stored option is off
    h.c().noKindleGen();

    EXPECT_TRUE(h.shell.calls().empty());
    EXPECT_TRUE(h.window.alerts.empty());
}

TEST(KindleConverterCheck, TheBannerDecidesWhetherTheConverterIsTooOld) {
    const std::pair<const char*, bool> cases[] = {
        {"Amazon kindlegen(Linux) V2.9 build 1028-0897292", false},
        {"Amazon kindlegen(Linux) V2.8 build 0615-9a9cb2a", true},
        {"Amazon kindlegen", true},
    };
    for (const auto& [banner, alerts] : cases) {
        SCOPED_TRACE(banner);
        Harness h(false);
        installBannerOnly(h, banner);
        kindleOptionOn(h);

        h.c().noKindleGen();

        EXPECT_EQ(h.shell.countCalls("kindlegen"), 1u);
        EXPECT_EQ(alertKeys(h.window),
                  alerts ? std::vector<std::string>{"oldKindleGenTitle"} : std::vector<std::string>{});
    }
}

TEST(KindleConverterCheck, AMissingConverterAlertsUnlessCalibreCanStandIn) {
    Harness h(false);
    kindleOptionOn(h);
    h.c().noKindleGen();
    ASSERT_EQ(alertKeys(h.window), std::vector<std::string>{"noKindleGenTitle"});
    const Alert& alert = h.window.alerts.front();
    EXPECT_EQ(alert.message, "noKindleGenMsg");
    EXPECT_EQ(alert.defaultButton, "GetKindleGen");
    EXPECT_EQ(alert.alternateButton, "Cancel");

    Harness withCalibre(false);
    withCalibre.workspace.installedApplications.insert("ebook-convert");
    kindleOptionOn(withCalibre);
    withCalibre.c().noKindleGen();
    EXPECT_TRUE(withCalibre.window.alerts.empty());
    EXPECT_TRUE(withCalibre.shell.calls().empty());
}

TEST(KindleConverterCheck, OnlyTheDefaultButtonOpensTheDownloadPage) {
    for (const int answer : {kAlertDefaultButton, kAlertAlternateButton}) {
        Harness h(false);
        kindleOptionOn(h);
        h.window.alertAnswers.push_back(answer);
        h.c().noKindleGen();
        ASSERT_EQ(h.window.alerts.size(), 1u);
        if (answer == kAlertDefaultButton) {
            ASSERT_EQ(h.workspace.opened.size(), 1u);
            EXPECT_EQ(h.workspace.opened[0].application, "<url>");
            EXPECT_TRUE(h.workspace.opened[0].what.starts_with("https://"));
        } else {
            EXPECT_TRUE(h.workspace.opened.empty());
        }
    }
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
    EXPECT_EQ(alertKeys(h.window),
              (std::vector<std::string>{"noKindleMacTitle", "noKindleMacTitle"}));
    EXPECT_EQ(h.window.alerts[0].defaultButton, "GetKindleForMac");
    ASSERT_EQ(h.workspace.opened.size(), 1u);
    EXPECT_EQ(h.workspace.opened[0].application, "<url>");
}
