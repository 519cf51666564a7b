#include "fakes/FakeWindow.h"

namespace quillary::testing {

std::string FakeWindow::fieldText(BookField field) const {
    auto it = fields_.find(field);
    return it == fields_.end() ? std::string{} : it->second;
}

void FakeWindow::showAlert(const Alert& alert) {
    alerts.push_back(alert);
    if (alert.onEnd && !alertAnswers.empty()) {
        const int code = alertAnswers.front();
        alertAnswers.pop_front();
        alert.onEnd(code);
    }
}

}  // namespace quillary::testing
