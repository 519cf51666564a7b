// The desktop application's windows and menus, as the author meets them.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDropEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "Desktop.h"
#include "app/SystemCheck.h"
#include "gui/AboutDialog.h"
#include "gui/RecentMenu.h"
#include "gui/ResultsView.h"
#include "platform/Files.h"

namespace quillary::testing {
namespace {

TEST(DesktopStart, EmptyStoreStartsWithTheRegisteredDefaults) {
    Desktop desktop;
    gui::MainWindow& window = desktop.window();
    EXPECT_TRUE(window.epub3Checked());
    EXPECT_FALSE(window.kindleChecked());
    EXPECT_TRUE(desktop.app->splashWindow().isVisible());
    EXPECT_TRUE(desktop.app->splashWindow().findChild<QCheckBox*>(prefs::kShowLaunch)->isChecked())
        << "the box shows the setting that showed the window";
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&desktop.app->splashWindow(), &escape);
    EXPECT_FALSE(desktop.app->splashWindow().isVisible());
    EXPECT_EQ(window.language(), "0");
    EXPECT_FALSE(window.makeAction()->isEnabled());

    window.chooseAction()->trigger();
    ASSERT_EQ(desktop.dialogs.openPanels.size(), 1u);
    EXPECT_EQ(desktop.dialogs.openPanels[0].directory, desktop.folder.path() + "/home/Documents");
}

TEST(DesktopStart, LanguageSurvivesARestartAsDecimalText) {
    Desktop desktop;
    desktop.child<QComboBox>("language")->setCurrentIndex(11);
    desktop.window().close();
    EXPECT_EQ(desktop.quits, 1);

    desktop.restart();
    EXPECT_EQ(desktop.preferences->stringForKey(prefs::kDefaultLang), "11");
    EXPECT_FALSE(desktop.preferences->stringForKey("windowPosn").empty());
    EXPECT_EQ(desktop.window().language(), "11");
}

TEST(DesktopStart, WindowsSpeakTheDesktopsLanguage) {
    Desktop desktop(false, "de");
    EXPECT_EQ(desktop.app->commands().fileMenu->title(), "&Datei");
    EXPECT_EQ(desktop.child<QPushButton>("make")->text(), "E-Book &machen…");
}

TEST(DesktopStart, KernelVersionCheck) {
    const std::pair<const char*, bool> releases[] = {
        {"4.18.0-553.el8", false}, {"3.10.0", false}, {"4.19.0-27-amd64", true},
        {"6.1.0-18-amd64", true},  {"10.2", true},    {"unreadable", true}};
    for (const auto& [release, supported] : releases)
        EXPECT_EQ(app::kernelIsSupported(release), supported) << release;
}

TEST(DesktopMenus, CloseTakesHelpThenSplashThenTheMainWindowWhichQuits) {
    Desktop desktop;
    gui::DesktopApplication& app = *desktop.app;
    app.commands().help->trigger();
    ASSERT_TRUE(app.helpWindow().isVisible());
    ASSERT_TRUE(app.splashWindow().isVisible());

    app.commands().close->trigger();
    EXPECT_FALSE(app.helpWindow().isVisible());
    EXPECT_TRUE(app.splashWindow().isVisible());
    app.commands().close->trigger();
    EXPECT_FALSE(app.splashWindow().isVisible());
    EXPECT_TRUE(desktop.window().isVisible());
    EXPECT_EQ(desktop.quits, 0);
    app.commands().close->trigger();
    EXPECT_FALSE(desktop.window().isVisible());
    EXPECT_EQ(desktop.quits, 1);
}

TEST(DesktopMenus, PrintIsEnabledOnlyWhileTheHelpWindowShows) {
    Desktop desktop;
    const gui::Commands& commands = desktop.app->commands();
    emit commands.fileMenu->aboutToShow();
    EXPECT_FALSE(commands.print->isEnabled());
    commands.help->trigger();
    emit commands.fileMenu->aboutToShow();
    EXPECT_TRUE(commands.print->isEnabled());
    desktop.app->helpWindow().close();
    EXPECT_FALSE(commands.print->isEnabled());
}

// Checking a book with EPUBCheck: after every build only once the author
// asks for it, and at any time from the Help menu.
TEST(DesktopMenus, CheckAfterEveryBuildIsOffUntilTurnedOnAndHelpOffersACheck) {
    Desktop desktop;
    desktop.app->commands().preferences->trigger();
    auto* box = desktop.window().findChild<QCheckBox*>(prefs::kCheckAfterBuild);
    ASSERT_TRUE(box);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(desktop.preferences->boolForKey(prefs::kCheckAfterBuild));
    box->click();
    EXPECT_TRUE(desktop.preferences->boolForKey(prefs::kCheckAfterBuild));

    desktop.app->commands().checkBook->trigger();
    ASSERT_EQ(desktop.dialogs.openPanels.size(), 1u);
    EXPECT_EQ(desktop.dialogs.openPanels[0].allowedTypes, std::vector<std::string>{"epub"});
}

TEST(DesktopWindow, Epub3AndKindleStayExclusiveAndUntickingKindleRestoresTheEarlierChoice) {
    Desktop desktop;
    desktop.workspace.installedApplications.insert("ebook-convert");
    QCheckBox* epub3 = desktop.child<QCheckBox>("epub3");
    QCheckBox* kindle = desktop.child<QCheckBox>("kindle");
    // A box clicked, then whether EPUB 3 and Kindle are on, in the window and in the store.
    const std::tuple<QCheckBox*, bool, bool> steps[] = {
        {kindle, false, true}, {kindle, true, false}, {epub3, false, false},
        {kindle, false, true}, {kindle, false, false}, {epub3, true, false}};
    for (const auto& [box, epub3On, kindleOn] : steps) {
        box->click();
        EXPECT_EQ(epub3->isChecked(), epub3On);
        EXPECT_EQ(kindle->isChecked(), kindleOn);
        EXPECT_EQ(desktop.preferences->boolForKey(prefs::kEpub3), epub3On);
        EXPECT_EQ(desktop.preferences->boolForKey(prefs::kBuildKindle), kindleOn);
    }
}

void drop(QWidget& window, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    // Qt delivers a drop to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &dropped);
}

TEST(DesktopWindow, ADroppedManuscriptFillsTheFieldsAndShowsItsCover) {
    Desktop desktop;
    drop(desktop.window(), exampleManuscript());

    EXPECT_EQ(desktop.window().manuscriptLocation(), "Lighthouse.rtf");
    EXPECT_FALSE(desktop.app->splashWindow().isVisible()) << "the welcome does not cover a manuscript";
    EXPECT_EQ(desktop.window().fieldText(BookField::Title), "The Keeper of Gull Rock");
    EXPECT_EQ(desktop.window().fieldText(BookField::Author), "Mara Quill");
    EXPECT_TRUE(desktop.window().makeAction()->isEnabled());
    // The cover is 600 by 900: shown upright, not as the square icon.
    const QPixmap cover = desktop.child<QLabel>("cover")->pixmap();
    ASSERT_FALSE(cover.isNull());
    EXPECT_NEAR(double(cover.height()) / cover.width(), 1.5, 0.02);
}

TEST(DesktopWindow, WhatIsNoManuscriptIsRefusedInTheStatusLine) {
    const std::pair<const char*, bool> documents[] = {{"notes.txt", true}, {"Missing.rtf", false}};
    for (const auto& [name, exists] : documents) {
        Desktop desktop;
        const std::string path = exists ? desktop.folder.write(name, "plain words") : desktop.folder.file(name);
        desktop.app->openDocument(QString::fromStdString(path));

        QLabel* status = desktop.child<QLabel>("status");
        EXPECT_FALSE(status->isHidden()) << name;
        EXPECT_TRUE(status->text().contains(name)) << name;
        EXPECT_TRUE(desktop.window().manuscriptLocation().empty()) << name;
        EXPECT_FALSE(desktop.window().makeAction()->isEnabled()) << name;
    }
}

TEST(DesktopWindow, WithoutAKindleConverterTheAlertOffersCalibreAndCancelUnticksTheBox) {
    Desktop desktop;
    desktop.child<QCheckBox>("kindle")->click();  // the scripted dialogs answer Cancel
    ASSERT_EQ(desktop.dialogs.alerts.size(), 1u);
    EXPECT_EQ(desktop.dialogs.alerts[0].titleKey, "noKindleConverterTitle");
    EXPECT_NE(desktop.dialogs.alerts[0].message.find("calibre"), std::string::npos);
    EXPECT_FALSE(desktop.window().kindleChecked());
    EXPECT_TRUE(desktop.window().epub3Checked()) << "the earlier choice is back";
    EXPECT_FALSE(desktop.preferences->boolForKey(prefs::kBuildKindle));
}

TEST(DesktopWindow, QuitDuringABuildAsksAndQuitsOnceTheStoppedBuildHasEnded) {
    Desktop desktop;
    desktop.app->openDocument(QString::fromStdString(exampleManuscript()));
    desktop.dialogs.saveAs = desktop.folder.file("Keeper.epub");
    desktop.dialogs.holdAlerts = true;
    desktop.window().makeAction()->trigger();
    ASSERT_TRUE(desktop.app->buildSession().isBuilding());

    desktop.app->commands().quit->trigger();
    ASSERT_EQ(desktop.dialogs.alerts.size(), 1u);
    EXPECT_EQ(desktop.dialogs.alerts[0].title, "A book is being made");
    desktop.dialogs.answerLastAlert(kAlertAlternateButton);  // Keep Building
    EXPECT_EQ(desktop.quits, 0);
    desktop.app->commands().quit->trigger();
    desktop.dialogs.answerLastAlert(kAlertDefaultButton);  // Stop and Quit
    EXPECT_EQ(desktop.quits, 0) << "not before the build has ended";
    desktop.runUntilBuildEnds();
    EXPECT_EQ(desktop.quits, 1);
}

TEST(DesktopWindow, TheResultsViewListsEveryProblemUnderItsKindWithTheOutcomesIcon) {
    Desktop desktop;
    const BuildReport withProblems{.outcome = BuildReport::Outcome::MadeWithProblems,
                                   .heading = "Made \u201cTale\u201d",
                                   .bookPath = desktop.folder.file("Tale.epub"),
                                   .groups = {{"missingMarksTitle", "No bookmark", "Add it", {"Nine", "Ten"}},
                                              {"noAltTextTitle", "No text alternative", "Add one", {"map.png"}}}};
    desktop.window().showBuildReport(withProblems);
    gui::ResultsView* view = desktop.window().resultsView();
    ASSERT_TRUE(view);
    auto* problems = view->findChild<QTreeWidget*>("resultsProblems");
    ASSERT_EQ(problems->topLevelItemCount(), 2);
    EXPECT_EQ(problems->topLevelItem(0)->childCount(), 3) << "its explanation and both places";
    EXPECT_EQ(problems->topLevelItem(1)->child(1)->text(0).trimmed(), "map.png");

    const std::pair<BuildReport::Outcome, QStyle::StandardPixmap> icons[] = {
        {BuildReport::Outcome::Clean, QStyle::SP_MessageBoxInformation},
        {BuildReport::Outcome::MadeWithProblems, QStyle::SP_MessageBoxWarning},
        {BuildReport::Outcome::NotMade, QStyle::SP_MessageBoxCritical}};
    for (const auto& [outcome, icon] : icons) {
        BuildReport report = withProblems;
        report.outcome = outcome;
        desktop.window().showBuildReport(report);
        const QPixmap shown = view->findChild<QLabel*>("resultsIcon")->pixmap();
        const QPixmap expected = view->style()->standardIcon(icon, nullptr, view).pixmap(shown.size());
        EXPECT_EQ(shown.toImage(), expected.toImage()) << static_cast<int>(outcome);
    }
    EXPECT_EQ(desktop.dialogs.alerts.size(), 0u) << "a view beside the window, not an alert";

    // While EPUBCheck runs the view offers to stop it; its verdict joins the list.
    BuildReport checking = withProblems;
    checking.checking = true;
    desktop.window().showBuildReport(checking);
    auto* stop = view->findChild<QPushButton*>("stopCheck");
    EXPECT_TRUE(stop->isVisible());
    checking.checking = false;
    checking.checkFindings = {{"", "Page OEBPS/a.xhtml", "", {"ERROR RSC-005: Bad"}}};
    desktop.window().showBuildReport(checking);
    EXPECT_FALSE(stop->isVisible());
    ASSERT_EQ(problems->topLevelItemCount(), 3);
    EXPECT_EQ(problems->topLevelItem(2)->text(0), "EPUBCheck: Page OEBPS/a.xhtml");
}

// File ▸ Open Recent after three manuscripts of one name, one since gone:
// listed newest first with their folders, the gone one disabled; an item
// opens its manuscript, Clear empties the list, and it survives a restart.
TEST(DesktopMenus, OpenRecentListsTheManuscriptsNewestFirstAndClears) {
    Desktop desktop;
    for (const char* folder : {"Alpha", "Gone", "Gamma"})
        desktop.app->openDocument(QString::fromStdString(desktop.folder.write(folder + std::string("/Tale.rtf"), "{\\rtf1 x}")));
    ASSERT_TRUE(files::removeAll(desktop.folder.file("Gone/Tale.rtf")));
    desktop.folder.write("Alpha/bookInfo.txt", "The Alpha Tale\n");
    desktop.restart();
    gui::RecentMenu* menu = desktop.app->commands().recentMenu;
    emit menu->aboutToShow();
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 5) << "three manuscripts, a separator and Clear";
    EXPECT_TRUE(items[0]->text().startsWith("&1 Tale.rtf") && items[0]->text().endsWith("/Gamma"));
    EXPECT_FALSE(items[1]->isEnabled()) << "gone since";
    EXPECT_TRUE(items[2]->isEnabled());
    items[2]->trigger();
    EXPECT_EQ(desktop.window().fieldText(BookField::Title), "The Alpha Tale");
    menu->findChild<QAction*>("clearRecent")->trigger();
    emit menu->aboutToShow();
    EXPECT_FALSE(menu->actions()[0]->isEnabled()) << "only the word that the list is empty";
    EXPECT_FALSE(menu->findChild<QAction*>("clearRecent")->isEnabled());
}

