#include "gui/GuardedApplication.h"

#include <cstdio>
#include <new>
#include <stdexcept>

namespace quillary::gui {

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        failed(HandlerFailure::OutOfMemory, "");
    } catch (const std::exception& error) {
        failed(HandlerFailure::Error, error.what());
    } catch (...) {
        failed(HandlerFailure::Error, "");
    }
    return false;
}

void GuardedApplication::failed(HandlerFailure failure, const char* detail) noexcept {
    try {
        if (report_) {
            report_(failure, detail);
            return;
        }
    } catch (...) {
        // Reporting needs memory too; below, nothing is allocated.
    }
    std::fputs("quillary-gui: an action failed and could not be reported; Quillary quits.\n", stderr);
    QCoreApplication::exit(1);
}

}  // namespace quillary::gui
