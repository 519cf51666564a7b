#pragma once
// The completion notification.

#include <string>

namespace quillary {

class Notifier {
public:
    virtual ~Notifier() = default;

    // Shows a notification with no action button, also while the application
    // is in front. Failures are silent. Main thread.
    virtual void deliver(const std::string& title, const std::string& message) = 0;
};

}  // namespace quillary