// About names this build's version, and links nowhere unless the project
// has an address.
TEST(DesktopMenus, AboutShowsTheBuildsVersionAndALinkOnlyWhenThereIsOne) {
    Desktop desktop;
    desktop.app->commands().about->trigger();
    auto* about = desktop.window().findChild<gui::AboutDialog*>("about");
    ASSERT_TRUE(about && about->isVisible());
    ASSERT_FALSE(gui::thisBuild().version.isEmpty());
    EXPECT_TRUE(about->findChild<QLabel*>("aboutVersion")->text().contains(gui::thisBuild().version));
    EXPECT_EQ(about->findChild<QLabel*>("aboutLink") != nullptr, !gui::thisBuild().homepage.isEmpty());
    gui::AboutDialog linked(gui::Texts(Localizer{}), {"1.0", "MIT", "https://example.org/q"}, nullptr);
    ASSERT_TRUE(linked.findChild<QLabel*>("aboutLink"));
    EXPECT_TRUE(linked.findChild<QLabel*>("aboutLink")->text().contains("https://example.org/q"));
}

TEST(DesktopWindow, AFileNamedKindlegenIsInstalledForTheAuthor) {
    Desktop desktop;
    drop(desktop.window(), desktop.folder.write("Downloads/kindlegen", "#!/bin/sh\n"));

    EXPECT_TRUE(files::exists(desktop.folder.dataHome() + "/Quillary/kindlegen"));
    EXPECT_TRUE(desktop.child<QLabel>("status")->text().contains("installed"));
}

