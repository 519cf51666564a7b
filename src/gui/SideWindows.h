#pragma once
// The windows beside the main one: the splash window shown at start, the
// help window with the preparation guide, and the preferences dialog.

#include <QDialog>
#include <QWidget>

#include "gui/Texts.h"
#include "platform/Preferences.h"

class QCheckBox;
class QTextBrowser;

namespace quillary::gui {

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    SplashWindow(Texts texts, Preferences& preferences);

signals:
    void learnMore();

protected:
    // The box shows the setting as it is when the window shows: the
    // defaults are registered after the window is made.
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Preferences& preferences_;
    QCheckBox* showAtStart_ = nullptr;
};

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // `page` is the help page's path; a missing page leaves the window empty.
    HelpWindow(Texts texts, const QString& page);
    // Asks for a printer (window-modal) and prints the page on it.
    void print();
    QTextBrowser* browser() const { return browser_; }

signals:
    void visibilityChanged(bool visible);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTextBrowser* browser_;
};

// Options that every change writes to the store at once.
class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    PreferencesDialog(Texts texts, Preferences& preferences, QWidget* parent);

signals:
    void defaultLanguageChosen(int index);
};

}  // namespace quillary::gui
