#pragma once
// "Queue this step on the main thread without waiting."

#include <functional>

namespace quillary {

class MainQueue {
public:
    virtual ~MainQueue() = default;

    // Any thread may post; the step runs later on the main thread, steps in
    // the order posted. Never runs the step inside post().
    virtual void post(std::function<void()> step) = 0;
};

}  // namespace quillary
