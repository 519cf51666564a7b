#pragma once
// The main window: the manuscript, the book's fields, the cover preview, the
// output check boxes, the make command, the status line and the progress bar.
// It is the application's Window; what the author does here is announced by
// signals the application connects to its sessions.

#include <QMainWindow>
#include <array>
#include <deque>

#include "gui/Dialogs.h"
#include "gui/Texts.h"
#include "platform/Window.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QFormLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace quillary::gui {

class CoverPreview;

class MainWindow : public QMainWindow, public Window {
    Q_OBJECT
public:
    MainWindow(Texts texts, Dialogs& dialogs);

    // The make and choose commands, shared by the buttons and the menus.
    QAction* makeAction() const { return makeAction_; }
    QAction* chooseAction() const { return chooseAction_; }

    // ---- Window ------------------------------------------------------------
    std::string fieldText(BookField field) const override;
    void setFieldText(BookField field, const std::string& text) override;
    CivilDate pubDate() const override;
    void setPubDate(const CivilDate& date) override;
    int languageIndex() const override;
    void setLanguageIndex(int index) override;
    std::string manuscriptLocation() const override;
    void setManuscriptLocation(const std::string& fileName) override;
    void setCoverPreview(const std::string& imagePath) override;
    void setMakeEnabled(bool enabled) override;
    bool kindleChecked() const override;
    void setKindleChecked(bool on) override;
    bool epub3Checked() const override;
    void setEpub3Checked(bool on) override;
    void setStatusHidden(bool hidden) override;
    void setStatusText(const std::string& text) override;
    void setProgressHidden(bool hidden) override;
    void setProgressIndeterminate(bool indeterminate) override;
    void setProgressRange(double minimum, double maximum) override;
    void setProgressValue(double value) override;
    void showAlert(const Alert& alert) override;
    void beginSavePanel(const SavePanelRequest& request, SavePanelEnded ended) override;
    void beginOpenPanel(const OpenPanelRequest& request, OpenPanelEnded ended) override;
    void buildEnded() override;

    // A short message in the status line, outside a build.
    void say(const QString& text);

signals:
    void epub3Clicked(bool on);
    void kindleClicked(bool on);
    void documentsDropped(const QStringList& paths);
    void closing();
    void buildHasEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* makeForm();
    QWidget* makeOutputColumn();
    QWidget* makeStatusRow();
    QLineEdit* addField(QFormLayout* form, const char* label, const char* name);
    void showFirstWaitingAlert();

    Texts texts_;
    Dialogs& dialogs_;
    QAction* makeAction_ = nullptr;
    QAction* chooseAction_ = nullptr;
    QLineEdit* manuscript_ = nullptr;
    std::array<QLineEdit*, 6> fields_{};  // in BookField order
    QDateEdit* pubDate_ = nullptr;
    QComboBox* language_ = nullptr;
    CoverPreview* cover_ = nullptr;
    QCheckBox* epub3_ = nullptr;
    QCheckBox* kindle_ = nullptr;
    QPushButton* make_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    double progressMinimum_ = 0;
    double progressMaximum_ = 100;
    std::deque<Alert> waitingAlerts_;  // the first is the one showing
};

}  // namespace quillary::gui
