#pragma once
// The dialogs the windows open: alerts, the save and open panels, short
// messages. Every one is window-modal and returns at once; the answer comes
// back through its callback. Tests put an answerer of their own in place, so
// no test ever shows a real dialog.

#include <QString>
#include <functional>

#include "gui/Texts.h"
#include "platform/Window.h"

class QWidget;

namespace quillary::gui {

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Calls alert.onEnd (when set) with kAlertDefaultButton or
    // kAlertAlternateButton.
    virtual void alert(QWidget* parent, const Alert& alert) = 0;
    virtual void savePanel(QWidget* parent, const SavePanelRequest& request, SavePanelEnded ended) = 0;
    virtual void openPanel(QWidget* parent, const OpenPanelRequest& request, OpenPanelEnded ended) = 0;
    // A message with one button that only dismisses it.
    virtual void message(QWidget* parent, const QString& title, const QString& text) = 0;
};

// Real dialogs: QMessageBox and QFileDialog opened with open(), never exec().
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(Texts texts) : texts_(texts) {}
    void alert(QWidget* parent, const Alert& alert) override;
    void savePanel(QWidget* parent, const SavePanelRequest& request, SavePanelEnded ended) override;
    void openPanel(QWidget* parent, const OpenPanelRequest& request, OpenPanelEnded ended) override;
    void message(QWidget* parent, const QString& title, const QString& text) override;

private:
    Texts texts_;
};

}  // namespace quillary::gui
