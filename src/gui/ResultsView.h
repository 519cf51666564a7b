#pragma once
// The view a build ends with: what was made and where (or why nothing was),
// every problem grouped by kind with where it was found, and the buttons to
// open the book, show it in its folder or check it. One view, reused for
// every build; it does not block the main window.

#include <QDialog>

#include "gui/Texts.h"
#include "platform/Alerts.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace quillary::gui {

class ResultsView : public QDialog {
    Q_OBJECT
public:
    ResultsView(Texts texts, QWidget* parent);

    // Shows the report, replacing the one before.
    void present(const BuildReport& report);

    BuildReport::Outcome outcome() const { return report_.outcome; }

signals:
    void openBook(const QString& path);
    void showInFolder(const QString& path);
    void checkBook(const QString& path);

private:
    void copyReport() const;

    Texts texts_;
    BuildReport report_;
    QLabel* icon_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* detail_ = nullptr;
    QTreeWidget* problems_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* folder_ = nullptr;
    QPushButton* check_ = nullptr;
};

}  // namespace quillary::gui
