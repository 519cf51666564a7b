#pragma once
// The view a build ends with: what was made and where (or why nothing was),
// every problem grouped by kind with where it was found, EPUBCheck's verdict
// when the author asked for it, and the buttons to open the book, show it in
// its folder or check it. One view, reused for every build; it does not
// block the main window. The same view, made for a check, shows the verdict
// of Check Book… on its own.

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
    enum class Kind { Build, Check };
    ResultsView(Texts texts, QWidget* parent, Kind kind = Kind::Build);

    // Shows the report, replacing the one before.
    void present(const BuildReport& report);

    BuildReport::Outcome outcome() const { return report_.outcome; }

signals:
    void openBook(const QString& path);
    void showInFolder(const QString& path);
    void checkBook(const QString& path);
    // Stop Check, while EPUBCheck runs after the build.
    void stopCheck();

private:
    void copyReport() const;
    void addGroups(const std::vector<BuildReport::Group>& groups, const QString& prefix);

    Texts texts_;
    Kind kind_;
    BuildReport report_;
    QLabel* icon_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* detail_ = nullptr;
    QTreeWidget* problems_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* folder_ = nullptr;
    QPushButton* check_ = nullptr;
    QPushButton* stop_ = nullptr;
};

}  // namespace quillary::gui
