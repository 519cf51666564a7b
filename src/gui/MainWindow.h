#pragma once
// The main window: the manuscript, the book's fields, the cover preview, the
// output check boxes, the make command, the status line and the progress bar.
// It is the application's Window; what the author does here is announced by
// signals the application connects to its sessions.

#include <QMainWindow>
#include <array>
#include <deque>
#include <functional>

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
class ResultsView;

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
    std::string language() const override;
    void setLanguage(const std::string& stored) override;
    void setInformationSource(const std::string& line) override;
    void setFieldAdvice(const std::string& advice) override;
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
    void showBuildReport(const BuildReport& report) override;
    void showBookCheck(const BuildReport& report) override;
    // The results view, once a build has shown it; null before.
    ResultsView* resultsView() const { return results_; }
    // The view of Check Book…, once a check has shown it; null before.
    ResultsView* checkView() const { return checkView_; }
    void beginSavePanel(const SavePanelRequest& request, SavePanelEnded ended) override;
    void beginOpenPanel(const OpenPanelRequest& request, OpenPanelEnded ended) override;
    void buildEnded() override;

    // A short message in the status line, outside a build.
    void say(const QString& text);

    // Asked before the window closes; false keeps it open (the guard then
    // asks the author, and closes the window again when they agree).
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }

signals:
    void epub3Clicked(bool on);
    void kindleClicked(bool on);
    void documentsDropped(const QStringList& paths);
    void closing();
    void buildHasEnded();
    // The Cancel button beside the progress bar, and Stop Check in the
    // results view: stops the build, else the check that runs.
    void cancelRequested();
    // The results view's buttons.
    void openBookRequested(const QString& path);
    void showInFolderRequested(const QString& path);
    void checkBookRequested(const QString& path);
    // The author finished editing a field of the book (left it, pressed
    // Enter, picked a date or a language).
    void fieldsEdited();

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
    QLabel* source_ = nullptr;
    QLabel* advice_ = nullptr;
    CoverPreview* cover_ = nullptr;
    QCheckBox* epub3_ = nullptr;
    QCheckBox* kindle_ = nullptr;
    QPushButton* make_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::function<bool()> closeGuard_;
    double progressMinimum_ = 0;
    double progressMaximum_ = 100;
    std::deque<Alert> waitingAlerts_;
    ResultsView* results_ = nullptr;  // the first is the one showing
    ResultsView* checkView_ = nullptr;
};

}  // namespace quillary::gui
