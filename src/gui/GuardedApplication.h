#pragma once
// The application object. An exception that escapes an event handler on the
// main thread would otherwise unwind through Qt's event loop, which is not
// made for it, and end the program without a word: here it is caught where
// Qt hands each event over, and reported.

#include <QApplication>
#include <functional>
#include <string>

namespace quillary::gui {

enum class HandlerFailure { OutOfMemory, Error };

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    // `report` runs on the main thread with the kind of failure and, for an
    // Error, what the exception said (may be empty). Without one, or when the
    // report itself fails, the application says so on stderr and quits.
    using Report = std::function<void(HandlerFailure, const std::string& detail)>;
    void setFailureReport(Report report) { report_ = std::move(report); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void failed(HandlerFailure failure, const char* detail) noexcept;

    Report report_;
};

}  // namespace quillary::gui