TEST(DesktopWindow, AnAlertWaitsUntilTheOneShowingIsDismissed) {
    Desktop desktop;
    desktop.dialogs.holdAlerts = true;
    int ended = 0;
    Alert first;
    first.title = "first";
    first.onEnd = [&ended](int) { ++ended; };
    Alert second = first;
    second.title = "second";

    desktop.window().showAlert(first);
    desktop.window().showAlert(second);
    ASSERT_EQ(desktop.dialogs.alerts.size(), 1u);
    desktop.dialogs.answerLastAlert(kAlertDefaultButton);
    ASSERT_EQ(desktop.dialogs.alerts.size(), 2u);
    EXPECT_EQ(desktop.dialogs.alerts[1].title, "second");
    EXPECT_EQ(ended, 1);
}

// A handler that runs out of memory.
class Exhausted : public QObject {
public:
    bool event(QEvent*) override { throw std::bad_alloc(); }
};

TEST(DesktopWindow, AHandlerOutOfMemoryIsReportedAndQuitsOnlyWhenABuildWasRunning) {
    for (const bool building : {false, true}) {
        Desktop desktop;
        if (building) {
            desktop.app->openDocument(QString::fromStdString(exampleManuscript()));
            desktop.dialogs.saveAs = desktop.folder.file("Keeper.epub");
            desktop.window().makeAction()->trigger();
            ASSERT_TRUE(desktop.app->buildSession().isBuilding());
        }
        auto& application = static_cast<gui::GuardedApplication&>(*QCoreApplication::instance());
        application.setFailureReport([&desktop](gui::HandlerFailure failure, const std::string& detail) {
            desktop.app->handlerFailed(failure, detail);
        });
        Exhausted handler;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&handler, &event);
        application.setFailureReport({});

        ASSERT_EQ(desktop.dialogs.alerts.size(), 1u) << building;
        EXPECT_NE(desktop.dialogs.alerts[0].message.find("memory"), std::string::npos);
        EXPECT_EQ(desktop.quits, building ? 1 : 0);
    }
}

// Takes what QDesktopServices would hand to the desktop.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

TEST(DesktopPorts, WhenNobodyAnswersOnTheBusTheStatusLineAndTheFolderStandIn) {
    TestFolder folder;
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString("unix:path=" + folder.file("no-bus")));
    std::string said;
    gui::QtNotifier notifier([&said](const std::string& message) { said = message; });
    notifier.deliver("A Quillary is Made", "Your book is ready.");
    UrlRecorder desktop;
    QDesktopServices::setUrlHandler("file", &desktop, "open");
    gui::QtWorkspace().showInFolder(folder.file("Books/Tale.epub"));
    QDesktopServices::unsetUrlHandler("file");
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    EXPECT_EQ(said, "Your book is ready.");
    EXPECT_EQ(desktop.opened, std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(folder.file("Books")))});
}

}  // namespace
}  // namespace quillary::testing

#include "WindowTest.moc"
