#pragma once
// Lets work that may outlive its owner (a check still running on another
// thread when the window closes) report back only while the owner lives.

#include <functional>
#include <memory>
#include <mutex>

#include "platform/MainQueue.h"

namespace quillary {

class Lifeline : public std::enable_shared_from_this<Lifeline> {
public:
    // Any thread. Queues `step` while the owner lives; the step is dropped
    // again if the owner has gone by the time the main thread reaches it.
    // The queue must outlive the owner.
    void post(MainQueue& queue, std::function<void()> step) {
        std::lock_guard lock(mutex_);
        if (!alive_) return;
        queue.post([self = shared_from_this(), step = std::move(step)] {
            if (self->alive()) step();
        });
    }
    // The owner's destructor, on the main thread: nothing more is queued,
    // and nothing queued runs.
    void cut() {
        std::lock_guard lock(mutex_);
        alive_ = false;
    }
    bool alive() const {
        std::lock_guard lock(mutex_);
        return alive_;
    }

private:
    mutable std::mutex mutex_;
    bool alive_ = true;
};

}  // namespace quillary
