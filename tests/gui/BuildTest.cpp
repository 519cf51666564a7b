// Whole builds driven through the real main window.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <gtest/gtest.h>

#include "Desktop.h"
#include "platform/Files.h"
#include "support/EpubInspector.h"

namespace quillary::testing {
namespace {

std::string packageDocument(const std::string& epub) {
    const auto entries = readArchive(epub);
    if (!entries) return {};
    for (const ArchiveEntry& entry : *entries)
        if (paths::extension(entry.name) == "opf") return entry.content;
    return {};
}

TEST(DesktopBuild, MakeProducesAValidBookAndGivesTheMakeCommandBack) {
    Desktop desktop(true);
    desktop.app->openDocument(QString::fromStdString(exampleManuscript()));
    desktop.dialogs.saveAs = desktop.folder.file("out/Keeper.epub");
    EXPECT_TRUE(files::makeFolders(desktop.folder.file("out")));

    desktop.window().makeAction()->trigger();
    EXPECT_FALSE(desktop.window().makeAction()->isEnabled());
    desktop.runUntilBuildEnds();

    EXPECT_TRUE(desktop.window().makeAction()->isEnabled());
    EXPECT_TRUE(desktop.child<QProgressBar>("progress")->isHidden());
    ASSERT_EQ(desktop.notifier.delivered.size(), 1u);
    EXPECT_EQ(desktop.notifier.delivered[0].title, "A Quillary is Made");
    const EpubCheckVerdict verdict = runEpubCheck(desktop.dialogs.saveAs);
    if (!verdict.ran) GTEST_SKIP() << "epubcheck is not installed";
    EXPECT_TRUE(verdict.passed) << verdict.output;
}

TEST(DesktopBuild, ChangesDuringABuildLeaveTheBookAsItStarted) {
    Desktop desktop;
    desktop.app->openDocument(QString::fromStdString(exampleManuscript()));
    desktop.dialogs.saveAs = desktop.folder.file("Keeper.epub");

    // The runner takes each step at once: the conversion is done and the
    // book not yet written when the author turns EPUB 3 off and retitles.
    desktop.window().makeAction()->trigger();
    ASSERT_TRUE(desktop.app->buildSession().isBuilding());
    EXPECT_EQ(desktop.child<QLabel>("status")->text(), "Reading the manuscript…") << "the first build says so too";
    desktop.child<QCheckBox>("epub3")->click();
    desktop.child<QLineEdit>("title")->setText("Another Title");
    desktop.runUntilBuildEnds();

    const std::string package = packageDocument(desktop.dialogs.saveAs);
    EXPECT_NE(package.find("version=\"3.0\""), std::string::npos);
    EXPECT_NE(package.find("The Keeper of Gull Rock"), std::string::npos);
    EXPECT_FALSE(desktop.window().epub3Checked());
}

}  // namespace
}  // namespace quillary::testing
