#include "fakes/FakeWindow.h"

namespace quillary::testing {

std::string FakeWindow::fieldText(BookField field) const {
    auto it = fields_.find(field);
    return it == fields_.end() ? std::string{} : it->second;
}

void FakeWindow::setStatusText(const std::string& text) {
    statusText = text;
    statusLog.push_back(text);
}

void FakeWindow::setProgressRange(double minimum, double maximum) {
    progressMin = minimum;
    progressMax = maximum;
}

void FakeWindow::showAlert(const Alert& alert) {
    alerts.push_back(alert);
    if (alert.onEnd && !alertAnswers.empty()) {
        const int code = alertAnswers.front();
        alertAnswers.pop_front();
        alert.onEnd(code);
    }
}

void FakeWindow::beginSavePanel(const SavePanelRequest& request, SavePanelEnded ended) {
    savePanels.push_back(request);
    if (saveAnswers.empty()) {
        pendingSave = std::move(ended);
        return;
    }
    const SaveAnswer answer = saveAnswers.front();
    saveAnswers.pop_front();
    ended(answer.name, answer.folder, answer.code);
}

void FakeWindow::beginOpenPanel(const OpenPanelRequest& request, OpenPanelEnded ended) {
    openPanels.push_back(request);
    if (openAnswers.empty()) {
        pendingOpen = std::move(ended);
        return;
    }
    const OpenAnswer answer = openAnswers.front();
    openAnswers.pop_front();
    ended(answer.code, answer.path);
}

}  // namespace quillary::testing
