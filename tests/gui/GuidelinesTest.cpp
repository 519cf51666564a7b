// What every window owes the author in each language it speaks: its own
// texts in that language, and each Alt+letter reaching one control only.

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

#include <map>

#include "Desktop.h"
#include "gui/ResultsView.h"

namespace quillary::testing {
namespace {

// The example manuscript loaded, a wrong ISBN typed (its advice shows), the
// results view after a build whose check runs, a check's own view, the
// preferences and About open: every window the author meets.
void showEveryWindow(Desktop& desktop) {
    gui::MainWindow& window = desktop.window();
    desktop.app->openDocument(QString::fromStdString(exampleManuscript()));
    window.setFieldText(BookField::Isbn, "978-1-234-56789-0");
    emit window.fieldsEdited();
    window.showBuildReport({.bookPath = "/b/Tale.epub", .checking = true});
    window.showBookCheck({.bookPath = "/b/Tale.epub"});
    desktop.app->commands().preferences->trigger();
    desktop.app->commands().about->trigger();
}

QList<QWidget*> everyWindow(Desktop& desktop) {
    QList<QWidget*> windows{&desktop.window(), &desktop.app->splashWindow(), &desktop.app->helpWindow()};
    for (QDialog* dialog : desktop.window().findChildren<QDialog*>()) windows << dialog;
    return windows;
}

// What the author reads in a window: its title, labels, buttons, boxes and
// tooltips, in the order the window holds them.
QStringList readableTexts(QWidget* window) {
    QStringList texts{window->windowTitle()};
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->window() != window) continue;
        if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
        if (auto* box = qobject_cast<QGroupBox*>(widget)) texts << box->title();
        texts << widget->toolTip();
    }
    return texts;
}

// The menus the author opens; not the menu bar's own for the menus that do
// not fit it, which has no title and holds as many as the language's widths
// leave over.
QList<QMenu*> everyMenu(Desktop& desktop) {
    QList<QMenu*> menus = desktop.window().findChildren<QMenu*>();
    menus.removeIf([](QMenu* menu) { return menu->title().isEmpty(); });
    return menus;
}

QStringList menuTexts(QMenu* menu) {
    QStringList texts{menu->title()};
    for (QAction* action : menu->actions()) texts << action->text();
    return texts;
}

// Names, numbers, file names and markup read the same in every language.
bool nothingToTranslate(QString text) {
    text.remove(QRegularExpression("<[^>]*>|\\S*[./]\\S*|&"));
    for (const char* name : {"EPUBCheck", "EPUB", "ISBN", "Kindle", "Quillary", "Qt", "Version", "Genre"})
        text.remove(QLatin1String(name));
    return !text.contains(QRegularExpression("[A-Za-z]{2,}"));
}

TEST(Translation, EveryTextOfEveryWindowAndMenuIsGermanInTheGermanWindow) {
    std::map<std::string, QStringList> shown;
    for (const char* language : {"en", "de"}) {
        Desktop desktop(false, language);
        showEveryWindow(desktop);
        QStringList& texts = shown[language];
        for (QWidget* window : everyWindow(desktop)) texts << readableTexts(window);
        for (QMenu* menu : everyMenu(desktop)) texts << menuTexts(menu);
        // Each desktop has a folder of its own; the texts that name it do not differ by it.
        texts.replaceInStrings(QString::fromStdString(desktop.folder.path()), "FOLDER");
    }
    ASSERT_EQ(shown["en"].size(), shown["de"].size());
    for (qsizetype i = 0; i < shown["en"].size(); ++i) {
        const QString& english = shown["en"][i];
        EXPECT_TRUE(english != shown["de"][i] || nothingToTranslate(english))
            << "English in German: " << english.toStdString();
    }
}

// The texts of a window's own buttons, labels and check boxes, not those of
// the windows and menus inside it, which have mnemonics of their own.
QStringList mnemonicTexts(QWidget* window) {
    QStringList texts;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->window() != window) continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy()) texts << label->text();
    }
    return texts;
}

// Each window and menu has its own scope: a letter twice in one makes
// Alt+letter go to the first of them only.
void expectUniqueMnemonics(const QString& scope, const QStringList& texts) {
    std::map<QChar, QString> taken;
    for (const QString& text : texts) {
        for (qsizetype i = text.indexOf('&'); i >= 0 && i + 1 < text.size(); i = text.indexOf('&', i + 2)) {
            if (text[i + 1] == '&') continue;
            const auto [first, inserted] = taken.emplace(text[i + 1].toLower(), text);
            EXPECT_TRUE(inserted) << scope.toStdString() << ": \"" << text.toStdString() << "\" and \""
                                  << first->second.toStdString() << "\"";
            break;
        }
    }
}

TEST(Guidelines, EveryWindowAndMenuHasUniqueMnemonicsInEveryLanguage) {
    for (const char* language : {"en", "de"}) {
        Desktop desktop(false, language);
        showEveryWindow(desktop);
        desktop.child<QCheckBox>("kindle")->click();  // no converter: the Kindle alert
        gui::MainWindow& window = desktop.window();
        QStringList topLevel = mnemonicTexts(&window);
        for (QAction* menu : window.menuBar()->actions()) topLevel << menu->text();
        expectUniqueMnemonics(QString(language) + " main window", topLevel);
        for (QMenu* menu : everyMenu(desktop))
            expectUniqueMnemonics(QString(language) + " menu " + menu->title(), menuTexts(menu).mid(1));
        for (QWidget* other : everyWindow(desktop).mid(1))
            expectUniqueMnemonics(QString(language) + " " + other->objectName(), mnemonicTexts(other));
        ASSERT_FALSE(desktop.dialogs.alerts.empty());
        for (const Alert& alert : desktop.dialogs.alerts)
            expectUniqueMnemonics(
                QString(language) + " alert " + QString::fromStdString(alert.title),
                {QString::fromStdString(alert.defaultButton), QString::fromStdString(alert.alternateButton)});
    }
}

}  // namespace
}  // namespace quillary::testing
